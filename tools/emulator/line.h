// The passing of time on a router's lines: dials and hang-ups completing after their delay, and
// traffic counters growing while a line is connected.
#pragma once

#include "router.h"

namespace qs::emulator {

// Brings both ports of the router from its last advance up to nowMs (milliseconds since the
// emulator started). Call before reading or changing anything that depends on time.
void advance(Router &router, int64_t nowMs);

// Starts a dial on an idle port, or a hang-up on a connected one, as the router's outcome for
// it says. Returns the result word of the command's reply.
uint16_t startDial(Port &port, int64_t nowMs);
uint16_t startHangup(Port &port, int64_t nowMs);

// Zeroes the traffic counters and the connection time.
void clearCounters(Port &port);

} // namespace qs::emulator
