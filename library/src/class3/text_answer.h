// The routers' answers carried as text: "KKKK/MMMMMMMM/rest", key id and model code in hex.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qs::class3 {

struct TextAnswer {
    uint16_t keyId = 0;
    uint32_t modelCode = 0;
    std::string rest; // everything after the second '/'
};

// Nothing when the first part is not exactly 4 characters or the second not exactly 8.
std::optional<TextAnswer> parseTextAnswer(std::span<const uint8_t> message);

struct Challenge {
    uint16_t keyId = 0;
    uint32_t modelCode = 0;
    uint16_t seed = 0; // un-rotated
};

// A challenge carries the rotated seed in the four characters after the second '/'.
std::optional<Challenge> parseChallenge(std::span<const uint8_t> message);

} // namespace qs::class3
