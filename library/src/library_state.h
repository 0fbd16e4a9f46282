// Process-wide library state: initialisation, busy slots and the waiting discovery list.
#pragma once

#include "busy_slots.h"
#include "request.h"
#include "socket_layer.h"

#include "os/lock.h"
#include <memory>

#include <mutex>

namespace qs {

class LibraryState {
  public:
    // The lazy start-up run by most exports. Returns the socket layer in force (never null); a
    // request keeps it until it ends.
    std::shared_ptr<SocketLayer> ensureInitialised();
    // Lets go of the socket layer (it stops once no running request holds it any more), drops an
    // unfetched discovery list and clears the initialised flag.
    void cleanup();

    BusySlots &slots() { return slots_; }

    // Makes `next` the waiting list (the caller holds the discovery slot) and returns the one it
    // replaced, so that a search that never starts can put it back.
    std::shared_ptr<DiscoveryList> replaceList(std::shared_ptr<DiscoveryList> next);
    // Puts `previous` back, unless something (a cleanup) has dropped `installed` meanwhile.
    void restoreList(const std::shared_ptr<DiscoveryList> &installed,
                     std::shared_ptr<DiscoveryList> previous);

    struct Fetched {
        int32_t code = 0; // KZV_OK, KZV_E_SEARCHING or KZV_E_NO_LIST
        std::shared_ptr<DiscoveryList> list;
    };
    // Hands the waiting list out (and forgets it). The check that no search runs and the take
    // are one step: a search starting in between could otherwise have its list, still being
    // filled, handed out.
    Fetched fetchList();

  private:
    Lock mutex_;
    std::shared_ptr<SocketLayer> layer_; // null while not initialised
    BusySlots slots_;
    std::shared_ptr<DiscoveryList> list_;
};

LibraryState &libraryState();

} // namespace qs
