// Builds class 2 reply datagrams field by field, independently of the library's own codec, so
// that tests compare the library against the wire layout rather than against itself.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace qs::test {

class Bytes {
  public:
    explicit Bytes(size_t n) : d_(n, 0) {}
    Bytes &u16(size_t at, uint16_t v) {
        d_.at(at) = static_cast<uint8_t>(v >> 8);
        d_.at(at + 1) = static_cast<uint8_t>(v);
        return *this;
    }
    Bytes &u32(size_t at, uint32_t v) {
        u16(at, static_cast<uint16_t>(v >> 16));
        return u16(at + 2, static_cast<uint16_t>(v));
    }
    Bytes &text(size_t at, const std::string &s) {
        std::memcpy(&d_.at(at), s.data(), s.size());
        return *this;
    }
    Bytes &fill(size_t at, size_t n, uint8_t v) {
        for (size_t i = 0; i < n; ++i)
            d_.at(at + i) = v;
        return *this;
    }
    const std::vector<uint8_t> &bytes() const { return d_; }
    operator std::vector<uint8_t>() const { return d_; }

  private:
    std::vector<uint8_t> d_;
};

inline uint16_t be16(const std::vector<uint8_t> &d, size_t at) {
    return static_cast<uint16_t>(d.at(at) << 8 | d.at(at + 1));
}
inline uint32_t be32(const std::vector<uint8_t> &d, size_t at) {
    return static_cast<uint32_t>(be16(d, at)) << 16 | be16(d, at + 2);
}

inline Bytes header(size_t total, uint16_t keyId = 0, uint16_t secondId = 0) {
    Bytes b(total);
    b.u16(6, static_cast<uint16_t>(total - 16)).u16(8, keyId).u16(10, secondId);
    return b;
}

inline std::vector<uint8_t> searchReply(uint32_t address, uint32_t mask, const std::string &name,
                                        uint16_t keyId = 1, uint16_t secondId = 0x0203) {
    return header(56, keyId, secondId).u32(16, address).u32(20, mask).text(24, name);
}

inline std::vector<uint8_t> informationReply(uint32_t model, uint16_t capability,
                                             uint16_t keyId = 1, uint16_t secondId = 0x0203) {
    return header(42, keyId, secondId)
        .u32(16, 0xDEADBEEF)
        .u32(20, model)
        .text(24, "\x01\x02\x03\x04\x05\x06")
        .u16(30, 0x3031)
        .u32(32, 0x32333435)
        .u16(36, capability)
        .u16(38, 0x3839)
        .u16(40, 0x4041);
}

inline std::vector<uint8_t> statusShort(uint16_t state) {
    Bytes b = header(184);
    b.u16(20, state).u32(24, 0x11223344).u16(28, 2);
    for (int i = 0; i < 4; ++i) {
        b.u16(48 + 2 * i, static_cast<uint16_t>(i + 1));
        b.fill(56 + 32 * i, 32, static_cast<uint8_t>('A' + i));
    }
    return b;
}

inline std::vector<uint8_t> statusLong(uint16_t state, uint16_t timerKind = 1) {
    Bytes b = header(372);
    b.u32(20, 12345).u16(24, timerKind);
    b.u16(28, 23).u16(30, 59).u16(32, 58);
    const size_t o = timerKind <= 2 ? 34 : 28;
    b.u16(o, state).u32(o + 2, 0x0A0B0C0D).u16(o + 6, 4).u16(o + 8, 1);
    for (int i = 0; i < 4; ++i) {
        b.u16(o + 10 + 2 * i, static_cast<uint16_t>(10 + i));
        b.fill(o + 18 + 32 * i, 32, static_cast<uint8_t>('a' + i));
    }
    b.u16(o + 146, 0x1460).u16(o + 148, 0x1480).fill(o + 150, 128, 'T');
    b.u32(o + 278, 7).u32(o + 282, 0xCB007105).fill(o + 286, 32, 'S');
    for (int i = 0; i < 5; ++i)
        b.u32(o + 318 + 4 * i, static_cast<uint32_t>(1000 * (i + 1)));
    return b;
}

inline std::vector<uint8_t> commandReply(uint16_t word) {
    return header(80).u16(20, word);
}
inline std::vector<uint8_t> changeSiteReply(uint16_t word) {
    return header(18).u16(16, word);
}

} // namespace qs::test
