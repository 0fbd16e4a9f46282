// TFTP packets (RFC 1350) as class 3 routers use them: requests in mode "octet", data,
// acknowledgements and errors.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qs::class3 {

enum Opcode : uint16_t { kReadRequest = 1, kWriteRequest = 2, kData = 3, kAck = 4, kError = 5 };

constexpr uint16_t kTftpPort = 69;
constexpr size_t kBlockSize = 512;
constexpr size_t kTftpBuffer = 516;

std::vector<uint8_t> makeRequest(Opcode op, const std::string &fileName);
std::vector<uint8_t> makeData(uint16_t block, std::span<const uint8_t> payload);
std::vector<uint8_t> makeAck(uint16_t block);
std::vector<uint8_t> makeError(uint16_t code, const std::string &message);

struct Packet {
    uint16_t opcode = 0; // 0 when the datagram is too short to carry one
    uint16_t number = 0; // block number or error code
    // Data bytes, or the error message up to its NUL (or to the end when the NUL is missing).
    std::span<const uint8_t> body;
};

// Reads only within the datagram. Request packets are reported by opcode with an empty body.
Packet parsePacket(std::span<const uint8_t> datagram);

} // namespace qs::class3
