#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tarvo {

// Rounds to the nearest integer, a half going to the even neighbour, the way the program's
// conversions of fractions to whole numbers have always worked. Values beyond the 32-bit range
// stop at its ends instead of wrapping.
inline std::int32_t RoundHalfEven(double x) {
    if (std::isnan(x)) return 0;
    if (x >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (x <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    const double f = std::floor(x);
    const double diff = x - f;
    auto r = static_cast<std::int64_t>(f);
    if (diff > 0.5 || (diff == 0.5 && (r & 1) != 0)) ++r;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(r, std::numeric_limits<std::int32_t>::max()));
}

} // namespace tarvo
