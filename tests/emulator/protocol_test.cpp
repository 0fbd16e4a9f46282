#include "config.h"
#include "protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace qs::emulator {
namespace {

using Bytes = std::vector<uint8_t>;

// Byte access written out here rather than through the emulator's own helpers, so that a
// byte-order mistake there cannot cancel itself out.
uint16_t be16(const Bytes &d, size_t at) {
    return static_cast<uint16_t>(d.at(at) << 8 | d.at(at + 1));
}
uint32_t be32(const Bytes &d, size_t at) {
    return uint32_t{be16(d, at)} << 16 | be16(d, at + 2);
}
std::string text(const Bytes &d, size_t at, size_t width) {
    std::string s(d.begin() + static_cast<ptrdiff_t>(at),
                  d.begin() + static_cast<ptrdiff_t>(at + width));
    return s.substr(0, s.find('\0'));
}

Bytes request(uint16_t sequence, uint16_t commandWord, Bytes payload) {
    Bytes d{static_cast<uint8_t>(sequence >> 8),
            static_cast<uint8_t>(sequence),
            0,
            0,
            static_cast<uint8_t>(commandWord >> 8),
            static_cast<uint8_t>(commandWord),
            0,
            static_cast<uint8_t>(payload.size()),
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0};
    // Appending element by element: GCC 12 at -O2 misreads a range insert here as overflowing.
    for (uint8_t b : payload)
        d.push_back(b);
    return d;
}

const Bytes kAddressPayload{10, 77, 1, 1};

Bytes search(uint16_t sequence = 7) {
    Bytes payload{'Q', 'H', 'D', '4', ' ', 'C', 'h', 'e', 'c', 'k', 0, 12, 0, 30, 0, 59};
    return request(sequence, 0x4101, payload);
}
Bytes information() {
    return request(8, 0x4104, kAddressPayload);
}
Bytes status(int port, uint16_t clear = 0) {
    Bytes payload = kAddressPayload;
    payload.insert(payload.end(), {0, static_cast<uint8_t>(clear), 0, 0});
    return request(9, static_cast<uint16_t>(0x0164 + port), payload);
}
Bytes connect(int port) {
    return request(10, static_cast<uint16_t>(0x016A + port), kAddressPayload);
}
Bytes disconnect(int port) {
    return request(11, static_cast<uint16_t>(0x0168 + port), kAddressPayload);
}
Bytes changeSite(int port, uint16_t site) {
    return request(12, static_cast<uint16_t>(0x016E + port), {0, static_cast<uint8_t>(site)});
}

Router routerFrom(const std::string &settings) {
    auto config = parseConfig("[router r]\naddress = 10.77.1.1\n" + settings);
    EXPECT_EQ(config.error, "");
    return config.routers.empty() ? Router{} : config.routers[0];
}

// The single reply to a unicast request.
Bytes ask(Router &r, const Bytes &req, int64_t nowMs = 0) {
    auto replies = handleRequest(r, req, Arrival::Unicast, nowMs);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? Bytes{} : replies[0];
}

TEST(EmulatorProtocol, SearchReplyAnnouncesTheRouter) {
    Router r =
        routerFrom("mask = 255.255.255.0\nname = Branch 7\nkey_id = 0xFFFE\nsecond_id = 3\n");
    auto replies = handleRequest(r, search(0xBEEF), Arrival::Broadcast, 0);
    ASSERT_EQ(replies.size(), 1u);
    const Bytes &d = replies[0];
    ASSERT_EQ(d.size(), 56u);
    EXPECT_EQ(be16(d, 0), 0xBEEF);
    EXPECT_EQ(be16(d, 4), 0x4101);
    EXPECT_EQ(be16(d, 6), 40);
    EXPECT_EQ(be16(d, 8), 0xFFFE);
    EXPECT_EQ(be16(d, 10), 3);
    EXPECT_EQ(be32(d, 16), 0x0A4D0101u);
    EXPECT_EQ(be32(d, 20), 0xFFFFFF00u);
    EXPECT_EQ(text(d, 24, 32), "Branch 7");
}

TEST(EmulatorProtocol, InformationReplyCarriesTheConfiguredFields) {
    Router r = routerFrom("model = 0x21234\ncapability = 0x0031\ninfo_raw = de ad be ef 00 01\n"
                          "info_30 = 30 a1\ninfo_32 = 0x32323232\ninfo_38 = 38 00\n"
                          "info_40 = 00 40\n");
    Bytes d = ask(r, information());
    ASSERT_EQ(d.size(), 42u);
    EXPECT_EQ(be16(d, 4), 0x4104);
    EXPECT_EQ(be32(d, 20), 0x21234u);
    EXPECT_EQ(Bytes(d.begin() + 24, d.begin() + 30), (Bytes{0xde, 0xad, 0xbe, 0xef, 0x00, 0x01}));
    EXPECT_EQ(be32(d, 32), 0x32323232u);
    EXPECT_EQ(be16(d, 36), 0x0031);
    // The router's own fields go out as the bytes configured, in their order.
    EXPECT_EQ(Bytes(d.begin() + 30, d.begin() + 32), (Bytes{0x30, 0xa1}));
    EXPECT_EQ(Bytes(d.begin() + 38, d.begin() + 42), (Bytes{0x38, 0x00, 0x00, 0x40}));
}

TEST(EmulatorProtocol, ShortStatusReportsThePortOfTheCommandWord) {
    Router r = routerFrom("model = 0x2308F\nport1.state = 21\nport1.status_flags = 0x01020304\n"
                          "port1.site = 3\nport1.site_names = a,b,c,Dial home\n"
                          "port1.site_registered = 0,1,0,1\n");
    Bytes d = ask(r, status(1));
    ASSERT_EQ(d.size(), 184u);
    EXPECT_EQ(be16(d, 4), 0x0165);
    EXPECT_EQ(be16(d, 20), 21);
    EXPECT_EQ(be32(d, 24), 0x01020304u);
    EXPECT_EQ(be16(d, 28), 3);
    EXPECT_EQ(be16(d, 50), 1);
    EXPECT_EQ(be16(d, 54), 1);
    EXPECT_EQ(text(d, 56 + 3 * 32, 32), "Dial home");
    EXPECT_EQ(be16(ask(r, status(0)), 20), 3); // port 0 keeps its default
}

TEST(EmulatorProtocol, LongStatusPlacesItsSecondBlockByTimerKind) {
    struct Case {
        uint16_t kind;
        size_t block;
    };
    for (Case c : {Case{0, 34}, Case{1, 34}, Case{2, 34}, Case{5, 28}}) {
        SCOPED_TRACE(c.kind);
        Router r =
            routerFrom("port0.state = 5\nport0.status_flags = 0x0A0B0C0D\nport0.line_type = 4\n"
                       "port0.site = 1\nport0.site_registered = 1,1,0,0\n"
                       "port0.site_names = one,two\nport0.status_value1 = 0x1111\n"
                       "port0.status_value2 = 0x2222\nport0.status_text1 = long text\n"
                       "port0.connection_mode = 0x33\nport0.global_address = 198.51.100.4\n"
                       "port0.status_text2 = short text\nport0.timer_time = 1:2:3\n"
                       "port0.timer_value = 0xCAFEF00D\nport0.bytes_sent = 1\n"
                       "port0.bytes_received = 2\nport0.packets_sent = 3\n"
                       "port0.packets_received = 4\nport0.error_packets = 5\n"
                       "port0.connection_time = 600\nport0.timer_kind = " +
                       std::to_string(c.kind) + "\n");
        Bytes d = ask(r, status(0));
        ASSERT_EQ(d.size(), 372u);
        const size_t b = c.block;
        EXPECT_EQ(be32(d, 20), 600u);
        EXPECT_EQ(be16(d, 24), c.kind);
        if (c.kind == 1) {
            EXPECT_EQ((Bytes(d.begin() + 28, d.begin() + 34)), (Bytes{0, 1, 0, 2, 0, 3}));
        } else if (c.kind == 2) {
            EXPECT_EQ(be32(d, 28), 0xCAFEF00Du);
        }
        EXPECT_EQ(be16(d, b), 5);
        EXPECT_EQ(be32(d, b + 2), 0x0A0B0C0Du);
        EXPECT_EQ(be16(d, b + 6), 4);
        EXPECT_EQ(be16(d, b + 8), 1);
        EXPECT_EQ(be16(d, b + 12), 1);
        EXPECT_EQ(be16(d, b + 14), 0);
        EXPECT_EQ(text(d, b + 18 + 32, 32), "two");
        EXPECT_EQ(be16(d, b + 146), 0x1111);
        EXPECT_EQ(be16(d, b + 148), 0x2222);
        EXPECT_EQ(text(d, b + 150, 128), "long text");
        EXPECT_EQ(be32(d, b + 278), 0x33u);
        EXPECT_EQ(be32(d, b + 282), 0xC6336404u);
        EXPECT_EQ(text(d, b + 286, 32), "short text");
        for (uint32_t i = 0; i < 5; ++i)
            EXPECT_EQ(be32(d, b + 318 + 4 * i), i + 1);
    }
}

TEST(EmulatorProtocol, CountersGrowOnlyWhileConnectedAndClearAfterTheReadingReply) {
    Router r =
        routerFrom("port0.state = 5\nport0.bytes_sent_rate = 1500\nport0.error_packets_rate = 1\n"
                   "port1.bytes_sent_rate = 1500\n");
    Bytes d = ask(r, status(0), 2500);
    EXPECT_EQ(be32(d, 34 + 318), 3750u);                    // bytes sent: 1500/s over 2.5 s
    EXPECT_EQ(be32(d, 34 + 334), 2u);                       // errors: 1/s, whole ones only
    EXPECT_EQ(be32(d, 20), 25u);                            // connection time in tenths
    EXPECT_EQ(be32(ask(r, status(1), 2500), 34 + 318), 0u); // port 1 is idle

    d = ask(r, status(0, 1), 3000); // read and clear
    EXPECT_EQ(be32(d, 34 + 318), 4500u);
    d = ask(r, status(0), 3000);
    EXPECT_EQ(be32(d, 34 + 318), 0u);
    EXPECT_EQ(be32(d, 20), 0u);
    EXPECT_EQ(be32(ask(r, status(0), 4000), 34 + 318), 1500u);
}

TEST(EmulatorProtocol, DialAndHangUpFollowTheConfiguredOutcome) {
    struct Case {
        const char *settings;
        bool dial; // else hang up
        uint16_t result;
        uint16_t stateBeforeDelay;
        uint16_t stateAfterDelay;
    };
    const Case cases[] = {
        {"port0.dial_delay = 2", true, 4, 4, 5},
        {"port0.dial_delay = 2\nport0.dial_outcome = stay_busy", true, 4, 4, 4},
        {"port0.dial_outcome = refuse:7", true, 7, 3, 3},
        {"port0.dial_delay = 2\nport0.dial_outcome = end:21", true, 4, 4, 21},
        {"port0.dial_delay = 2\nport0.dial_outcome = end:3", true, 4, 4, 3},
        {"port0.state = 5", true, 5, 5, 5}, // not idle: nothing happens
        {"port0.state = 5\nport0.hangup_delay = 2", false, 4, 4, 3},
        {"port0.state = 21\nport0.hangup_delay = 2", false, 4, 4, 3},
        {"port0.state = 5\nport0.hangup_delay = 2\nport0.hangup_outcome = stay_busy", false, 4, 4,
         4},
        {"port0.state = 5\nport0.hangup_outcome = refuse:0", false, 0, 5, 5},
        {"port0.hangup_delay = 2", false, 3, 3, 3}, // not connected: nothing happens
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.settings);
        Router r = routerFrom(std::string(c.settings) + "\n");
        Bytes d = ask(r, c.dial ? connect(0) : disconnect(0), 1000);
        ASSERT_EQ(d.size(), 80u);
        EXPECT_EQ(be16(d, 4), c.dial ? 0x016A : 0x0168);
        EXPECT_EQ(be16(d, 20), c.result);
        EXPECT_EQ(be16(ask(r, status(0), 2999), 34), c.stateBeforeDelay);
        EXPECT_EQ(be16(ask(r, status(0), 3000), 34), c.stateAfterDelay);
        EXPECT_EQ(be16(ask(r, status(1), 3000), 34), 3); // the other port is untouched
    }
}

TEST(EmulatorProtocol, ConnectionTimeCountsFromTheMomentTheDialCompletes) {
    Router r = routerFrom("port1.dial_delay = 1.5\n");
    EXPECT_EQ(be16(ask(r, connect(1), 0), 20), 4);
    EXPECT_EQ(be32(ask(r, status(1), 4000), 20), 25u);
}

TEST(EmulatorProtocol, ChangeSiteAppliesOnlyWhenTheResultIsZero) {
    Router r = routerFrom("port1.site_result = 0\nport0.site_result = 9\n");
    Bytes d = ask(r, changeSite(1, 2));
    ASSERT_EQ(d.size(), 18u);
    EXPECT_EQ(be16(d, 4), 0x016F);
    EXPECT_EQ(be16(d, 16), 0);
    EXPECT_EQ(be16(ask(r, status(1)), 34 + 8), 2);

    EXPECT_EQ(be16(ask(r, changeSite(0, 2)), 16), 9);
    EXPECT_EQ(be16(ask(r, status(0)), 34 + 8), 0);
}

TEST(EmulatorProtocol, InjectedFaultsShapeTheReplies) {
    struct Case {
        const char *settings;
        Bytes req;
        std::vector<size_t> sizes;
    };
    const Case cases[] = {
        {"silent = 1", search(), {}},
        {"silent = 1", status(0), {}},
        {"answer_twice = 1", search(), {56, 56}},
        {"answer_twice = 1", information(), {42}},
        {"wrong_length = 4", search(), {60}},
        {"wrong_length = -1", status(0), {371}},
        {"wrong_length = -500", information(), {0}},
        {"oversize = 1", status(0), {kOversizeReplySize}},
        {"oversize = 1\nanswer_twice = 1", search(), {kOversizeReplySize, kOversizeReplySize}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.settings);
        Router r = routerFrom(std::string(c.settings) + "\n");
        std::vector<size_t> sizes;
        for (auto &d : handleRequest(r, c.req, Arrival::Unicast, 0))
            sizes.push_back(d.size());
        EXPECT_EQ(sizes, c.sizes);
    }
}

TEST(EmulatorProtocol, SilentRouterIgnoresCommandsAltogether) {
    Router r = routerFrom("silent = 1\n");
    EXPECT_TRUE(handleRequest(r, connect(0), Arrival::Unicast, 0).empty());
    r.silent = false;
    EXPECT_EQ(be16(ask(r, status(0), 10000), 34), 3);
}

TEST(EmulatorProtocol, LeavesUnansweredWhatItCannotRead) {
    Bytes shortConnect = connect(0);
    shortConnect.resize(19);
    Bytes otherText = search();
    otherText[16] = 'X';
    Bytes cutSearch = search();
    cutSearch.resize(20);
    Bytes unknownCommand = request(1, 0x0170, kAddressPayload);
    const std::pair<const char *, Bytes> cases[] = {
        {"empty", {}},
        {"header cut short", Bytes(15, 0)},
        {"header only, connect", request(1, 0x016A, {})},
        {"connect without its full address", shortConnect},
        {"search without its text", otherText},
        {"search cut in its text", cutSearch},
        {"status without address", request(1, 0x0164, {10, 77})},
        {"change site without a site", request(1, 0x016E, {0})},
        {"unknown command", unknownCommand},
    };
    for (auto &[name, req] : cases) {
        SCOPED_TRACE(name);
        Router r = routerFrom("");
        EXPECT_TRUE(handleRequest(r, req, Arrival::Unicast, 0).empty());
        EXPECT_EQ(r.ports[0].state, kLineIdle);
    }
}

TEST(EmulatorProtocol, AnswersOnlyTheSearchWhenBroadcast) {
    Router r = routerFrom("");
    EXPECT_EQ(handleRequest(r, search(), Arrival::Broadcast, 0).size(), 1u);
    EXPECT_TRUE(handleRequest(r, connect(0), Arrival::Broadcast, 0).empty());
    EXPECT_TRUE(handleRequest(r, information(), Arrival::Broadcast, 0).empty());
    EXPECT_EQ(r.ports[0].state, kLineIdle);
}

} // namespace
} // namespace qs::emulator
