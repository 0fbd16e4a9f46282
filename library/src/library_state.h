// Process-wide library state: initialisation, busy slots and the waiting discovery list.
#pragma once

#include "busy_slots.h"
#include "request.h"

#include "os/lock.h"
#include <memory>

#include <mutex>

namespace qs {

class LibraryState {
  public:
    // The lazy start-up run by most exports. Returns whether the socket layer is usable.
    bool ensureInitialised();
    // Stops the socket layer, drops an unfetched discovery list and clears the initialised flag.
    void cleanup();

    BusySlots &slots() { return slots_; }

    // Replaces any unfetched list with a new empty one and returns it.
    std::shared_ptr<DiscoveryList> newList(size_t max);
    // Hands the list out (and forgets it); null when there is none.
    std::shared_ptr<DiscoveryList> takeList();

  private:
    Lock mutex_;
    bool initialised_ = false;
    bool socketsUsable_ = false;
    BusySlots slots_;
    std::shared_ptr<DiscoveryList> list_;
};

LibraryState &libraryState();

} // namespace qs
