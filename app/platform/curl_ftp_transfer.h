#pragma once

#include "ftp_transfer.h"

#include <QObject>
#include <chrono>
#include <memory>
#include <thread>

namespace tarvo {

// The FTP store on libcurl, on a worker thread of its own so that a slow or silent server never
// holds up the window. States are reported on the thread that owns this object.
class CurlFtpTransfer : public QObject, public FtpTransfer {
    Q_OBJECT
  public:
    // `requestTimeout`: how long the server may stay silent (no reply to a command, no byte
    // moving) before the store ends as an error. A transfer that keeps moving has no limit.
    explicit CurlFtpTransfer(std::chrono::seconds requestTimeout = std::chrono::seconds(60),
                             QObject *parent = nullptr);
    ~CurlFtpTransfer() override;

    bool start(FtpStore request) override;
    bool close() override;

  private:
    struct Job;
    enum class Session { Idle, Running, Done };

    void workerEnded(bool stored);
    void finishWorker();

    std::chrono::seconds timeout_;
    Session session_ = Session::Idle;
    bool closeRequested_ = false;
    std::shared_ptr<Job> job_;
    std::thread worker_;
};

} // namespace tarvo
