#include "class2/datagram.h"

#include "reply_builder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qs;
using namespace qs::class2;
using qs::test::be16;
using qs::test::be32;

namespace {

RouterRecord routerOf(uint32_t model) {
    RouterRecord r{};
    r.address = 0x0A4D000B;
    r.model_code = model;
    r.key_id = 0x0011;
    r.second_id = 0x0203;
    return r;
}

} // namespace

TEST(Class2Request, SearchCarriesTextAndLocalTime) {
    auto d = buildSearch(7, LocalTime{23, 4, 5});
    ASSERT_EQ(d.size(), 32u);
    EXPECT_EQ(be16(d, 0), 7);
    EXPECT_EQ(be16(d, 2), 0);
    EXPECT_EQ(be16(d, 4), 0x4101);
    EXPECT_EQ(be16(d, 6), 16);
    EXPECT_EQ(be32(d, 8), 0u);
    EXPECT_EQ(std::memcmp(d.data() + 16, "QHD4 Check", 10), 0);
    EXPECT_EQ(be16(d, 26), 23);
    EXPECT_EQ(be16(d, 28), 4);
    EXPECT_EQ(be16(d, 30), 5);
}

TEST(Class2Request, CommandWordsLengthsAndIdentity) {
    const RouterRecord shortForm = routerOf(0x2308F);
    const RouterRecord longForm = routerOf(0x23090);
    struct Case {
        const char *name;
        std::vector<uint8_t> d;
        uint16_t word;
        size_t size;
    } cases[] = {
        {"information", buildInformation(1, Identity{0x11, 0x0203}, 0x0A4D000B), 0x4104, 20},
        {"status short p0", buildStatus(1, shortForm, 0, false), 0x0164, 20},
        {"status short p1", buildStatus(1, shortForm, 1, false), 0x0165, 20},
        {"status long p0", buildStatus(1, longForm, 0, false), 0x0164, 24},
        {"status long p1", buildStatus(1, longForm, 1, true), 0x0165, 24},
        {"disconnect p0", buildDisconnect(1, longForm, 0), 0x0168, 20},
        {"disconnect p1", buildDisconnect(1, longForm, 1), 0x0169, 20},
        {"connect p0", buildConnect(1, longForm, 0), 0x016A, 20},
        {"connect p1", buildConnect(1, longForm, 1), 0x016B, 20},
        {"change site p0", buildChangeSite(1, longForm, 0, 3), 0x016E, 18},
        {"change site p1", buildChangeSite(1, longForm, 1, 3), 0x016F, 18},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.d.size(), c.size);
        EXPECT_EQ(be16(c.d, 4), c.word);
        EXPECT_EQ(be16(c.d, 6), c.size - 16);
        EXPECT_EQ(be16(c.d, 8), 0x11);
        EXPECT_EQ(be16(c.d, 10), 0x0203);
        EXPECT_EQ(be32(c.d, 12), 0u);
        if (c.size >= 20) {
            EXPECT_EQ(be32(c.d, 16), 0x0A4D000Bu);
        }
    }
    auto clear = buildStatus(1, longForm, 0, true);
    EXPECT_EQ(be16(clear, 20), 1);
    EXPECT_EQ(be16(buildStatus(1, longForm, 0, false), 20), 0);
    EXPECT_EQ(be16(buildChangeSite(1, longForm, 0, 3), 16), 3);
}

TEST(Class2Request, SequenceSkipsZeroAfterWrap) {
    uint16_t previous = nextSequence();
    for (int i = 0; i < 70000; ++i) {
        uint16_t s = nextSequence();
        ASSERT_NE(s, 0);
        ASSERT_EQ(s, previous == 0xFFFF ? 1 : previous + 1);
        previous = s;
    }
}

TEST(Class2Reply, EveryParserRejectsWrongLengths) {
    for (size_t n : {0u, 1u, 17u, 41u, 43u, 55u, 57u, 79u, 81u, 183u, 185u, 371u, 373u, 1296u}) {
        std::vector<uint8_t> d(n, 0x55);
        PortCondition pc{};
        ConditionExRecord ex{};
        EXPECT_EQ(parseSearchReply(d).has_value(), n == 56) << n;
        EXPECT_EQ(parseInformationReply(d).has_value(), n == 42) << n;
        EXPECT_EQ(applyStatusShort(d, pc).has_value(), n == 184) << n;
        EXPECT_EQ(applyStatusLong(d, pc).has_value(), n == 372) << n;
        EXPECT_EQ(applyStatusLongEx(d, ex).has_value(), n == 372) << n;
        EXPECT_EQ(parseCommandReply(d).has_value(), n == 80) << n;
        EXPECT_EQ(parseChangeSiteReply(d).has_value(), n == 18) << n;
    }
}

TEST(Class2Reply, ShortStatusFillsPortAndKeepsReservedWords) {
    PortCondition pc{};
    pc.reserved2 = 0xAAAA;
    pc.reserved10 = 0xBBBB;
    auto state = applyStatusShort(test::statusShort(21), pc);
    ASSERT_TRUE(state);
    EXPECT_EQ(*state, 21); // the short form is stored as received
    EXPECT_EQ(pc.line_state, 21);
    EXPECT_EQ(pc.reserved2, 0xAAAA);
    EXPECT_EQ(pc.reserved10, 0xBBBB);
    EXPECT_EQ(pc.status_flags, 0x11223344u);
    EXPECT_EQ(pc.selected_site, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pc.site_registered[i], i + 1);
        EXPECT_EQ(std::string(pc.site_names[i], 32), std::string(32, char('A' + i)));
        EXPECT_EQ(std::string(pc.site_names[i] + 32, 8), std::string(8, '\0'));
    }
}

TEST(Class2Reply, LongStatusSecondBlockFollowsTimerKind) {
    for (uint16_t kind : {0, 1, 2, 3, 5, 0xFFFF}) {
        SCOPED_TRACE(kind);
        PortCondition pc{};
        auto state = applyStatusLong(test::statusLong(LINE_CONNECTED_EX, kind), pc);
        ASSERT_TRUE(state);
        EXPECT_EQ(*state, LINE_CONNECTED_EX);
        EXPECT_EQ(pc.line_state, LINE_CONNECTED);
        EXPECT_EQ(pc.status_flags, 0x0A0B0C0Du);
        EXPECT_EQ(pc.selected_site, 1);
        EXPECT_EQ(pc.site_registered[3], 13);
        EXPECT_EQ(pc.site_names[2][0], 'c');
    }
}

TEST(Class2Reply, ExtendedRecordFieldByField) {
    ConditionExRecord ex;
    std::memset(&ex, 0x77, sizeof ex);
    auto state = applyStatusLongEx(test::statusLong(LINE_CONNECTED_EX, 1), ex);
    ASSERT_TRUE(state);
    EXPECT_EQ(ex.line_state, LINE_CONNECTED_EX);
    EXPECT_EQ(ex.reserved2, 0x7777);
    EXPECT_EQ(ex.line_type, 4);
    EXPECT_EQ(ex.selected_site, 1);
    EXPECT_EQ(ex.value_180, 0x1460);
    EXPECT_EQ(ex.value_182, 0x1480);
    EXPECT_EQ(std::string(ex.text_184, 128), std::string(128, 'T'));
    EXPECT_EQ(std::string(ex.text_184 + 128, 12), std::string(12, '\0'));
    EXPECT_EQ(ex.connection_mode, 7u);
    EXPECT_EQ(ex.global_address, 0xCB007105u);
    EXPECT_EQ(std::string(ex.text_332, 32), std::string(32, 'S'));
    EXPECT_EQ(std::string(ex.text_332 + 32, 8), std::string(8, '\0'));
    EXPECT_EQ(ex.bytes_sent, 1000u);
    EXPECT_EQ(ex.bytes_received, 2000u);
    EXPECT_EQ(ex.packets_sent, 3000u);
    EXPECT_EQ(ex.packets_received, 4000u);
    EXPECT_EQ(ex.error_packets, 5000u);
    EXPECT_EQ(ex.connection_time, 12345u);
    EXPECT_EQ(ex.timer_kind, 1);
    EXPECT_EQ(ex.timer_hour, 23);
    EXPECT_EQ(ex.timer_minute, 59);
    EXPECT_EQ(ex.timer_second, 58);
    EXPECT_EQ(ex.timer_value, 0u);
}

TEST(Class2Reply, TimerFieldsByKind) {
    struct Case {
        uint16_t kind;
        uint16_t hour, minute, second;
        uint32_t value;
    } cases[] = {
        {1, 23, 59, 58, 0},
        {2, 0, 0, 0, (23u << 16) | 59u},
        {0, 0x7777, 0x7777, 0x7777, 0x77777777}, // left as the caller had them
        {5, 0x7777, 0x7777, 0x7777, 0x77777777},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        ConditionExRecord ex;
        std::memset(&ex, 0x77, sizeof ex);
        ASSERT_TRUE(applyStatusLongEx(test::statusLong(LINE_CONNECTED, c.kind), ex));
        EXPECT_EQ(ex.timer_kind, c.kind);
        EXPECT_EQ(ex.timer_hour, c.hour);
        EXPECT_EQ(ex.timer_minute, c.minute);
        EXPECT_EQ(ex.timer_second, c.second);
        EXPECT_EQ(ex.timer_value, c.value);
    }
}

TEST(Class2Reply, RouterRecordFromSearchAndInformation) {
    auto s = parseSearchReply(test::searchReply(0xC0A80001, 0xFFFFFF00, "router-one", 0xFFFB));
    auto i = parseInformationReply(test::informationReply(0x23090, 0x00A5, 0xFFFB, 0x0203));
    ASSERT_TRUE(s && i);
    RouterRecord r;
    std::memset(&r, 0, sizeof r);
    fillRouterRecord(r, *s, *i);
    const auto *b = reinterpret_cast<const uint8_t *>(&r);
    // Spot the exact bytes of the record as a caller would see them.
    EXPECT_EQ(r.address, 0xC0A80001u);
    EXPECT_EQ(r.subnet_mask, 0xFFFFFF00u);
    EXPECT_STREQ(r.name, "router-one");
    EXPECT_EQ(r.model_code, 0x23090u);
    EXPECT_EQ(r.key_id, 0xFFFB);
    EXPECT_EQ(r.second_id, 0x0203);
    EXPECT_EQ(std::memcmp(b + 420, "\x01\x02\x03\x04\x05\x06", 6), 0);
    EXPECT_EQ(r.value_428, 0x32333435u);
    EXPECT_EQ(r.capability_high, 0x0A);
    EXPECT_EQ(r.capability_low, 0x05);
    // The reply carries 30 31 at offset 30 and 38 39 40 41 at offset 38; the router alone gives
    // them meaning, so the record holds them in the order they came, not as converted words.
    EXPECT_EQ(b[426], 0x30);
    EXPECT_EQ(b[427], 0x31);
    EXPECT_EQ(b[436], 0x38);
    EXPECT_EQ(b[437], 0x39);
    EXPECT_EQ(b[438], 0x40);
    EXPECT_EQ(b[439], 0x41);
    for (size_t off : {52u, 54u, 440u, 442u})
        EXPECT_EQ(b[off] | b[off + 1], 0) << off;
    for (size_t off = 56; off < 416; ++off)
        ASSERT_EQ(b[off], 0) << off;
    for (size_t off = 444; off < 512; ++off)
        ASSERT_EQ(b[off], 0) << off;
}

TEST(Class2Reply, AcceptedKeyIds) {
    for (unsigned k = 0; k <= 0xFFFF; ++k) {
        bool expected = k <= 2 || (k >= 17 && k <= 20) || k >= 0xFFFB;
        ASSERT_EQ(acceptableKeyId(static_cast<uint16_t>(k)), expected) << k;
    }
}
