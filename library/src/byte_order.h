// Bounds-checked reads and writes of fixed-width integers in a byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace qs {

inline uint16_t readBe16(std::span<const uint8_t> b, size_t at) {
    if (at + 2 > b.size()) return 0;
    return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}

inline uint32_t readBe32(std::span<const uint8_t> b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
           static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

inline void writeBe16(std::span<uint8_t> b, size_t at, uint16_t v) {
    if (at + 2 > b.size()) return;
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

inline void writeBe32(std::span<uint8_t> b, size_t at, uint32_t v) {
    if (at + 4 > b.size()) return;
    b[at] = static_cast<uint8_t>(v >> 24);
    b[at + 1] = static_cast<uint8_t>(v >> 16);
    b[at + 2] = static_cast<uint8_t>(v >> 8);
    b[at + 3] = static_cast<uint8_t>(v);
}

inline uint16_t readLe16(std::span<const uint8_t> b, size_t at) {
    if (at + 2 > b.size()) return 0;
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

inline uint32_t readLe32(std::span<const uint8_t> b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return b[at] | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(b[at + 3]) << 24;
}

inline void writeLe16(std::span<uint8_t> b, size_t at, uint16_t v) {
    if (at + 2 > b.size()) return;
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void writeLe32(std::span<uint8_t> b, size_t at, uint32_t v) {
    if (at + 4 > b.size()) return;
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Copies n bytes from b[at..] into out, zero-filling whatever the buffer does not hold.
inline void copyRaw(std::span<const uint8_t> b, size_t at, void *out, size_t n) {
    auto *o = static_cast<uint8_t *>(out);
    std::memset(o, 0, n);
    if (at >= b.size()) return;
    size_t avail = b.size() - at;
    std::memcpy(o, b.data() + at, n < avail ? n : avail);
}

} // namespace qs
