// What the IP publisher needs from the desktop besides the FTP transfer.
#pragma once

#include <QString>

namespace tarvo {

class ClipboardPort {
  public:
    virtual ~ClipboardPort() = default;
    virtual void clear() = 0;
    virtual void setText(const QString &text) = 0;
};

class LanAddressPort {
  public:
    virtual ~LanAddressPort() = default;
    // The PC's own IPv4 address, dotted decimal, on the interface that carries the route to
    // `router`; the first address that is not loopback for "0.0.0.0" (no router) or when no
    // route leads to the router. Empty when the PC has none.
    virtual QString lanAddress(const QString &router) const = 0;
};

} // namespace tarvo
