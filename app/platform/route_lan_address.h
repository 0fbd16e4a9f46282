#pragma once

#include "publish_ports.h"

namespace tarvo {

// The kernel's own choice: the source address it would give a datagram to the router. Found by
// connecting a UDP socket, which sends nothing.
class RouteLanAddress : public LanAddressPort {
  public:
    QString lanAddress(const QString &router) const override;
};

} // namespace tarvo
