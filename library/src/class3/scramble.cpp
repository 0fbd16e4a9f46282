#include "class3/scramble.h"

#include "class3/model_key_table.h"

namespace qs::class3 {

uint16_t unrotateSeed(uint16_t x) {
    const unsigned low9 = x & 0x1FF;
    const unsigned mid3 = x & 0xE00;
    const unsigned high4 = x >> 12;
    const unsigned low = (low9 >> 1) | ((low9 & 1) << 8);
    const unsigned high = (high4 >> 1) | ((high4 & 1) << 3);
    return static_cast<uint16_t>(low | mid3 | high << 12);
}

uint16_t rotateSeed(uint16_t s) {
    const unsigned low9 = s & 0x1FF;
    const unsigned mid3 = s & 0xE00;
    const unsigned high4 = s >> 12;
    const unsigned low = ((low9 << 1) & 0x1FF) | (low9 >> 8);
    const unsigned high = ((high4 << 1) & 0xF) | (high4 >> 3);
    return static_cast<uint16_t>(low | mid3 | high << 12);
}

void scramble(std::span<uint8_t> data, const ScrambleContext &ctx) {
    if (ctx.seed == 0) return;
    const ModelKey *entry = findModelKey(ctx.keyId, ctx.modelCode);
    if (!entry) return;
    const uint8_t *k = entry->key;
    const unsigned passes = ((ctx.seed >> 10) & 3) + 1;
    const unsigned stride = (ctx.seed >> 12) + 1;
    unsigned start = ctx.seed & 0x1FF;
    auto keyWord = [k](unsigned o) {
        return static_cast<uint16_t>(k[o] | k[(o + 1) % kScrambleKeyBytes] << 8);
    };
    size_t i = 0;
    for (; i + 1 < data.size(); i += 2) {
        uint16_t w = static_cast<uint16_t>(data[i] | data[i + 1] << 8);
        unsigned o = start;
        for (unsigned p = 0; p < passes; ++p) {
            w ^= keyWord(o);
            o = (o + stride) % kScrambleKeyBytes;
        }
        data[i] = static_cast<uint8_t>(w);
        data[i + 1] = static_cast<uint8_t>(w >> 8);
        start = (start + 2) % kScrambleKeyBytes;
    }
    if (i < data.size()) {
        uint8_t b = data[i];
        unsigned o = start;
        for (unsigned p = 0; p < passes; ++p) {
            b ^= k[o];
            o = (o + stride) % kScrambleKeyBytes;
        }
        data[i] = b;
    }
}

} // namespace qs::class3
