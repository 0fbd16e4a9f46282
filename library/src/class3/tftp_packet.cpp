#include "class3/tftp_packet.h"

#include <algorithm>

namespace qs::class3 {

namespace {

void put16(std::vector<uint8_t> &d, uint16_t v) {
    d.push_back(static_cast<uint8_t>(v >> 8));
    d.push_back(static_cast<uint8_t>(v));
}

} // namespace

std::vector<uint8_t> makeRequest(Opcode op, const std::string &fileName) {
    std::vector<uint8_t> d;
    put16(d, op);
    d.insert(d.end(), fileName.begin(), fileName.end());
    d.push_back(0);
    static const char mode[] = "octet";
    d.insert(d.end(), mode, mode + sizeof mode); // with its NUL
    return d;
}

std::vector<uint8_t> makeData(uint16_t block, std::span<const uint8_t> payload) {
    std::vector<uint8_t> d;
    put16(d, kData);
    put16(d, block);
    d.insert(d.end(), payload.begin(), payload.end());
    return d;
}

std::vector<uint8_t> makeAck(uint16_t block) {
    std::vector<uint8_t> d;
    put16(d, kAck);
    put16(d, block);
    return d;
}

std::vector<uint8_t> makeError(uint16_t code, const std::string &message) {
    std::vector<uint8_t> d;
    put16(d, kError);
    put16(d, code);
    d.insert(d.end(), message.begin(), message.end());
    d.push_back(0);
    return d;
}

Packet parsePacket(std::span<const uint8_t> d) {
    Packet p;
    if (d.size() < 2) return p;
    p.opcode = static_cast<uint16_t>(d[0] << 8 | d[1]);
    if (p.opcode != kData && p.opcode != kAck && p.opcode != kError) return p;
    if (d.size() < 4) {
        p.opcode = 0; // too short for its number: not a usable packet
        return p;
    }
    p.number = static_cast<uint16_t>(d[2] << 8 | d[3]);
    auto rest = d.subspan(4);
    if (p.opcode == kData) {
        p.body = rest;
    } else if (p.opcode == kError) {
        auto nul = std::find(rest.begin(), rest.end(), uint8_t{0});
        p.body = rest.first(static_cast<size_t>(nul - rest.begin()));
    }
    return p;
}

} // namespace qs::class3
