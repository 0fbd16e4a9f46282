#include "route_lan_address.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo {

namespace {
// The router family 2 port; any port would do, nothing is sent.
constexpr unsigned short kProbePort = 4449;

QString sourceAddressTowards(quint32 router) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kProbePort);
    to.sin_addr.s_addr = htonl(router);
    QString result;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0 &&
        local.sin_addr.s_addr != htonl(INADDR_ANY))
        result = QHostAddress(ntohl(local.sin_addr.s_addr)).toString();
    ::close(fd);
    return result;
}

QString firstNonLoopback() {
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack)) continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
                return a.toString();
        }
    }
    return {};
}
} // namespace

QString RouteLanAddress::lanAddress(const QString &router) const {
    QHostAddress address;
    if (address.setAddress(router) && address.protocol() == QAbstractSocket::IPv4Protocol &&
        address.toIPv4Address() != 0) {
        const QString towards = sourceAddressTowards(address.toIPv4Address());
        // No route leads to the router: the PC has its addresses all the same.
        if (!towards.isEmpty()) return towards;
    }
    return firstNonLoopback();
}

} // namespace tarvo
