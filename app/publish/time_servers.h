#pragma once

#include <array>
#include <string_view>

namespace tarvo {

// Public time servers that answer DAYTIME in the NIST layout, in the order of NIST's published
// list. NTPIndex and the options dialog's list index into it, so entries never move.
inline constexpr std::array<std::string_view, 17> kTimeServers{
    "time-a-g.nist.gov",    "time-b-g.nist.gov",   "time-c-g.nist.gov",   "time-d-g.nist.gov",
    "time-e-g.nist.gov",    "time-a-wwv.nist.gov", "time-b-wwv.nist.gov", "time-c-wwv.nist.gov",
    "time-d-wwv.nist.gov",  "time-e-wwv.nist.gov", "time-a-b.nist.gov",   "time-b-b.nist.gov",
    "time-c-b.nist.gov",    "time-d-b.nist.gov",   "time-e-b.nist.gov",   "time.nist.gov",
    "utcnist.colorado.edu",
};

} // namespace tarvo
