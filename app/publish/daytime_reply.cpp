#include "daytime_reply.h"

#include <cstddef>

namespace tarvo::daytime {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number in `count` digits at 1-based position `pos`; -1 when one of them is no digit.
int digits(std::string_view s, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos - 1; i < pos - 1 + count; ++i) {
        if (!isDigit(s[i])) return -1;
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}
} // namespace

int FullYear(int twoDigitYear) {
    return twoDigitYear < 30 ? 2000 + twoDigitYear : 1900 + twoDigitYear;
}

std::optional<UtcTime> ParseReply(std::string_view reply) {
    // Positions below count from 1, as the layout is published.
    const auto at = [reply](std::size_t pos) { return reply[pos - 1]; };
    if (reply.size() < 24 || at(1) != '\n' || at(7) != ' ' || at(16) != ' ') return {};
    if (digits(reply, 2, 5) < 0) return {};
    if (at(10) != '-' || at(13) != '-' || at(19) != ':' || at(22) != ':') return {};
    UtcTime t;
    const int yy = digits(reply, 8, 2);
    t.month = digits(reply, 11, 2);
    t.day = digits(reply, 14, 2);
    t.hour = digits(reply, 17, 2);
    t.minute = digits(reply, 20, 2);
    t.second = digits(reply, 23, 2);
    if (yy < 0 || t.month < 1 || t.month > 12 || t.day < 1) return {};
    t.year = FullYear(yy);
    if (t.day > daysInMonth(t.year, t.month)) return {};
    if (t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return {};
    return t;
}

} // namespace tarvo::daytime
