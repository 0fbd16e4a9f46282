// Per-model command codes and scrambling keys shared with class 3 router firmware.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qs::class3 {

constexpr size_t kModelKeyCount = 11;
constexpr size_t kScrambleKeyBytes = 512;

struct ModelKey {
    uint16_t keyId;
    uint32_t modelCode; // only the upper 16 bits take part in the lookup
    uint16_t commandCodes[10];
    uint8_t key[kScrambleKeyBytes];
};

extern const ModelKey kModelKeyTable[kModelKeyCount];

// The first entry for this key id whose model code shares m's upper 16 bits; null when none
// matches (then payloads travel plain and command codes are 0).
const ModelKey *findModelKey(uint16_t keyId, uint32_t modelCode);

} // namespace qs::class3
