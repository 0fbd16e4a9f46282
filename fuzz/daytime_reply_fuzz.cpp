// The DAYTIME reply reader on any bytes: it never reads past the reply, and whatever it accepts is
// a real calendar date and time of day, so that only such a value can ever reach the clock.
#include "daytime_reply.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace tarvo::daytime;
    const auto t = ParseReply(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!t) return 0;
    check(size >= 24 && data[0] == '\n');
    check(t->year >= 1930 && t->year <= 2029);
    check(t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31);
    check(t->hour >= 0 && t->hour <= 23 && t->minute >= 0 && t->minute <= 59);
    check(t->second >= 0 && t->second <= 59);
    if (t->month == 2) check(t->day <= 29);
    if (t->month == 4 || t->month == 6 || t->month == 9 || t->month == 11) check(t->day <= 30);
    return 0;
}
