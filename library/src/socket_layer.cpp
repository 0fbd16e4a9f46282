#include "socket_layer.h"

namespace qs {

std::shared_ptr<SocketLayer> SocketLayer::start(Network &network) {
    // Made before the start, so that a failed allocation cannot leave a start nobody stops.
    std::shared_ptr<SocketLayer> layer(new SocketLayer(network, false));
    layer->usable_ = network.startup();
    return layer;
}

SocketLayer::~SocketLayer() {
    if (usable_) network_.cleanup();
}

} // namespace qs
