#include "os/platform.h"

#include <ctime>

namespace qs {

namespace {
Platform &current() {
    static Platform p = systemPlatform();
    return p;
}
} // namespace

Platform &platform() {
    return current();
}

LocalTime Clock::localTimeOf(int64_t unixSeconds) {
    std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return LocalTime{tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void setPlatform(const Platform &p) {
    current() = p;
}

} // namespace qs
