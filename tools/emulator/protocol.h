// A router's answer to one request datagram. No sockets here: the server hands over the bytes
// and sends what comes back.
#pragma once

#include "router.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qs::emulator {

constexpr uint16_t kRouterPort = 4449;
constexpr size_t kHeaderSize = 16;

constexpr size_t kSearchReplySize = 56;
constexpr size_t kInformationReplySize = 42;
constexpr size_t kStatusShortReplySize = 184;
constexpr size_t kStatusLongReplySize = 372;
constexpr size_t kCommandReplySize = 80;
constexpr size_t kChangeSiteReplySize = 18;
// Longer than any receiver of these replies expects (its buffer holds 1296 bytes).
constexpr size_t kOversizeReplySize = 1400;

// Models from this code on answer the status request in the long form.
constexpr uint32_t kLongStatusModel = 0x23090;

enum class Arrival { Broadcast, Unicast };

// Handles one received datagram at nowMs (milliseconds since start) and returns the datagrams
// the router sends back, in order: none for anything it does not answer, two for a search when
// it is told to answer twice. Requests that are too short for their command are not answered.
std::vector<std::vector<uint8_t>> handleRequest(Router &router, std::span<const uint8_t> request,
                                                Arrival arrival, int64_t nowMs);

} // namespace qs::emulator
