#include "class3/router_files.h"

#include "byte_order.h"

#include <cstring>

namespace qs::class3 {

namespace {

constexpr size_t kPortBlocksAt = 16;
constexpr uint32_t kSeconds1900To1970 = 2208988800u;

std::span<const uint8_t> portBlock(std::span<const uint8_t> status, int port) {
    return status.subspan(kPortBlocksAt + static_cast<size_t>(port) * kPortBlockSize,
                          kPortBlockSize);
}

void copyName(std::span<const uint8_t> b, size_t at, char (&out)[40]) {
    std::memset(out, 0, sizeof out);
    copyRaw(b, at, out, 32);
}

} // namespace

std::optional<SearchFile> readSearchFile(std::span<const uint8_t> file) {
    if (file.size() != kSearchFileSize) return std::nullopt;
    std::vector<uint8_t> d(file.begin(), file.end());
    SearchFile f;
    f.scramble.seed = unrotateSeed(readLe16(d, 0));
    f.scramble.keyId = readLe16(d, 2);
    f.scramble.modelCode = readLe32(d, 4);
    scramble(std::span<uint8_t>(d).subspan(8), f.scramble);
    f.address = readLe32(d, 8);
    f.subnetMask = readLe32(d, 12);
    copyRaw(d, 16, f.name, sizeof f.name);
    copyRaw(d, 48, f.raw, sizeof f.raw);
    return f;
}

void applySearchFile(RouterRecord &r, const SearchFile &f) {
    r.address = f.address;
    r.subnet_mask = f.subnetMask;
    std::memset(r.name, 0, sizeof r.name);
    std::memcpy(r.name, f.name, sizeof f.name);
    r.model_code = f.scramble.modelCode;
    r.key_id = f.scramble.keyId;
    r.second_id = 0;
    // Offsets 420..439 of the record take the file's bytes 48..67 unchanged: both are
    // little-endian, field for field.
    std::memcpy(reinterpret_cast<uint8_t *>(&r) + 420, f.raw, sizeof f.raw);
    r.scramble_seed = f.scramble.seed;
}

std::optional<std::vector<uint8_t>> unscrambleStatusFile(std::span<const uint8_t> file,
                                                         const ScrambleContext &ctx) {
    if (file.size() != kStatusFileSize) return std::nullopt;
    std::vector<uint8_t> d(file.begin(), file.end());
    scramble(d, ctx);
    return d;
}

uint16_t statusSeedEcho(std::span<const uint8_t> status) {
    return readLe16(status, 0);
}

uint16_t portState(std::span<const uint8_t> status, int port, bool extended) {
    auto b = portBlock(status, port);
    if (readLe16(b, 0) == 0) return LINE_OFF;
    const uint8_t bits = static_cast<uint8_t>(readLe16(b, 2));
    if (bits & 0x01) return LINE_IDLE;
    if (bits & 0x06) return LINE_BUSY;
    if (bits & 0x08) return LINE_CONNECTED;
    if (bits & 0x10) return extended ? LINE_CONNECTED_EX : LINE_CONNECTED;
    return LINE_OFF;
}

uint32_t portStatusFlags(std::span<const uint8_t> status, int port) {
    auto b = portBlock(status, port);
    uint32_t flags = readLe32(b, 6);
    if ((flags & 3) == 3) flags &= readLe16(b, 12) == 3 ? ~1u : ~2u;
    return flags;
}

void fillPortCondition(std::span<const uint8_t> status, int port, PortCondition &out) {
    auto b = portBlock(status, port);
    out.line_state = portState(status, port, false);
    out.status_flags = portStatusFlags(status, port);
    out.selected_site = readLe16(b, 12);
    for (int i = 0; i < 4; ++i) {
        out.site_registered[i] = readLe16(b, 14 + 2 * i);
        copyName(b, 22 + 32 * i, out.site_names[i]);
    }
}

void fillConditionEx(std::span<const uint8_t> status, int port, Clock &clock,
                     ConditionExRecord &out) {
    auto b = portBlock(status, port);
    out.line_state = portState(status, port, true);
    out.status_flags = portStatusFlags(status, port);
    out.line_type = readLe16(b, 10);
    out.selected_site = readLe16(b, 12);
    for (int i = 0; i < 4; ++i) {
        out.site_registered[i] = readLe16(b, 14 + 2 * i);
        copyName(b, 22 + 32 * i, out.site_names[i]);
    }
    out.value_180 = readLe16(b, 158);
    out.value_182 = readLe16(b, 160);
    std::memset(out.text_184, 0, sizeof out.text_184);
    copyRaw(b, 162, out.text_184, 128);
    out.connection_mode = readLe32(b, 150);
    out.global_address = readLe32(b, 290);
    copyName(b, 294, out.text_332);
    out.bytes_sent = readLe32(b, 326);
    out.bytes_received = readLe32(b, 330);
    out.packets_sent = readLe32(b, 334);
    out.packets_received = readLe32(b, 338);
    out.error_packets = readLe32(b, 342);
    out.connection_time = readLe32(b, 154);
    out.timer_kind = readLe16(status, 10);
    const uint32_t value = readLe32(status, 12);
    out.timer_hour = out.timer_minute = out.timer_second = 0;
    out.timer_value = 0;
    if (out.timer_kind == 1) {
        // Wraps like the routers' own 32-bit arithmetic.
        const uint32_t unix = value - kSeconds1900To1970;
        LocalTime t = clock.localTimeOf(unix);
        out.timer_hour = static_cast<uint16_t>(t.hour);
        out.timer_minute = static_cast<uint16_t>(t.minute);
        out.timer_second = static_cast<uint16_t>(t.second);
    } else if (out.timer_kind == 2) {
        out.timer_value = value;
    }
}

} // namespace qs::class3
