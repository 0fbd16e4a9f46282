// The time of day as the NIST time servers tell it over DAYTIME (TCP port 13): a line feed, the
// modified Julian day in characters 2-6, a blank, "YY-MM-DD" in 8-15, a blank, "HH:MM:SS" UTC in
// 17-24, then fields nobody here reads. Plain C++, so that the fuzzer takes it alone.
#pragma once

#include <optional>
#include <string_view>

namespace tarvo::daytime {

inline constexpr unsigned short kPort = 13;

struct UtcTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Two-digit years 00 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
int FullYear(int twoDigitYear);

// Nothing when the reply does not have that layout or names no real date and time (a leap
// second's 60 included): a reply that cannot be read must never reach the clock.
std::optional<UtcTime> ParseReply(std::string_view reply);

} // namespace tarvo::daytime
