// Class 2 router datagrams: building requests and reading replies. Pure functions over bytes.
#pragma once

#include "os/platform.h"
#include "quaystone/quaystone.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs::class2 {

constexpr uint16_t kPort = 4449;
constexpr size_t kReceiveBuffer = 1296;
constexpr size_t kHeaderSize = 16;

constexpr size_t kSearchReplySize = 56;
constexpr size_t kInformationReplySize = 42;
constexpr size_t kStatusShortReplySize = 184;
constexpr size_t kStatusLongReplySize = 372;
constexpr size_t kCommandReplySize = 80;
constexpr size_t kChangeSiteReplySize = 18;

// Models from this code on use the long status format and offer the extended calls.
constexpr uint32_t kLongStatusModel = 0x23090;

enum Command : uint8_t {
    kSearch = 1,
    kInformation = 4,
    kStatus = 100,
    kDisconnect = 104,
    kConnect = 106,
    kChangeSite = 110,
};

// The sequence number for the next request datagram: 1..65535, then 1 again.
uint16_t nextSequence();

struct Identity {
    uint16_t keyId = 0;
    uint16_t secondId = 0;
};

std::vector<uint8_t> buildSearch(uint16_t sequence, const LocalTime &now);
std::vector<uint8_t> buildInformation(uint16_t sequence, Identity id, uint32_t address);
std::vector<uint8_t> buildStatus(uint16_t sequence, const RouterRecord &record, int port,
                                 bool clearCounters);
std::vector<uint8_t> buildConnect(uint16_t sequence, const RouterRecord &record, int port);
std::vector<uint8_t> buildDisconnect(uint16_t sequence, const RouterRecord &record, int port);
std::vector<uint8_t> buildChangeSite(uint16_t sequence, const RouterRecord &record, int port,
                                     uint16_t site);

bool usesLongStatus(uint32_t modelCode);

struct SearchReply {
    Identity id;
    uint32_t address = 0;
    uint32_t subnetMask = 0;
    uint8_t name[32] = {};
};
std::optional<SearchReply> parseSearchReply(std::span<const uint8_t> d);

struct InformationReply {
    Identity id;
    uint32_t modelCode = 0;
    // Fields only the router gives meaning to travel as the bytes it sent, in its byte order.
    uint8_t raw[6] = {};
    uint8_t raw30[2] = {};
    uint32_t value32 = 0;
    uint16_t capability = 0;
    uint8_t raw38[2] = {};
    uint8_t raw40[2] = {};
};
std::optional<InformationReply> parseInformationReply(std::span<const uint8_t> d);

// Key ids a search reply may carry for its router to be accepted.
bool acceptableKeyId(uint16_t keyId);

// Fills record fields from an accepted search and information reply (record must be zeroed).
void fillRouterRecord(RouterRecord &record, const SearchReply &s, const InformationReply &i);

// Short status reply: writes the port's condition. Returns the raw line state or nullopt when the
// reply has the wrong length.
std::optional<uint16_t> applyStatusShort(std::span<const uint8_t> d, PortCondition &out);

// Long status reply. The line state as the router reported it (21 not folded), or nullopt.
std::optional<uint16_t> longStatusState(std::span<const uint8_t> d);
std::optional<uint16_t> applyStatusLong(std::span<const uint8_t> d, PortCondition &out);
std::optional<uint16_t> applyStatusLongEx(std::span<const uint8_t> d, ConditionExRecord &out);

// Connect/disconnect reply: the result word, or nullopt on a wrong length.
std::optional<uint16_t> parseCommandReply(std::span<const uint8_t> d);
// Change destination reply: the result word, or nullopt on a wrong length.
std::optional<uint16_t> parseChangeSiteReply(std::span<const uint8_t> d);

} // namespace qs::class2
