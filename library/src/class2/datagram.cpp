#include "class2/datagram.h"

#include "byte_order.h"

#include <atomic>
#include <cstring>

namespace qs::class2 {

namespace {

constexpr uint16_t kCommandBit = 0x0100;
constexpr uint16_t kDirectoryBit = 0x4000; // search and information requests

std::atomic<uint16_t> g_sequence{0};

uint16_t commandWord(Command c, int port) {
    uint16_t number = c;
    if ((number % 2) == 0 && port != 0) number += 1;
    uint16_t word = kCommandBit | number;
    if (c == kSearch || c == kInformation) word |= kDirectoryBit;
    return word;
}

std::vector<uint8_t> header(uint16_t sequence, Command c, int port, uint16_t payload, Identity id) {
    std::vector<uint8_t> d(kHeaderSize + payload, 0);
    writeBe16(d, 0, sequence);
    writeBe16(d, 4, commandWord(c, port));
    writeBe16(d, 6, payload);
    writeBe16(d, 8, id.keyId);
    writeBe16(d, 10, id.secondId);
    return d;
}

Identity identityOf(const RouterRecord &r) {
    return Identity{r.key_id, r.second_id};
}

void copyName(std::span<const uint8_t> d, size_t at, char (&out)[40]) {
    std::memset(out, 0, sizeof out);
    copyRaw(d, at, out, 32);
}

// Fields common to the plain condition in both formats, at the offsets the format gives.
void fillPort(std::span<const uint8_t> d, PortCondition &out, uint16_t state, size_t flagsAt,
              size_t siteAt, size_t registeredAt, size_t namesAt) {
    out.line_state = state;
    out.status_flags = readBe32(d, flagsAt);
    out.selected_site = readBe16(d, siteAt);
    for (int i = 0; i < 4; ++i) {
        out.site_registered[i] = readBe16(d, registeredAt + 2 * i);
        copyName(d, namesAt + 32 * i, out.site_names[i]);
    }
}

size_t secondBlock(std::span<const uint8_t> d) {
    uint16_t kind = readBe16(d, 24);
    return kind <= 2 ? 34 : 28;
}

} // namespace

uint16_t nextSequence() {
    // Lock-free: concurrent requests may share a number, which the routers tolerate.
    uint16_t current = g_sequence.load(std::memory_order_relaxed);
    uint16_t next;
    do {
        next = current == 0xFFFF ? 1 : static_cast<uint16_t>(current + 1);
    } while (!g_sequence.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}

std::vector<uint8_t> buildSearch(uint16_t sequence, const LocalTime &now) {
    auto d = header(sequence, kSearch, 0, 16, Identity{});
    std::memcpy(d.data() + 16, "QHD4 Check", 10);
    writeBe16(d, 26, static_cast<uint16_t>(now.hour));
    writeBe16(d, 28, static_cast<uint16_t>(now.minute));
    writeBe16(d, 30, static_cast<uint16_t>(now.second));
    return d;
}

std::vector<uint8_t> buildInformation(uint16_t sequence, Identity id, uint32_t address) {
    auto d = header(sequence, kInformation, 0, 4, id);
    writeBe32(d, 16, address);
    return d;
}

bool usesLongStatus(uint32_t modelCode) {
    return modelCode >= kLongStatusModel;
}

std::vector<uint8_t> buildStatus(uint16_t sequence, const RouterRecord &record, int port,
                                 bool clearCounters) {
    if (!usesLongStatus(record.model_code)) {
        auto d = header(sequence, kStatus, port, 4, identityOf(record));
        writeBe32(d, 16, record.address);
        return d;
    }
    auto d = header(sequence, kStatus, port, 8, identityOf(record));
    writeBe32(d, 16, record.address);
    writeBe16(d, 20, clearCounters ? 1 : 0);
    return d;
}

std::vector<uint8_t> buildConnect(uint16_t sequence, const RouterRecord &record, int port) {
    auto d = header(sequence, kConnect, port, 4, identityOf(record));
    writeBe32(d, 16, record.address);
    return d;
}

std::vector<uint8_t> buildDisconnect(uint16_t sequence, const RouterRecord &record, int port) {
    auto d = header(sequence, kDisconnect, port, 4, identityOf(record));
    writeBe32(d, 16, record.address);
    return d;
}

std::vector<uint8_t> buildChangeSite(uint16_t sequence, const RouterRecord &record, int port,
                                     uint16_t site) {
    auto d = header(sequence, kChangeSite, port, 2, identityOf(record));
    writeBe16(d, 16, site);
    return d;
}

std::optional<SearchReply> parseSearchReply(std::span<const uint8_t> d) {
    if (d.size() != kSearchReplySize) return std::nullopt;
    SearchReply r;
    r.id = Identity{readBe16(d, 8), readBe16(d, 10)};
    r.address = readBe32(d, 16);
    r.subnetMask = readBe32(d, 20);
    copyRaw(d, 24, r.name, sizeof r.name);
    return r;
}

std::optional<InformationReply> parseInformationReply(std::span<const uint8_t> d) {
    if (d.size() != kInformationReplySize) return std::nullopt;
    InformationReply r;
    r.id = Identity{readBe16(d, 8), readBe16(d, 10)};
    r.modelCode = readBe32(d, 20);
    copyRaw(d, 24, r.raw, sizeof r.raw);
    copyRaw(d, 30, r.raw30, sizeof r.raw30);
    r.value32 = readBe32(d, 32);
    r.capability = readBe16(d, 36);
    copyRaw(d, 38, r.raw38, sizeof r.raw38);
    copyRaw(d, 40, r.raw40, sizeof r.raw40);
    return r;
}

bool acceptableKeyId(uint16_t k) {
    switch (k) {
    case 0:
    case 1:
    case 2:
    case 17:
    case 18:
    case 19:
    case 20:
    case 0xFFFB:
    case 0xFFFC:
    case 0xFFFD:
    case 0xFFFE:
    case 0xFFFF:
        return true;
    default:
        return false;
    }
}

void fillRouterRecord(RouterRecord &record, const SearchReply &s, const InformationReply &i) {
    record.address = s.address;
    record.subnet_mask = s.subnetMask;
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, s.name, sizeof s.name);
    record.model_code = i.modelCode;
    record.key_id = i.id.keyId;
    record.second_id = i.id.secondId;
    std::memcpy(record.raw_info, i.raw, sizeof i.raw);
    std::memcpy(&record.raw_426, i.raw30, sizeof i.raw30);
    record.value_428 = i.value32;
    record.capability_high = static_cast<uint16_t>((i.capability >> 4) & 0x0F);
    record.capability_low = static_cast<uint16_t>(i.capability & 0x0F);
    std::memcpy(&record.raw_436, i.raw38, sizeof i.raw38);
    std::memcpy(&record.raw_438, i.raw40, sizeof i.raw40);
    record.auth_seed = 0;
    record.auth_flag = 0;
    record.from_challenge = 0;
}

std::optional<uint16_t> applyStatusShort(std::span<const uint8_t> d, PortCondition &out) {
    if (d.size() != kStatusShortReplySize) return std::nullopt;
    uint16_t state = readBe16(d, 20);
    fillPort(d, out, state, 24, 28, 48, 56);
    return state;
}

std::optional<uint16_t> longStatusState(std::span<const uint8_t> d) {
    if (d.size() != kStatusLongReplySize) return std::nullopt;
    return readBe16(d, secondBlock(d));
}

std::optional<uint16_t> applyStatusLong(std::span<const uint8_t> d, PortCondition &out) {
    auto s = longStatusState(d);
    if (!s) return std::nullopt;
    size_t b = secondBlock(d);
    uint16_t state = *s == LINE_CONNECTED_EX ? LINE_CONNECTED : *s;
    fillPort(d, out, state, b + 2, b + 8, b + 10, b + 18);
    return s;
}

std::optional<uint16_t> applyStatusLongEx(std::span<const uint8_t> d, ConditionExRecord &out) {
    auto s = longStatusState(d);
    if (!s) return std::nullopt;
    size_t b = secondBlock(d);
    out.line_state = *s;
    out.status_flags = readBe32(d, b + 2);
    out.line_type = readBe16(d, b + 6);
    out.selected_site = readBe16(d, b + 8);
    for (int i = 0; i < 4; ++i) {
        out.site_registered[i] = readBe16(d, b + 10 + 2 * i);
        copyName(d, b + 18 + 32 * i, out.site_names[i]);
    }
    out.value_180 = readBe16(d, b + 146);
    out.value_182 = readBe16(d, b + 148);
    std::memset(out.text_184, 0, sizeof out.text_184);
    copyRaw(d, b + 150, out.text_184, 128);
    out.connection_mode = readBe32(d, b + 278);
    out.global_address = readBe32(d, b + 282);
    copyName(d, b + 286, out.text_332);
    out.bytes_sent = readBe32(d, b + 318);
    out.bytes_received = readBe32(d, b + 322);
    out.packets_sent = readBe32(d, b + 326);
    out.packets_received = readBe32(d, b + 330);
    out.error_packets = readBe32(d, b + 334);
    out.connection_time = readBe32(d, 20);
    out.timer_kind = readBe16(d, 24);
    if (out.timer_kind == 1) {
        out.timer_hour = readBe16(d, 28);
        out.timer_minute = readBe16(d, 30);
        out.timer_second = readBe16(d, 32);
        out.timer_value = 0;
    } else if (out.timer_kind == 2) {
        out.timer_hour = out.timer_minute = out.timer_second = 0;
        out.timer_value = readBe32(d, 28);
    }
    return s;
}

std::optional<uint16_t> parseCommandReply(std::span<const uint8_t> d) {
    if (d.size() != kCommandReplySize) return std::nullopt;
    return readBe16(d, 20);
}

std::optional<uint16_t> parseChangeSiteReply(std::span<const uint8_t> d) {
    if (d.size() != kChangeSiteReplySize) return std::nullopt;
    return readBe16(d, 16);
}

} // namespace qs::class2
