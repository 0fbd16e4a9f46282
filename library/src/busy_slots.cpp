#include "busy_slots.h"

namespace qs {

bool BusySlots::take(Slot s) {
    std::lock_guard lock(slots_[s].mutex);
    if (slots_[s].busy) return false;
    slots_[s].busy = true;
    return true;
}

void BusySlots::release(Slot s) {
    std::lock_guard lock(slots_[s].mutex);
    slots_[s].busy = false;
}

bool BusySlots::taken(Slot s) {
    std::lock_guard lock(slots_[s].mutex);
    return slots_[s].busy;
}

} // namespace qs
