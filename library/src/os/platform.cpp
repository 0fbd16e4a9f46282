#include "os/platform.h"

namespace qs {

namespace {
Platform &current() {
    static Platform p = systemPlatform();
    return p;
}
} // namespace

Platform &platform() { return current(); }

void setPlatform(const Platform &p) { current() = p; }

} // namespace qs
