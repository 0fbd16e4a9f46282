#pragma once

#include "clock_ports.h"

#include <QByteArray>
#include <QTcpSocket>
#include <functional>

namespace tarvo {

// The DAYTIME query's TCP connection; each arrival hands on everything received so far.
class TcpDaytimeConnection : public DaytimeConnection {
  public:
    TcpDaytimeConnection();
    void connectToHost(const QString &host, unsigned short port) override;
    void close() override;

    std::function<void(const QByteArray &)> dataArrived;

  private:
    QTcpSocket socket_;
};

} // namespace tarvo
