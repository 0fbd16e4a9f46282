#include "protocol.h"

#include "line.h"
#include "wire.h"

namespace qs::emulator {

namespace {

constexpr uint8_t kSearch = 1;
constexpr uint8_t kInformation = 4;
constexpr uint8_t kStatus = 100;
constexpr uint8_t kDisconnect = 104;
constexpr uint8_t kConnect = 106;
constexpr uint8_t kChangeSite = 110;

constexpr std::string_view kSearchText = "QHD4 Check";

struct Request {
    uint16_t sequence;
    uint16_t commandWord;
    uint8_t number; // with the port folded out: even for the port commands
    size_t port;
};

WireWriter reply(const Router &r, const Request &q, size_t size) {
    WireWriter w(size);
    w.u16(0, q.sequence);
    w.u16(4, q.commandWord);
    w.u16(6, static_cast<uint16_t>(size - kHeaderSize));
    w.u16(8, r.keyId);
    w.u16(10, r.secondId);
    return w;
}

std::vector<uint8_t> searchReply(const Router &r, const Request &q) {
    auto w = reply(r, q, kSearchReplySize);
    w.u32(16, r.address);
    w.u32(20, r.mask);
    w.text(24, r.name, kNameBytes);
    return w.take();
}

std::vector<uint8_t> informationReply(const Router &r, const Request &q) {
    auto w = reply(r, q, kInformationReplySize);
    w.u32(16, r.address);
    w.u32(20, r.model);
    w.raw(24, r.infoRaw, r.infoRaw.size());
    w.raw(30, r.info30, r.info30.size());
    w.u32(32, r.info32);
    w.u16(36, r.capability);
    w.raw(38, r.info38, r.info38.size());
    w.raw(40, r.info40, r.info40.size());
    return w.take();
}

void writeSites(WireWriter &w, const Port &p, size_t registeredAt, size_t namesAt) {
    for (size_t i = 0; i < 4; ++i) {
        w.u16(registeredAt + 2 * i, p.siteRegistered[i]);
        w.text(namesAt + kNameBytes * i, p.siteNames[i], kNameBytes);
    }
}

std::vector<uint8_t> shortStatusReply(const Router &r, const Request &q) {
    const Port &p = r.ports[q.port];
    auto w = reply(r, q, kStatusShortReplySize);
    w.u32(16, r.address);
    w.u16(20, p.state);
    w.u32(24, p.statusFlags);
    w.u16(28, p.site);
    writeSites(w, p, 48, 56);
    return w.take();
}

std::vector<uint8_t> longStatusReply(const Router &r, const Request &q) {
    const Port &p = r.ports[q.port];
    auto w = reply(r, q, kStatusLongReplySize);
    w.u32(16, r.address);
    w.u32(20, p.counter(kConnectionTime));
    w.u16(24, p.timerKind);
    if (p.timerKind == 1) {
        w.u16(28, p.timerHour);
        w.u16(30, p.timerMinute);
        w.u16(32, p.timerSecond);
    } else if (p.timerKind == 2) {
        w.u32(28, p.timerValue);
    }
    // Timer kinds without a value of their own give up its six bytes to the second block.
    const size_t b = p.timerKind <= 2 ? 34 : 28;
    w.u16(b, p.state);
    w.u32(b + 2, p.statusFlags);
    w.u16(b + 6, p.lineType);
    w.u16(b + 8, p.site);
    writeSites(w, p, b + 10, b + 18);
    w.u16(b + 146, p.statusValue1);
    w.u16(b + 148, p.statusValue2);
    w.text(b + 150, p.statusText1, kLongTextBytes);
    w.u32(b + 278, p.connectionMode);
    w.u32(b + 282, p.globalAddress);
    w.text(b + 286, p.statusText2, kNameBytes);
    for (size_t c = 0; c < kConnectionTime; ++c)
        w.u32(b + 318 + 4 * c, p.counter(static_cast<Counter>(c)));
    return w.take();
}

std::vector<uint8_t> commandReply(const Router &r, const Request &q, uint16_t result) {
    const Port &p = r.ports[q.port];
    auto w = reply(r, q, kCommandReplySize);
    w.u32(16, r.address);
    w.u16(20, result);
    w.u32(24, p.statusFlags);
    w.u16(28, p.site);
    if (p.site < 4) w.text(48, p.siteNames[p.site], kNameBytes);
    return w.take();
}

std::vector<uint8_t> changeSiteReply(const Router &r, const Request &q, uint16_t result) {
    auto w = reply(r, q, kChangeSiteReplySize);
    w.u16(16, result);
    return w.take();
}

// The reply a well-behaved router gives, with its side effects; empty when it gives none.
std::vector<uint8_t> answer(Router &r, const Request &q, const WireReader &in, Arrival arrival,
                            int64_t nowMs) {
    if (q.number == kSearch)
        return in.holds(16, kSearchText) ? searchReply(r, q) : std::vector<uint8_t>{};
    // Only the search is meant for every router at once.
    if (arrival == Arrival::Broadcast) return {};
    Port &p = r.ports[q.port];
    switch (q.number) {
    case kInformation:
        return in.u32(16) ? informationReply(r, q) : std::vector<uint8_t>{};
    case kStatus: {
        if (!in.u32(16)) return {};
        if (r.model < kLongStatusModel) return shortStatusReply(r, q);
        auto d = longStatusReply(r, q);
        if (in.u16(20).value_or(0) == 1) clearCounters(p);
        return d;
    }
    case kConnect:
        return in.u32(16) ? commandReply(r, q, startDial(p, nowMs)) : std::vector<uint8_t>{};
    case kDisconnect:
        return in.u32(16) ? commandReply(r, q, startHangup(p, nowMs)) : std::vector<uint8_t>{};
    case kChangeSite: {
        auto site = in.u16(16);
        if (!site) return {};
        if (p.siteResult == 0) p.site = *site;
        return changeSiteReply(r, q, p.siteResult);
    }
    default:
        return {};
    }
}

} // namespace

std::vector<std::vector<uint8_t>> handleRequest(Router &router, std::span<const uint8_t> request,
                                                Arrival arrival, int64_t nowMs) {
    WireReader in(request);
    if (router.silent || in.size() < kHeaderSize) return {};
    Request q{};
    q.sequence = *in.u16(0);
    q.commandWord = *in.u16(4);
    uint8_t number = static_cast<uint8_t>(q.commandWord & 0xFF);
    bool portCommand = number >= kStatus;
    q.port = portCommand ? number & 1 : 0;
    q.number = portCommand ? static_cast<uint8_t>(number & ~1) : number;

    advance(router, nowMs);
    auto d = answer(router, q, in, arrival, nowMs);
    if (d.empty()) return {};

    if (router.wrongLength != 0) {
        auto size = static_cast<int64_t>(d.size()) + router.wrongLength;
        d.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    }
    if (router.oversize && d.size() < kOversizeReplySize) d.resize(kOversizeReplySize);
    std::vector<std::vector<uint8_t>> replies{d};
    if (q.number == kSearch && router.answerTwice) replies.push_back(d);
    return replies;
}

} // namespace qs::emulator
