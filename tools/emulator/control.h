// The control protocol: one command per line, answered by "ok ..." or "error MESSAGE". Answers
// that carry a list say "ok N" and follow with N lines. Described in README.md.
#pragma once

#include "datagram_log.h"
#include "router.h"

#include <string>
#include <string_view>
#include <vector>

namespace qs::emulator {

struct ControlResult {
    std::string response; // complete, every line ending in '\n'
    bool shutdown = false;
};

ControlResult handleControl(std::vector<Router> &routers, DatagramLog &log, std::string_view line,
                            int64_t nowMs);

} // namespace qs::emulator
