// Big-endian field access for the emulator's datagrams. Kept apart from the library's own helpers
// on purpose: the emulator is the library's peer in tests, and a shared byte-order mistake would
// cancel itself out instead of showing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace qs::emulator {

// Reads fields of received bytes; every read outside the datagram yields nullopt.
class WireReader {
  public:
    explicit WireReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t size() const { return bytes_.size(); }

    std::optional<uint16_t> u16(size_t at) const {
        if (at > bytes_.size() || bytes_.size() - at < 2) return std::nullopt;
        return static_cast<uint16_t>(bytes_[at] << 8 | bytes_[at + 1]);
    }

    std::optional<uint32_t> u32(size_t at) const {
        auto high = u16(at);
        auto low = u16(at + 2);
        if (!high || !low) return std::nullopt;
        return static_cast<uint32_t>(*high) << 16 | *low;
    }

    bool holds(size_t at, std::string_view text) const {
        if (at > bytes_.size() || bytes_.size() - at < text.size()) return false;
        return std::equal(text.begin(), text.end(), bytes_.begin() + static_cast<ptrdiff_t>(at),
                          [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
    }

  private:
    std::span<const uint8_t> bytes_;
};

// Builds a datagram of fixed size; writes that would not fit are dropped, so a layout mistake
// shows as a missing field in a test rather than as memory corruption.
class WireWriter {
  public:
    explicit WireWriter(size_t size) : bytes_(size, 0) {}

    void u16(size_t at, uint16_t v) {
        if (at > bytes_.size() || bytes_.size() - at < 2) return;
        bytes_[at] = static_cast<uint8_t>(v >> 8);
        bytes_[at + 1] = static_cast<uint8_t>(v);
    }

    void u32(size_t at, uint32_t v) {
        u16(at, static_cast<uint16_t>(v >> 16));
        u16(at + 2, static_cast<uint16_t>(v));
    }

    // Copies at most width bytes of raw, zero-filling the rest of the field.
    void raw(size_t at, std::span<const uint8_t> raw, size_t width) {
        for (size_t i = 0; i < width && at + i < bytes_.size(); ++i)
            bytes_[at + i] = i < raw.size() ? raw[i] : 0;
    }

    void text(size_t at, std::string_view s, size_t width) {
        raw(at, {reinterpret_cast<const uint8_t *>(s.data()), s.size()}, width);
    }

    std::vector<uint8_t> take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

} // namespace qs::emulator
