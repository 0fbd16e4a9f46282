// What a class 3 router answers over TFTP (RFC 1350): the request that opens a transfer on port
// 69, then the data and acknowledgements that carry it on from a port of the transfer's own. No
// sockets here: the server hands over the bytes and sends what comes back.
#pragma once

#include "protocol.h"
#include "router.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qs::emulator {

constexpr uint16_t kTftpPort = 69;
constexpr size_t kTftpBlockSize = 512;
constexpr size_t kSearchFileSize = 68;
constexpr size_t kStatusFileSize = 964;
constexpr size_t kPortBlockSize = 346;

// TFTP error codes as the routers use them.
constexpr uint16_t kErrorAnswer = 0;          // the message carries an answer text
constexpr uint16_t kErrorStale = 3;           // the write carried another scrambling seed
constexpr uint16_t kErrorIllegal = 4;         // an unknown command or a malformed request
constexpr uint16_t kErrorUnknownTransfer = 5; // a packet from a stranger on a transfer's port
constexpr uint16_t kErrorChallenge = 7;       // the digest was wrong; carries the seed to use

// One transfer between a class 3 router and a client, from its request on.
struct TftpTransfer {
    bool reading = true;
    Class3Command command = kSearch3;
    std::vector<uint8_t> file;    // reading: what is sent
    uint16_t sent = 0;            // reading: the block the client is to acknowledge next
    std::vector<uint8_t> payload; // writing: what arrived so far
    uint16_t received = 0;        // writing: the last block taken
    std::vector<uint8_t> last;    // the last packet sent, repeated when the client repeats
};

struct TftpReply {
    std::vector<std::vector<uint8_t>> datagrams; // in order, from the transfer's port
    bool open = false;                           // the client has more to send on it
};

// A datagram to port 69 (broadcast, or to the router's own address). Fills `transfer` for the
// packets that follow when the reply says open.
TftpReply handleTftpRequest(Router &router, TftpTransfer &transfer,
                            std::span<const uint8_t> request, Arrival arrival, int64_t nowMs);

// A datagram from the transfer's client to the transfer's port.
TftpReply handleTftpPacket(Router &router, TftpTransfer &transfer,
                           std::span<const uint8_t> datagram, int64_t nowMs);

std::vector<uint8_t> tftpError(uint16_t code, std::string_view message);

// The files before any fault is applied, as the router sends them: scrambled when its seed is
// not 0, the search file's seed rotated.
std::vector<uint8_t> searchFile(const Router &router);
std::vector<uint8_t> statusFile(const Router &router);

} // namespace qs::emulator
