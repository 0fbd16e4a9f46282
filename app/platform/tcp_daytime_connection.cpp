#include "tcp_daytime_connection.h"

namespace tarvo {

TcpDaytimeConnection::TcpDaytimeConnection() {
    QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] {
        const QByteArray received = socket_.readAll();
        if (dataArrived) dataArrived(received);
    });
}

void TcpDaytimeConnection::connectToHost(const QString &host, unsigned short port) {
    socket_.connectToHost(host, port);
}

void TcpDaytimeConnection::close() {
    // At once: a server that has said nothing owes us no goodbye either.
    socket_.abort();
}

} // namespace tarvo
