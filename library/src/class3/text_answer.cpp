#include "class3/text_answer.h"

#include "class3/scramble.h"

#include <algorithm>

namespace qs::class3 {

namespace {

// Routers' hexadecimal is read leniently: a character that is no digit counts as 0.
uint32_t hexValue(std::span<const uint8_t> s) {
    uint32_t v = 0;
    for (uint8_t c : s) {
        unsigned d = 0;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        v = v << 4 | d;
    }
    return v;
}

} // namespace

std::optional<TextAnswer> parseTextAnswer(std::span<const uint8_t> m) {
    auto first = std::find(m.begin(), m.end(), uint8_t{'/'});
    if (first == m.end() || first - m.begin() != 4) return std::nullopt;
    auto second = std::find(first + 1, m.end(), uint8_t{'/'});
    if (second == m.end() || second - first - 1 != 8) return std::nullopt;
    TextAnswer a;
    a.keyId = static_cast<uint16_t>(hexValue(m.first(4)));
    a.modelCode = hexValue(m.subspan(5, 8));
    a.rest.assign(second + 1, m.end());
    return a;
}

std::optional<Challenge> parseChallenge(std::span<const uint8_t> m) {
    auto a = parseTextAnswer(m);
    if (!a || a->rest.size() < 4) return std::nullopt;
    auto rest = std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(a->rest.data()), 4);
    return Challenge{a->keyId, a->modelCode, unrotateSeed(static_cast<uint16_t>(hexValue(rest)))};
}

} // namespace qs::class3
