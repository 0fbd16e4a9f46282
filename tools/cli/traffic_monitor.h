// The monitor command: the line's received and sent bytes, interval by interval.
#pragma once

#include "quaystone/quaystone.h"

namespace qscli {

struct MonitorOptions {
    double intervalSeconds = 1.0;
    long count = 0; // intervals to print; 0 until interrupted
    bool json = false;
};

// Runs until `count` intervals were printed or SIGINT arrives; 0 then, 1 when the router
// cannot give its counters at the start.
int runMonitor(const MonitorOptions &options, RouterRecord &router, int32_t port);

} // namespace qscli
