#pragma once

#include "ports.h"

#include <QDBusConnection>
#include <QObject>

namespace tarvo {

// Ends the desktop session through systemd-logind, on the bus it is given (the system bus in the
// program, a private one in tests). Requests are sent without waiting for logind's answer, which
// may take seconds when its policy is slow, so that the window and the tray stay live.
class LogindSessionEnd : public SessionEndPort {
  public:
    explicit LogindSessionEnd(QDBusConnection bus) : bus_(std::move(bus)) {}
    // Waits for the requests still unanswered (each at most kReplyTimeoutMs): the program ends
    // right after asking, and a request must not be lost with it.
    ~LogindSessionEnd() override;
    LogindSessionEnd(const LogindSessionEnd &) = delete;
    LogindSessionEnd &operator=(const LogindSessionEnd &) = delete;

    void request(EndRequest what) override;

    // Requests sent and not answered yet.
    int pending() const;
    void waitForAnswers();

    static constexpr int kReplyTimeoutMs = 5000;

  private:
    QDBusConnection bus_;
    QObject watchers_;
};

} // namespace tarvo
