// One start of the operating system's socket layer, shared by everything that relies on it.
#pragma once

#include "os/platform.h"

#include <memory>

namespace qs {

// The library holds one between its start-up and its cleanup, and every request holds the one it
// was started under until it ends. The layer is stopped when the last holder lets go, so a
// cleanup that comes while requests still run cannot pull the layer from under their sockets:
// on Windows the layer's stop would close them, and a later request could then be given the
// same handle value for a socket of its own, which the earlier request would go on to use and
// close.
class SocketLayer {
  public:
    // Starts the layer of `network`; usable() tells whether that worked.
    static std::shared_ptr<SocketLayer> start(Network &network);
    ~SocketLayer();
    SocketLayer(const SocketLayer &) = delete;
    SocketLayer &operator=(const SocketLayer &) = delete;

    bool usable() const { return usable_; }

  private:
    SocketLayer(Network &network, bool usable) : network_(network), usable_(usable) {}
    Network &network_;
    bool usable_;
};

} // namespace qs
