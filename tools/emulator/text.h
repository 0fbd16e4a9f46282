// Small text helpers shared by the configuration parser, the fields and the datagram log.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qs::emulator {

// Without surrounding blanks; a '\r' left by a Windows line end counts as one.
inline std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Lower-case hex digits, with `separator` between bytes unless it is '\0'.
inline std::string toHex(std::span<const uint8_t> bytes, char separator = '\0') {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) {
        if (separator != '\0' && !s.empty()) s += separator;
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

} // namespace qs::emulator
