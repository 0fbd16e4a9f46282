#include "library_state.h"

#include "os/platform.h"

namespace qs {

std::shared_ptr<SocketLayer> LibraryState::ensureInitialised() {
    std::lock_guard lock(mutex_);
    if (!layer_) layer_ = SocketLayer::start(*platform().network);
    return layer_;
}

void LibraryState::cleanup() {
    std::shared_ptr<SocketLayer> layer;
    std::shared_ptr<DiscoveryList> list;
    {
        std::lock_guard lock(mutex_);
        layer = std::move(layer_);
        layer_.reset();
        list = std::move(list_);
        list_.reset();
    }
    // Both go here, outside the lock; the layer stops now unless a running request still holds
    // it.
}

std::shared_ptr<DiscoveryList> LibraryState::replaceList(std::shared_ptr<DiscoveryList> next) {
    std::lock_guard lock(mutex_);
    std::swap(list_, next);
    return next;
}

void LibraryState::restoreList(const std::shared_ptr<DiscoveryList> &installed,
                               std::shared_ptr<DiscoveryList> previous) {
    std::lock_guard lock(mutex_);
    if (list_ == installed) list_ = std::move(previous);
}

LibraryState::Fetched LibraryState::fetchList() {
    Fetched f{KZV_E_SEARCHING, nullptr};
    // Lock order: the slot's lock, then the state's (nothing takes them the other way round).
    slots_.whileFree(kSlotDiscovery, [&] {
        std::lock_guard lock(mutex_);
        f.list = std::move(list_);
        list_.reset();
        f.code = f.list ? KZV_OK : KZV_E_NO_LIST;
    });
    return f;
}

LibraryState &libraryState() {
    // Never destroyed: detached workers may still release slots while the process exits.
    static LibraryState *s = new LibraryState;
    return *s;
}

} // namespace qs
