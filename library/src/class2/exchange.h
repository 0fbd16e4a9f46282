// Datagram exchanges with class 2 routers: one broadcast collection and unicast request/reply
// with retransmission.
#pragma once

#include "os/platform.h"
#include "quaystone/quaystone.h"

#include <cstdint>
#include <vector>

namespace qs::class2 {

// Transport outcomes.
constexpr int kReplied = 0;
constexpr int kSocketFailure = -2;
constexpr int kNoReply = -3;

constexpr int kWaitMs = 1000;
constexpr int kRetransmissions = 3;
constexpr size_t kMaxSenders = 64;

struct Reply {
    int transport = kNoReply;
    std::vector<uint8_t> bytes; // the datagram as received, cut to the receive buffer
    bool truncated = false;     // it did not fit the receive buffer
};

struct Sender {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
    bool truncated = false;
};

Reply unicastExchange(Network &net, uint32_t address, const std::vector<uint8_t> &request);

// Sends request to 255.255.255.255 once and collects what arrives until a second passes in
// silence. Returns kReplied (even with nothing collected) or kSocketFailure.
int broadcastExchange(Network &net, const std::vector<uint8_t> &request,
                      std::vector<Sender> &collection);

// The library's result code for a failed exchange: -101 for silence, -1 otherwise.
int failureCode(const Reply &r);

} // namespace qs::class2
