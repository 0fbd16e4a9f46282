// Seed rotation and the payload scrambling of class 3 routers.
#pragma once

#include <cstdint>
#include <span>

namespace qs::class3 {

struct ScrambleContext {
    uint16_t seed = 0; // 0: payloads travel plain
    uint16_t keyId = 0;
    uint32_t modelCode = 0;
};

// Seeds arrive rotated on the wire; this gives the value that is stored and used.
uint16_t unrotateSeed(uint16_t wire);
// The inverse, for peers that send seeds (the emulator).
uint16_t rotateSeed(uint16_t seed);

// Scrambles or unscrambles (the same operation) in place. Without a key for the context, or
// with seed 0, the bytes stay as they are.
void scramble(std::span<uint8_t> data, const ScrambleContext &ctx);

} // namespace qs::class3
