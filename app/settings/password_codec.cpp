#include "password_codec.h"

#include <utility>

namespace tarvo::settings {

namespace {

// numerator / denominator to the nearest integer, halves to the even neighbour.
long roundHalfEven(long numerator, long denominator) {
    long q = numerator / denominator;
    long r = numerator % denominator;
    if (r < 0) { // floor division
        r += denominator;
        --q;
    }
    if (2 * r > denominator || (2 * r == denominator && q % 2 != 0)) ++q;
    return q;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string ShuffleText(std::string_view text) {
    std::string out(text);
    long length = static_cast<long>(out.size());
    long swaps = roundHalfEven(length, 4);
    for (long i = 1; i <= swaps; ++i)
        std::swap(out[static_cast<std::size_t>(i - 1)],
                  out[static_cast<std::size_t>(length - 2 * (i - 1) - 1)]);
    return out;
}

std::string EncodePassword(std::string_view plain) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (auto it = plain.rbegin(); it != plain.rend(); ++it) {
        unsigned char code = static_cast<unsigned char>(*it);
        if (code >= 0x10) hex += digits[code >> 4];
        hex += digits[code & 15];
    }
    return ShuffleText(hex);
}

std::optional<std::string> DecodePassword(std::string_view stored) {
    std::string text = ShuffleText(trimSpaces(stored));
    if (text.empty()) return std::string();
    long length = static_cast<long>(text.size());
    long last = roundHalfEven(length - 2, 2);
    std::string plain;
    for (long t = last; t >= 0; --t) {
        std::size_t pos = static_cast<std::size_t>(2 * t);
        std::string_view pair = pos < text.size() ? std::string_view(text).substr(pos, 2) : "";
        if (pair.empty()) return std::nullopt;
        int value = 0;
        for (char c : pair) {
            int digit = hexDigit(c);
            if (digit < 0) return std::nullopt;
            value = value * 16 + digit;
        }
        plain += static_cast<char>(value);
    }
    return plain;
}

} // namespace tarvo::settings
