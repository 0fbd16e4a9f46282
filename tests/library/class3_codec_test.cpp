// Class 3 building blocks: digest, names, seeds, scrambling, text answers and router files.
#include "byte_order.h"
#include "class3/command_exchange.h"
#include "class3/file_name.h"
#include "class3/model_key_table.h"
#include "class3/router_files.h"
#include "class3/scramble.h"
#include "class3/text_answer.h"
#include "fake_platform.h"
#include "os/md5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <set>

using namespace qs;
using namespace qs::class3;

namespace {

std::span<const uint8_t> bytesOf(const std::string &s) {
    return {reinterpret_cast<const uint8_t *>(s.data()), s.size()};
}

std::string hexOf(const Md5Digest &d) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : d) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

AuthContext auth(const std::string &user, const std::string &password, uint16_t seed = 0,
                 uint16_t keyId = 1) {
    AuthContext a;
    a.seed = seed;
    a.keyId = keyId;
    a.modelCode = 0x00301400;
    a.userLength = static_cast<uint32_t>(user.size());
    std::memcpy(a.user, user.data(), user.size());
    a.passwordLength = static_cast<uint32_t>(password.size());
    std::memcpy(a.password, password.data(), password.size());
    return a;
}

} // namespace

TEST(Md5, Rfc1321TestSuite) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {[] {
             std::string s;
             for (int i = 0; i < 8; ++i)
                 s += "1234567890";
             return s;
         }(),
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &[input, expected] : vectors)
        EXPECT_EQ(hexOf(md5(bytesOf(input))), expected);
}

TEST(FileName, SlashesUserAndDigest) {
    EXPECT_EQ(fileName(auth("", ""), Command::Search), "search///");
    EXPECT_EQ(fileName(auth("u", ""), Command::Search), "search/u//");
    const std::string status = fileName(auth("admin", "secret", 0x1234), Command::GetStatus);
    ASSERT_EQ(status.size(), std::string("getstatus/admin//").size() + 32);
    EXPECT_EQ(status.rfind("getstatus/admin/", 0), 0u);
    EXPECT_EQ(status.back(), '/');
    for (char c : status.substr(16, 32))
        EXPECT_TRUE(std::isxdigit(c) && !std::isupper(c)) << c;
    const char *words[] = {"connect",   "disconnect",  "changeaccount",
                           "getstatus", "clearstatus", "search"};
    Command commands[] = {Command::Connect,   Command::Disconnect,  Command::ChangeAccount,
                          Command::GetStatus, Command::ClearStatus, Command::Search};
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(commandWord(commands[i]), words[i]);
}

TEST(FileName, DigestIsMd5OfPasswordCodeAndSeed) {
    const AuthContext a = auth("u", "pw", 0xBEEF, 0x11);
    const uint16_t code = commandCode(Command::Connect, 0x11, 0x00301400);
    ASSERT_NE(code, 0);
    const uint8_t input[] = {'p',  'w', static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                             0xEF, 0xBE};
    EXPECT_EQ(requestDigest(a, Command::Connect), hexOf(md5(input)));
    // Without a key entry the command code is 0.
    const uint8_t plain[] = {'p', 'w', 0, 0, 0xEF, 0xBE};
    EXPECT_EQ(requestDigest(auth("u", "pw", 0xBEEF, 0), Command::Connect), hexOf(md5(plain)));
    // An oversized length never reads past the field.
    AuthContext big = a;
    big.passwordLength = 1000;
    big.userLength = 1000;
    EXPECT_EQ(fileName(big, Command::Search).size(), 7u + 20 + 1 + 32 + 1);
}

TEST(ModelKeys, TwelveKeyIdsOrNoneAndModelUpperHalf) {
    std::set<uint16_t> ids;
    for (const auto &e : kModelKeyTable) {
        ids.insert(e.keyId);
        EXPECT_EQ(e.modelCode, 0x00301400u);
        for (int unused : {5, 7, 8, 9})
            EXPECT_EQ(e.commandCodes[unused], 0);
    }
    EXPECT_EQ(ids, (std::set<uint16_t>{1, 2, 0x11, 0x12, 0x13, 0x14, 0xFFFB, 0xFFFC, 0xFFFD, 0xFFFE,
                                       0xFFFF}));
    EXPECT_EQ(findModelKey(0, 0x00301400), nullptr);
    EXPECT_NE(findModelKey(0x12, 0x00309999), nullptr); // lower half of the model ignored
    EXPECT_EQ(findModelKey(0x12, 0x00311400), nullptr);
}

TEST(Seeds, RotationMovesTheDocumentedBits) {
    struct Case {
        uint16_t wire, stored;
    } cases[] = {
        {0x0001, 0x0100},                                     // bit 0 becomes bit 8
        {0x0002, 0x0001}, {0x0100, 0x0080}, {0x0E00, 0x0E00}, // bits 9..11 stay
        {0x1000, 0x8000},                                     // bit 12 becomes bit 15
        {0x2000, 0x1000}, {0x0000, 0x0000}, {0xFFFF, 0xFFFF},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(unrotateSeed(c.wire), c.stored) << std::hex << c.wire;
        EXPECT_EQ(rotateSeed(c.stored), c.wire) << std::hex << c.stored;
    }
    for (unsigned v = 0; v <= 0xFFFF; ++v)
        ASSERT_EQ(rotateSeed(unrotateSeed(static_cast<uint16_t>(v))), v);
}

TEST(Scrambling, InvolutionAndPlainCases) {
    std::vector<uint8_t> original(964);
    std::iota(original.begin(), original.end(), 0);
    for (uint16_t seed : {0x0001, 0x2C35, 0xFFFF, 0x8000}) {
        for (size_t n : {0u, 1u, 4u, 67u, 964u}) {
            std::vector<uint8_t> d(original.begin(), original.begin() + n);
            scramble(d, {seed, 0x11, 0x00301400});
            if (n >= 2) {
                EXPECT_NE(d, std::vector<uint8_t>(original.begin(), original.begin() + n));
            }
            scramble(d, {seed, 0x11, 0x00301400});
            EXPECT_EQ(d, std::vector<uint8_t>(original.begin(), original.begin() + n));
        }
    }
    std::vector<uint8_t> d = original;
    scramble(d, {0, 0x11, 0x00301400});
    EXPECT_EQ(d, original); // seed 0: plain
    scramble(d, {0x1234, 0, 0x00301400});
    EXPECT_EQ(d, original); // no key for key id 0: plain
}

TEST(Scrambling, OnePassStrideOneWhenHighBitsAreClear) {
    const uint16_t seed = 0x01FE; // bits 10..15 clear: one pass; start 0x1FE
    const uint8_t *k = findModelKey(1, 0x00301400)->key;
    std::vector<uint8_t> d = {0, 0, 0, 0, 0};
    scramble(d, {seed, 1, 0x00301400});
    // Word 0 meets W(510); word 1 meets W(0) after the start wraps; the odd byte meets K[2].
    EXPECT_EQ(d[0], k[510]);
    EXPECT_EQ(d[1], k[511]);
    EXPECT_EQ(d[2], k[0]);
    EXPECT_EQ(d[3], k[1]);
    EXPECT_EQ(d[4], k[2]);
    // Two passes with stride 1 fold neighbouring key words: W(o) ^ W(o+1).
    std::vector<uint8_t> e = {0, 0};
    scramble(e, {0x0400 | 0x0003, 1, 0x00301400});
    EXPECT_EQ(e[0], k[3] ^ k[4]);
    EXPECT_EQ(e[1], k[4] ^ k[5]);
}

TEST(TextAnswer, ParsesKeyModelAndRest) {
    auto a = parseChallenge(bytesOf("0001/00301400/1a2B"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->keyId, 1);
    EXPECT_EQ(a->modelCode, 0x00301400u);
    EXPECT_EQ(a->seed, unrotateSeed(0x1A2B));

    for (const char *bad : {"001/00301400/1a2B", "00001/00301400/1a2B", "0001/0301400/1a2B",
                            "0001/00301400", "", "////", "0001/00301400/1a"}) {
        EXPECT_FALSE(parseChallenge(bytesOf(bad))) << bad;
    }
    auto text = parseTextAnswer(bytesOf("FFFB/0030zz00/active port"));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->keyId, 0xFFFB);
    EXPECT_EQ(text->modelCode, 0x00300000u); // non-digits count as 0
    EXPECT_EQ(text->rest, "active port");
}

TEST(TextAnswer, RefusalCodesPerCommand) {
    struct Case {
        Command c;
        const char *text;
        std::optional<int> code;
    } cases[] = {
        {Command::Connect, "non use port", 0},
        {Command::Connect, "leased line", 1},
        {Command::Connect, "ras server", 2},
        {Command::Connect, "non active port", 3},
        {Command::Connect, "active port", 5},
        {Command::Disconnect, "active port", 5},
        {Command::Connect, "illegal parameter", {}},
        {Command::Connect, "Active port", {}},
        {Command::ChangeAccount, "active port", 1},
        {Command::ChangeAccount, "illegal parameter", 2},
        {Command::ChangeAccount, "not account number", 3},
        {Command::ChangeAccount, "not change account", 4},
        {Command::ChangeAccount, "non use port", 5},
        {Command::ChangeAccount, "leased line", {}},
        {Command::ClearStatus, "active port", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(refusalCode(c.c, c.text), c.code) << c.text;
}

TEST(RouterFiles, PortStateAndFlagRules) {
    std::vector<uint8_t> status(964, 0);
    auto setPort = [&](uint16_t inUse, uint16_t bits, uint32_t flags, uint16_t site) {
        writeLe16(status, 16, inUse);
        writeLe16(status, 18, bits);
        writeLe32(status, 22, flags);
        writeLe16(status, 28, site);
    };
    struct Case {
        uint16_t inUse, bits;
        uint16_t plain, extended;
    } states[] = {
        {0, 0x01, 0, 0}, {1, 0x00, 0, 0},  {1, 0x01, 3, 3},    {1, 0x03, 3, 3},
        {1, 0x02, 4, 4}, {1, 0x04, 4, 4},  {1, 0x08, 5, 5},    {1, 0x10, 5, 21},
        {1, 0x18, 5, 5}, {1, 0x120, 0, 0}, {1, 0xFF10, 5, 21},
    };
    for (const auto &c : states) {
        setPort(c.inUse, c.bits, 0, 0);
        EXPECT_EQ(portState(status, 0, false), c.plain) << std::hex << c.bits;
        EXPECT_EQ(portState(status, 0, true), c.extended) << std::hex << c.bits;
    }
    setPort(1, 1, 0xF3, 3);
    EXPECT_EQ(portStatusFlags(status, 0), 0xF2u);
    setPort(1, 1, 0xF3, 2);
    EXPECT_EQ(portStatusFlags(status, 0), 0xF1u);
    setPort(1, 1, 0xF1, 3);
    EXPECT_EQ(portStatusFlags(status, 0), 0xF1u);
}

TEST(RouterFiles, TimerKindsInConditionEx) {
    test::FakeClock clock; // converts to UTC
    std::vector<uint8_t> status(964, 0);
    struct Case {
        uint16_t kind;
        uint32_t value;
        uint16_t h, m, s;
        uint32_t v;
    } cases[] = {
        {1, 2208988800u + 23 * 3600 + 4 * 60 + 5, 23, 4, 5, 0},
        {1, 0, 6, 28, 16, 0}, // wraps like 32-bit arithmetic: 2036-02-07 06:28:16
        {2, 123456, 0, 0, 0, 123456},
        {7, 999, 0, 0, 0, 0},
    };
    for (const auto &c : cases) {
        writeLe16(status, 10, c.kind);
        writeLe32(status, 12, c.value);
        ConditionExRecord ex;
        std::memset(&ex, 0x77, sizeof ex);
        fillConditionEx(status, 1, clock, ex);
        EXPECT_EQ(ex.timer_kind, c.kind);
        EXPECT_EQ(ex.timer_hour, c.h);
        EXPECT_EQ(ex.timer_minute, c.m);
        EXPECT_EQ(ex.timer_second, c.s);
        EXPECT_EQ(ex.timer_value, c.v);
        EXPECT_EQ(ex.reserved2, 0x7777);
    }
}

TEST(RouterFiles, SearchFileUnscramblesAfterTheIdentity) {
    std::vector<uint8_t> f(68, 0);
    const uint16_t seed = 0x2C35;
    writeLe16(f, 0, rotateSeed(seed));
    writeLe16(f, 2, 0xFFFB);
    writeLe32(f, 4, 0x00305000);
    writeLe32(f, 8, 0x0A4D0021);
    writeLe32(f, 12, 0xFFFFFF00);
    std::memcpy(f.data() + 16, "router-three", 12);
    for (size_t i = 48; i < 68; ++i)
        f[i] = static_cast<uint8_t>(0xA0 + i);
    std::vector<uint8_t> wire = f;
    scramble(std::span<uint8_t>(wire).subspan(8), {seed, 0xFFFB, 0x00305000});
    auto parsed = readSearchFile(wire);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->scramble.seed, seed);
    RouterRecord r;
    std::memset(&r, 0xEE, sizeof r);
    applySearchFile(r, *parsed);
    EXPECT_EQ(r.address, 0x0A4D0021u);
    EXPECT_EQ(r.subnet_mask, 0xFFFFFF00u);
    EXPECT_STREQ(r.name, "router-three");
    EXPECT_EQ(r.model_code, 0x00305000u);
    EXPECT_EQ(r.key_id, 0xFFFB);
    EXPECT_EQ(r.second_id, 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<uint8_t *>(&r) + 420, f.data() + 48, 20), 0);
    EXPECT_EQ(r.scramble_seed, seed);
    EXPECT_FALSE(readSearchFile(std::span<const uint8_t>(wire).first(67)));
}

TEST(WritePayload, SeedAndArgumentScrambledTogether) {
    ScrambleContext ctx{0x2C35, 0x11, 0x00301400};
    auto p = writePayload(ctx, 6);
    scramble(p, ctx);
    EXPECT_EQ(p, (std::vector<uint8_t>{0x35, 0x2C, 6, 0}));
    EXPECT_EQ(writePayload({0, 0x11, 0x00301400}, 2), (std::vector<uint8_t>{0, 0, 2, 0}));
}
