#include "single_instance.h"

#include <QLocalSocket>

namespace tarvo {

namespace {
constexpr int kTimeoutMs = 1000;
const QByteArray kShow = QByteArrayLiteral("show\n");
} // namespace

SingleInstance::SingleInstance(const QString &name, const QString &runtimeFolder, QObject *parent)
    : QObject(parent),
      name_(runtimeFolder.isEmpty() ? QString() : runtimeFolder + QLatin1Char('/') + name) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kShow)) emit activationRequested();
                socket->disconnectFromServer();
            });
        }
    });
}

bool SingleInstance::activateRunning() {
    if (name_.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kTimeoutMs)) return false;
    socket.write(kShow);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.waitForDisconnected(kTimeoutMs);
    return true;
}

bool SingleInstance::listen() {
    if (name_.isEmpty()) return false;
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(name_)) return true;
    // Nobody answered on the name, so what is left of it is a crashed instance's socket.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

} // namespace tarvo
