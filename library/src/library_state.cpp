#include "library_state.h"

#include "os/platform.h"

namespace qs {

bool LibraryState::ensureInitialised() {
    std::lock_guard lock(mutex_);
    if (!initialised_) {
        socketsUsable_ = platform().network->startup();
        initialised_ = true;
    }
    return socketsUsable_;
}

void LibraryState::cleanup() {
    std::lock_guard lock(mutex_);
    if (!initialised_) return;
    list_.reset();
    if (socketsUsable_) platform().network->cleanup();
    socketsUsable_ = false;
    initialised_ = false;
}

std::shared_ptr<DiscoveryList> LibraryState::newList(size_t max) {
    auto list = std::make_shared<DiscoveryList>();
    list->max = max;
    std::lock_guard lock(mutex_);
    list_ = list;
    return list;
}

std::shared_ptr<DiscoveryList> LibraryState::takeList() {
    std::lock_guard lock(mutex_);
    return std::move(list_);
}

LibraryState &libraryState() {
    // Never destroyed: detached workers may still release slots while the process exits.
    static LibraryState *s = new LibraryState;
    return *s;
}

} // namespace qs
