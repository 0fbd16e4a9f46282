#include "class3_protocol.h"

#include "line.h"

// The emulator shares the library's key table, digest and scrambling: a router and its client
// hold the same secrets. Everything else (packets, files, byte order) is written out here.
#include "class3/file_name.h"
#include "class3/scramble.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace qs::emulator {

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kRead = 1;
constexpr uint16_t kWrite = 2;
constexpr uint16_t kData = 3;
constexpr uint16_t kAck = 4;
constexpr uint16_t kError = 5;

// No command needs more than one block; a client that goes on is cut off.
constexpr size_t kMaxPayload = 8 * kTftpBlockSize;

struct CommandInfo {
    std::string_view word;
    class3::Command command;
    bool read;
};

constexpr CommandInfo kCommands[kClass3CommandCount] = {
    {"connect", class3::Command::Connect, false},
    {"disconnect", class3::Command::Disconnect, false},
    {"changeaccount", class3::Command::ChangeAccount, false},
    {"getstatus", class3::Command::GetStatus, true},
    {"clearstatus", class3::Command::ClearStatus, false},
    {"search", class3::Command::Search, true},
};

// Refusal texts by the code the client turns them into; the same code means different texts
// for the dial commands and for the change of destination.
std::string dialRefusal(uint16_t code) {
    switch (code) {
    case 0:
        return "non use port";
    case 1:
        return "leased line";
    case 2:
        return "ras server";
    case 3:
        return "non active port";
    case 5:
        return "active port";
    }
    return "refused " + std::to_string(code);
}

std::string siteRefusal(uint16_t code) {
    switch (code) {
    case 1:
        return "active port";
    case 2:
        return "illegal parameter";
    case 3:
        return "not account number";
    case 4:
        return "not change account";
    case 5:
        return "non use port";
    }
    return "refused " + std::to_string(code);
}

// Class 3 files are little-endian, unlike the TFTP header around them.
class LeWriter {
  public:
    explicit LeWriter(size_t size) : bytes_(size, 0) {}
    void u16(size_t at, uint16_t v) {
        bytes_.at(at) = static_cast<uint8_t>(v);
        bytes_.at(at + 1) = static_cast<uint8_t>(v >> 8);
    }
    void u32(size_t at, uint32_t v) {
        u16(at, static_cast<uint16_t>(v));
        u16(at + 2, static_cast<uint16_t>(v >> 16));
    }
    void raw(size_t at, std::span<const uint8_t> raw) {
        std::copy(raw.begin(), raw.end(), bytes_.begin() + static_cast<ptrdiff_t>(at));
    }
    void text(size_t at, std::string_view s, size_t width) {
        raw(at, {reinterpret_cast<const uint8_t *>(s.data()), std::min(s.size(), width)});
    }
    Bytes take() { return std::move(bytes_); }

  private:
    Bytes bytes_;
};

uint16_t be16(std::span<const uint8_t> d, size_t at) {
    return static_cast<uint16_t>(d[at] << 8 | d[at + 1]);
}

Bytes packet(uint16_t opcode, uint16_t number, std::span<const uint8_t> body = {}) {
    Bytes d{static_cast<uint8_t>(opcode >> 8), static_cast<uint8_t>(opcode),
            static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
    d.insert(d.end(), body.begin(), body.end());
    return d;
}

// "KKKK/MMMMMMMM/" and the rest: how the routers put every answer into an error message.
std::string answerText(const Router &r, std::string_view rest) {
    char head[16];
    std::snprintf(head, sizeof head, "%04X/%08X/", r.keyId, r.model);
    return head + std::string(rest);
}

class3::ScrambleContext scrambling(const Router &r) {
    return {r.scrambleSeed, r.keyId, r.model};
}

bool authentic(const Router &r, const CommandInfo &c, std::string_view name) {
    class3::AuthContext a;
    a.seed = r.authSeed;
    a.keyId = r.keyId;
    a.modelCode = r.model;
    a.userLength = static_cast<uint32_t>(std::min(r.user.size(), kCredentialBytes));
    std::memcpy(a.user, r.user.data(), a.userLength);
    a.passwordLength = static_cast<uint32_t>(std::min(r.password.size(), kCredentialBytes));
    std::memcpy(a.password, r.password.data(), a.passwordLength);
    return name == class3::fileName(a, c.command);
}

// Block b of a file read: its bytes from (b - 1) * 512; the last block is short, empty when the
// file is a multiple of 512 bytes.
uint16_t blockCount(const Bytes &file) {
    return static_cast<uint16_t>(file.size() / kTftpBlockSize + 1);
}

Bytes dataBlock(const Bytes &file, uint16_t block) {
    size_t from = std::min(file.size(), size_t{block - 1u} * kTftpBlockSize);
    size_t to = std::min(file.size(), from + kTftpBlockSize);
    return packet(kData, block, std::span(file).subspan(from, to - from));
}

TftpReply finalReply(TftpTransfer &t, Bytes d) {
    t.last = d;
    return {{std::move(d)}, false};
}

TftpReply errorReply(TftpTransfer &t, uint16_t code, std::string_view message) {
    return finalReply(t, tftpError(code, message));
}

TftpReply answer(const Router &r, TftpTransfer &t, std::string_view rest) {
    return errorReply(t, kErrorAnswer, answerText(r, rest));
}

bool connected(uint16_t state) {
    return state == kLineConnected || state == kLineConnectedEx;
}

// A refusal the port's dial model asks for, or its line's state gives; nothing when the command
// goes ahead.
std::optional<std::string> dialRefused(const Port &p, bool connect) {
    const Outcome &o = connect ? p.dial : p.hangup;
    if (o.kind == Outcome::Refuse) return dialRefusal(o.value);
    if (p.state == kLineOff) return dialRefusal(0);
    if (connect && p.state != kLineIdle) return dialRefusal(5);
    if (!connect && !connected(p.state)) return dialRefusal(3);
    return std::nullopt;
}

// Carries out a complete write; the reply ends the exchange.
TftpReply command(Router &r, TftpTransfer &t, int64_t nowMs) {
    const Bytes ack = packet(kAck, t.received);
    if (r.staleWrites > 0) {
        --r.staleWrites;
        return errorReply(t, kErrorStale, answerText(r, "seed"));
    }
    if (t.payload.size() != 4) return answer(r, t, "illegal parameter");
    Bytes plain = t.payload;
    class3::scramble(plain, scrambling(r));
    const auto seed = static_cast<uint16_t>(plain[0] | plain[1] << 8);
    const auto argument = static_cast<uint16_t>(plain[2] | plain[3] << 8);
    // The client scrambled with a seed this router no longer uses: it must search again.
    if (seed != r.scrambleSeed) return errorReply(t, kErrorStale, answerText(r, "seed"));
    if (!r.refusals[t.command].empty()) return answer(r, t, r.refusals[t.command]);

    advance(r, nowMs);
    switch (t.command) {
    case kConnect3:
    case kDisconnect3: {
        if (argument != 1 && argument != 2) return answer(r, t, "illegal parameter");
        Port &p = r.ports[argument - 1u];
        const bool connect = t.command == kConnect3;
        if (auto refused = dialRefused(p, connect)) return answer(r, t, *refused);
        if (connect)
            startDial(p, nowMs);
        else
            startHangup(p, nowMs);
        break;
    }
    case kChangeAccount3: {
        const size_t port = argument >> 2;
        if (port > 1) return answer(r, t, "illegal parameter");
        Port &p = r.ports[port];
        if (p.siteResult != 0) return answer(r, t, siteRefusal(p.siteResult));
        if (p.state == kLineOff) return answer(r, t, siteRefusal(5));
        if (p.state != kLineIdle) return answer(r, t, siteRefusal(1));
        p.site = argument & 3;
        break;
    }
    case kClearStatus3:
        if (argument == 0 || argument > 3) return answer(r, t, "illegal parameter");
        for (size_t port = 0; port < 2; ++port)
            if (argument & (1u << port)) clearCounters(r.ports[port]);
        break;
    default:
        return answer(r, t, "illegal parameter");
    }
    return finalReply(t, ack);
}

TftpReply startRead(Router &r, TftpTransfer &t, int64_t nowMs) {
    if (t.command == kSearch3) {
        t.file = searchFile(r);
    } else {
        advance(r, nowMs);
        t.file = statusFile(r);
        if (r.staleStatus > 0) {
            --r.staleStatus;
            // As if the router had scrambled with a seed the client never learnt of.
            Bytes plain = t.file;
            class3::scramble(plain, scrambling(r));
            plain[0] ^= 0x5A;
            plain[1] ^= 0xA5;
            class3::scramble(plain, scrambling(r));
            t.file = std::move(plain);
        }
    }
    if (r.wrongLength != 0)
        t.file.resize(static_cast<size_t>(
            std::max<int64_t>(static_cast<int64_t>(t.file.size()) + r.wrongLength, 0)));
    TftpReply reply{{}, true};
    if (r.block2First && blockCount(t.file) >= 2) reply.datagrams.push_back(dataBlock(t.file, 2));
    t.sent = 1;
    t.last = dataBlock(t.file, 1);
    reply.datagrams.push_back(t.last);
    return reply;
}

std::optional<std::string_view> cString(std::span<const uint8_t> &rest) {
    auto nul = std::find(rest.begin(), rest.end(), uint8_t{0});
    if (nul == rest.end()) return std::nullopt;
    std::string_view s(reinterpret_cast<const char *>(rest.data()),
                       static_cast<size_t>(nul - rest.begin()));
    rest = rest.subspan(s.size() + 1);
    return s;
}

bool isOctet(std::string_view mode) {
    return mode.size() == 5 && std::equal(mode.begin(), mode.end(), "octet",
                                          [](char a, char b) { return (a | 0x20) == b; });
}

} // namespace

std::vector<uint8_t> tftpError(uint16_t code, std::string_view message) {
    Bytes d = packet(kError, code);
    d.insert(d.end(), message.begin(), message.end());
    d.push_back(0);
    return d;
}

std::vector<uint8_t> searchFile(const Router &r) {
    LeWriter w(kSearchFileSize);
    w.u16(0, class3::rotateSeed(r.scrambleSeed));
    w.u16(2, r.keyId);
    w.u32(4, r.model);
    w.u32(8, r.address);
    w.u32(12, r.mask);
    w.text(16, r.name, kNameBytes);
    w.raw(48, r.search48);
    w.u16(54, r.search54);
    w.u32(56, r.search56);
    w.u16(60, r.search60);
    w.u16(62, r.search62);
    w.u16(64, r.search64);
    w.u16(66, r.search66);
    Bytes f = w.take();
    class3::scramble(std::span(f).subspan(8), scrambling(r));
    return f;
}

std::vector<uint8_t> statusFile(const Router &r) {
    LeWriter w(kStatusFileSize);
    w.u16(0, r.scrambleSeed);
    w.u16(10, r.timerKind);
    w.u32(12, r.timerValue);
    for (size_t port = 0; port < 2; ++port) {
        const Port &p = r.ports[port];
        const size_t b = 16 + port * kPortBlockSize;
        uint16_t bits = 0;
        switch (p.state) {
        case kLineIdle:
            bits = 0x01;
            break;
        case kLineBusy:
            bits = 0x02;
            break;
        case kLineConnected:
            bits = 0x08;
            break;
        case kLineConnectedEx:
            bits = 0x10;
            break;
        }
        if (p.stateBits >= 0) bits = static_cast<uint16_t>(p.stateBits);
        w.u16(b, p.state != kLineOff || p.stateBits >= 0 ? 1 : 0);
        w.u16(b + 2, bits);
        w.u32(b + 6, p.statusFlags);
        w.u16(b + 10, p.lineType);
        w.u16(b + 12, p.site);
        for (size_t i = 0; i < 4; ++i) {
            w.u16(b + 14 + 2 * i, p.siteRegistered[i]);
            w.text(b + 22 + kNameBytes * i, p.siteNames[i], kNameBytes);
        }
        w.u32(b + 150, p.connectionMode);
        w.u32(b + 154, p.counter(kConnectionTime));
        w.u16(b + 158, p.statusValue1);
        w.u16(b + 160, p.statusValue2);
        w.text(b + 162, p.statusText1, kLongTextBytes);
        w.u32(b + 290, p.globalAddress);
        w.text(b + 294, p.statusText2, kNameBytes);
        for (size_t c = 0; c < kConnectionTime; ++c)
            w.u32(b + 326 + 4 * c, p.counter(static_cast<Counter>(c)));
    }
    Bytes f = w.take();
    class3::scramble(f, scrambling(r));
    return f;
}

TftpReply handleTftpRequest(Router &r, TftpTransfer &t, std::span<const uint8_t> request,
                            Arrival arrival, int64_t nowMs) {
    t = TftpTransfer{};
    if (r.silent || request.size() < 2) return {};
    const uint16_t opcode = be16(request, 0);
    if (opcode != kRead && opcode != kWrite) return {};
    std::span<const uint8_t> rest = request.subspan(2);
    auto name = cString(rest);
    auto mode = name ? cString(rest) : std::nullopt;
    if (!mode) return {};
    const std::string_view word = name->substr(0, name->find('/'));
    const CommandInfo *c = nullptr;
    for (const auto &known : kCommands)
        if (known.word == word) c = &known;
    // Only the search is meant for every router at once.
    if (arrival == Arrival::Broadcast &&
        !(c && c->command == class3::Command::Search && opcode == kRead))
        return {};
    if (!c || (r.unknownCommand && c->command != class3::Command::Search))
        return errorReply(t, kErrorIllegal, answerText(r, "unknown command"));
    if (!isOctet(*mode) || c->read != (opcode == kRead))
        return errorReply(t, kErrorIllegal, answerText(r, "illegal operation"));

    t.reading = c->read;
    t.command = static_cast<Class3Command>(c - kCommands);
    if (!authentic(r, *c, *name)) {
        char seed[8];
        std::snprintf(seed, sizeof seed, "%04x", class3::rotateSeed(r.authSeed));
        return errorReply(t, kErrorChallenge, answerText(r, seed));
    }
    if (t.reading) {
        if (!r.refusals[t.command].empty()) return answer(r, t, r.refusals[t.command]);
        return startRead(r, t, nowMs);
    }
    t.last = packet(kAck, 0);
    return {{t.last}, true};
}

TftpReply handleTftpPacket(Router &r, TftpTransfer &t, std::span<const uint8_t> datagram,
                           int64_t nowMs) {
    if (r.silent || datagram.size() < 4) return {{}, true};
    const uint16_t opcode = be16(datagram, 0);
    const uint16_t number = be16(datagram, 2);
    // The client gave up.
    if (opcode == kError) return {};
    if (t.reading) {
        if (opcode != kAck) return errorReply(t, kErrorIllegal, answerText(r, "illegal operation"));
        if (number == t.sent) {
            if (t.sent == blockCount(t.file)) return {};
            t.last = dataBlock(t.file, ++t.sent);
        } else if (number + 1 != t.sent) {
            return {{}, true}; // neither the awaited acknowledgement nor a repeat of the one before
        }
        return {{t.last}, true};
    }
    if (opcode != kData) return errorReply(t, kErrorIllegal, answerText(r, "illegal operation"));
    // A repeated block: our answer to it went missing.
    if (number == t.received) return {{t.last}, true};
    if (number != t.received + 1) return {{}, true};
    std::span<const uint8_t> body = datagram.subspan(4);
    if (t.payload.size() + body.size() > kMaxPayload)
        return errorReply(t, kErrorIllegal, answerText(r, "too long"));
    t.payload.insert(t.payload.end(), body.begin(), body.end());
    t.received = number;
    if (body.size() == kTftpBlockSize) {
        t.last = packet(kAck, number);
        return {{t.last}, true};
    }
    TftpReply reply = command(r, t, nowMs);
    // The transfer stays open after its last acknowledgement, so that a client whose copy got
    // lost can ask again by repeating its block.
    reply.open = true;
    return reply;
}

} // namespace qs::emulator
