// The three request kinds that may run only once at a time: discovery, connect, disconnect.
#pragma once

#include "os/lock.h"
#include <array>

#include <mutex>

namespace qs {

enum Slot { kSlotDiscovery = 0, kSlotConnect = 1, kSlotDisconnect = 2 };

class BusySlots {
  public:
    // True when the slot was free and is now taken.
    bool take(Slot s);
    void release(Slot s);
    bool taken(Slot s);

  private:
    struct Guarded {
        Lock mutex;
        bool busy = false;
    };
    std::array<Guarded, 3> slots_;
};

} // namespace qs
