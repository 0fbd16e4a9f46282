#include "line.h"

#include <algorithm>

namespace qs::emulator {

namespace {

bool connected(uint16_t state) {
    return state == kLineConnected || state == kLineConnectedEx;
}

void grow(Port &p, int64_t fromMs, int64_t toMs) {
    if (!connected(p.state) || toMs <= fromMs) return;
    auto elapsed = static_cast<uint64_t>(toMs - fromMs);
    for (size_t c = 0; c < kCounterCount; ++c)
        p.milliCounters[c] += p.ratePerSecond[c] * elapsed;
}

void advancePort(Port &p, int64_t fromMs, int64_t toMs) {
    if (p.pending && p.dueMs <= toMs) {
        int64_t at = std::max(fromMs, p.dueMs);
        grow(p, fromMs, at);
        p.state = p.pendingState;
        p.pending = false;
        fromMs = at;
    }
    grow(p, fromMs, toMs);
}

uint16_t start(Port &p, const Outcome &o, bool allowed, uint16_t naturalEnd, int64_t nowMs) {
    if (o.kind == Outcome::Refuse) return o.value;
    // A command that does not fit the line's state changes nothing; the reply tells the state.
    if (!allowed) return p.state;
    p.state = kLineBusy;
    p.pending = o.kind != Outcome::StayBusy;
    p.pendingState = o.kind == Outcome::EndIn ? o.value : naturalEnd;
    p.dueMs = nowMs + o.delayMs;
    return kLineBusy;
}

} // namespace

void advance(Router &router, int64_t nowMs) {
    if (nowMs < router.lastAdvanceMs) return;
    for (auto &p : router.ports)
        advancePort(p, router.lastAdvanceMs, nowMs);
    router.lastAdvanceMs = nowMs;
}

uint16_t startDial(Port &port, int64_t nowMs) {
    return start(port, port.dial, port.state == kLineIdle, kLineConnected, nowMs);
}

uint16_t startHangup(Port &port, int64_t nowMs) {
    return start(port, port.hangup, connected(port.state), kLineIdle, nowMs);
}

void clearCounters(Port &port) {
    port.milliCounters.fill(0);
}

} // namespace qs::emulator
