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
    // Runs f while holding the slot's lock, so the slot cannot be taken meanwhile, but only when
    // it is free. False (f not run) when it is taken.
    template <typename F> bool whileFree(Slot s, F f) {
        std::lock_guard lock(slots_[s].mutex);
        if (slots_[s].busy) return false;
        f();
        return true;
    }

  private:
    struct Guarded {
        Lock mutex;
        bool busy = false;
    };
    std::array<Guarded, 3> slots_;
};

} // namespace qs
