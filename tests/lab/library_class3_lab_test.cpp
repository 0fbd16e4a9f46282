// The library against emulated class 3 routers on the virtual LAN, through its public interface
// only: real broadcast, TFTP over real sockets, real threads and completion messages. The
// routers are those of class3_lab.ini.
#include "quaystone/quaystone.h"

#include "control_client.h"
#include "lab_inbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using qs::lab::Message;

namespace {

constexpr uint32_t kTwo = 0x0A4D0101;
constexpr uint32_t kOpen = 0x0A4D0301;
constexpr uint32_t kLocked = 0x0A4D0302;
constexpr uint32_t kMute = 0x0A4D0303;

constexpr uint32_t kFind = 1034;
constexpr uint32_t kConnect = 1054;
constexpr uint32_t kDisconnect = 1064;

// The command word of a TFTP read or write request ("getstatus", "search", ...); empty for any
// other packet.
std::string requestWord(const qs::emulator::ReceivedDatagram &d) {
    if (d.bytes.size() < 3 || d.bytes[0] != 0 || (d.bytes[1] != 1 && d.bytes[1] != 2)) return {};
    std::string name(d.bytes.begin() + 2, d.bytes.end());
    return name.substr(0, name.find_first_of(std::string("/\0", 2)));
}

void expectSameBytes(const RouterRecord &got, const RouterRecord &want) {
    const auto *g = reinterpret_cast<const uint8_t *>(&got);
    const auto *w = reinterpret_cast<const uint8_t *>(&want);
    for (size_t i = 0; i < sizeof want; ++i)
        ASSERT_EQ(g[i], w[i]) << "offset " << i;
}

RouterRecord zeroRecord() {
    RouterRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

RouterCredentials credentials(const std::string &user, const std::string &password) {
    RouterCredentials c;
    std::memset(&c, 0, sizeof c);
    c.user_length = static_cast<uint32_t>(user.size());
    std::memcpy(c.user, user.data(), user.size());
    c.password_length = static_cast<uint32_t>(password.size());
    std::memcpy(c.password, password.data(), password.size());
    return c;
}

struct Class3Lab : ::testing::Test {
    qs::emulator::ControlClient control = qs::emulator::ControlClient::fromEnvironment();
    qs::lab::Inbox inbox;

    void SetUp() override {
        // Undo whatever an earlier test changed on the router most tests use.
        const std::pair<const char *, const char *> settings[] = {
            {"port0.state", "3"},         {"port0.dial_outcome", "connect"},
            {"scramble_seed", "0x4D21"},  {"auth_seed", "0x1A2B"},
            {"stale_status", "0"},        {"stale_writes", "0"},
            {"block2_first", "0"},        {"unknown_command", "0"},
            {"wrong_length", "0"},        {"refuse_connect", ""},
            {"refuse_changeaccount", ""},
        };
        for (auto [key, value] : settings)
            control.set("locked", key, value);
        control.clearLog();
    }
    void TearDown() override { KZV_Cleanup(); }

    std::vector<RouterRecord> discover() {
        NotifyTarget t{inbox.window(), kFind};
        EXPECT_EQ(KZV_Find(&t, 64), KZV_OK);
        auto done = inbox.next(30s);
        EXPECT_EQ(done, (Message{kFind, 0, 0}));
        std::vector<RouterRecord> out(64);
        int32_t count = -1;
        EXPECT_EQ(KZV_GetInformation(out.data(), &count), KZV_OK);
        out.resize(count < 0 ? 0 : static_cast<size_t>(count));
        return out;
    }

    // What the search gives for "locked": its challenge only.
    static RouterRecord lockedChallenge() {
        RouterRecord r = zeroRecord();
        r.address = kLocked;
        r.model_code = 0x301400;
        r.auth_flag = 1;
        r.from_challenge = 1;
        r.key_id = 0xFFFE;
        r.auth_seed = 0x1A2B;
        return r;
    }

    // "locked" with its credentials accepted.
    RouterRecord locked() {
        RouterRecord r = lockedChallenge();
        RouterCredentials c = credentials("admin", "s3cret");
        EXPECT_EQ(KZV_SetPassword(&r, &c), KZV_OK);
        return r;
    }

    Message sequence(bool connect, const RouterRecord &r, int32_t port = 0) {
        const uint32_t msg = connect ? kConnect : kDisconnect;
        NotifyTarget t{inbox.window(), msg};
        EXPECT_EQ(connect ? KZV_Connect(&t, &r, port) : KZV_Disconnect(&t, &r, port), KZV_OK);
        auto done = inbox.next(180s);
        EXPECT_TRUE(done);
        return done.value_or(Message{0, 0, 0});
    }

    // The command words the router received requests for, in order.
    std::vector<std::string> requests(const std::string &router) {
        std::vector<std::string> words;
        for (const auto &d : control.log(router))
            if (auto w = requestWord(d); !w.empty()) words.push_back(w);
        return words;
    }
};

using Words = std::vector<std::string>;

} // namespace

TEST_F(Class3Lab, SearchFindsBothClassesClass2First) {
    auto routers = discover();
    ASSERT_EQ(routers.size(), 3u);

    RouterRecord two = zeroRecord();
    two.address = kTwo;
    two.subnet_mask = 0xFFFFFF00;
    std::memcpy(two.name, "class-two", 9);
    two.model_code = 0x23090;
    two.key_id = 2;
    two.second_id = 0x0304;
    const uint8_t raw2[] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16};
    std::memcpy(two.raw_info, raw2, 6);
    two.value_428 = 0x32323232;
    two.capability_high = 3;
    two.capability_low = 1;
    // The router's own fields arrive as the bytes it sent (info_30, info_38, info_40).
    auto *twoBytes = reinterpret_cast<uint8_t *>(&two);
    const uint8_t raw426[] = {0x30, 0xa1}, raw436[] = {0x38, 0xb2, 0x40, 0xc3};
    std::memcpy(twoBytes + 426, raw426, sizeof raw426);
    std::memcpy(twoBytes + 436, raw436, sizeof raw436);

    RouterRecord open = zeroRecord();
    open.address = kOpen;
    open.subnet_mask = 0xFFFFFF00;
    std::memcpy(open.name, "open-three", 10);
    open.model_code = 0x305000;
    open.key_id = 0x12;
    const uint8_t raw3[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(open.raw_info, raw3, 6);
    open.raw_426 = 0x5455;
    open.value_428 = 0x56575859;
    open.capability_high = 0x6061;
    open.capability_low = 0x6263;
    open.raw_436 = 0x6465;
    open.raw_438 = 0x6667;
    open.scramble_seed = 0x2C35;

    SCOPED_TRACE("class 2");
    expectSameBytes(routers[0], two);
    SCOPED_TRACE("class 3, by its search file");
    expectSameBytes(routers[1], open);
    SCOPED_TRACE("class 3, by its challenge");
    expectSameBytes(routers[2], lockedChallenge());
    EXPECT_EQ(inbox.pending(), 0u);

    // One broadcast read reached every class 3 router, the silent one included.
    for (const char *router : {"open", "locked", "mute", "oddkey"}) {
        auto log = control.log(router);
        ASSERT_FALSE(log.empty()) << router;
        EXPECT_TRUE(log[0].broadcast) << router;
        EXPECT_EQ(requestWord(log[0]), "search") << router;
    }
}

TEST_F(Class3Lab, DialAndHangUpWithCredentialsSetThroughSetPassword) {
    RouterRecord r;
    for (const auto &found : discover())
        if (found.address == kLocked) r = found;
    ASSERT_EQ(r.address, kLocked);

    // Without credentials every request is challenged: three renewals, then the fourth
    // challenge ends it.
    control.clearLog();
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_REFUSED);
    EXPECT_EQ(requests("locked"), (Words{"getstatus", "search", "getstatus", "search", "getstatus",
                                         "search", "getstatus"}));

    RouterCredentials wrong = credentials("admin", "secret");
    RouterRecord refused = r;
    EXPECT_EQ(KZV_SetPassword(&refused, &wrong), KZV_E_REFUSED);
    EXPECT_EQ(refused.auth_flag, 1);
    EXPECT_EQ(refused.user_length, 0u);

    RouterCredentials right = credentials("admin", "s3cret");
    ASSERT_EQ(KZV_SetPassword(&r, &right), KZV_OK);
    EXPECT_EQ(r.auth_flag, 0);
    EXPECT_STREQ(r.name, "locked-three");
    EXPECT_EQ(r.subnet_mask, 0xFFFF0000u);
    EXPECT_EQ(r.value_428, 0x01020304u);
    EXPECT_EQ(r.scramble_seed, 0x4D21);
    EXPECT_EQ(r.user_length, 5u);
    EXPECT_EQ(std::memcmp(r.user, "admin", 5), 0);
    EXPECT_EQ(r.password_length, 6u);
    EXPECT_EQ(std::memcmp(r.password, "s3cret", 6), 0);

    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
    EXPECT_EQ(r.ports[0].selected_site, 1);
    EXPECT_STREQ(r.ports[0].site_names[2], "isp");
    EXPECT_EQ(KZV_GetCondition(&r, 1), LINE_OFF);

    EXPECT_EQ(sequence(true, r), (Message{kConnect, 0, 5}));
    ConditionExRecord ex{};
    EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), LINE_CONNECTED);
    EXPECT_EQ(ex.line_type, 4);
    EXPECT_EQ(ex.connection_mode, 10u);
    EXPECT_EQ(ex.global_address, 0xCB007105u);
    EXPECT_STREQ(ex.text_184, "via the office line");
    EXPECT_EQ(ex.site_registered[2], 1);
    EXPECT_EQ(ex.timer_kind, 2);
    EXPECT_EQ(ex.timer_value, 86400u);
    EXPECT_GT(ex.bytes_received, 0u);

    EXPECT_EQ(sequence(true, r), (Message{kConnect, -106, 5})); // already connected
    EXPECT_EQ(sequence(false, r), (Message{kDisconnect, 0, 3}));
    EXPECT_EQ(control.get("locked", "port0.state"), "3");
    EXPECT_EQ(inbox.pending(), 0u);

    // Every request carried the credentials: nothing was challenged once they were set.
    const Words words = requests("locked");
    EXPECT_EQ(std::count(words.begin(), words.end(), "connect"), 1);
    EXPECT_EQ(std::count(words.begin(), words.end(), "disconnect"), 1);
}

TEST_F(Class3Lab, AStaleSeedIsRenewedAndTheRequestRepeated) {
    RouterRecord r = locked();
    struct Case {
        const char *what;
        const char *key;
        const char *value;
        bool write;
    };
    const Case cases[] = {
        {"the router moved to another seed", "scramble_seed", "0x0BAD", false},
        {"a status file echoing another seed", "stale_status", "1", false},
        {"a write answered with error 3", "stale_writes", "1", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        control.set("locked", c.key, c.value);
        control.clearLog();
        if (c.write) {
            EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_OK);
            EXPECT_EQ(requests("locked"), (Words{"clearstatus", "search", "clearstatus"}));
        } else {
            EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
            EXPECT_EQ(requests("locked"), (Words{"getstatus", "search", "getstatus"}));
        }
    }
    // The caller's record keeps the old seed: the next request renews again.
    control.clearLog();
    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
    EXPECT_EQ(requests("locked"), (Words{"getstatus", "search", "getstatus"}));

    // Four stale files in a row outlast the three renewals.
    control.set("locked", "stale_status", "4");
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_REFUSED);
}

TEST_F(Class3Lab, ANewChallengeIsAnsweredWithTheNewSeed) {
    RouterRecord r = locked();
    control.set("locked", "auth_seed", "0x2222");
    control.clearLog();
    EXPECT_EQ(KZV_ChangeSite(&r, 0, 2), 0);
    EXPECT_EQ(requests("locked"), (Words{"changeaccount", "search", "changeaccount"}));
    EXPECT_EQ(control.get("locked", "port0.site"), "2");
}

TEST_F(Class3Lab, ASilentRouterIsAskedFourTimesThenNoAnswer) {
    RouterRecord mute = zeroRecord();
    mute.address = kMute;
    mute.model_code = 0x301400;
    const auto start = Clock::now();
    EXPECT_EQ(KZV_GetCondition(&mute, 0), KZV_E_NO_ANSWER);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 3900ms);
    EXPECT_LT(elapsed, 8s);
    auto log = control.log("mute");
    ASSERT_EQ(log.size(), 4u);
    for (size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(log[i].bytes, log[0].bytes);
        EXPECT_EQ(log[i].senderPort, log[0].senderPort); // one transfer, one socket
        EXPECT_GE(log[i].ms - log[i - 1].ms, 950);
        EXPECT_LT(log[i].ms - log[i - 1].ms, 2000);
    }

    // A connect gives up after three unanswered status reads.
    EXPECT_EQ(sequence(true, mute), (Message{kConnect, KZV_E_NO_ANSWER, 0}));
    EXPECT_EQ(control.log("mute").size(), 4u + 12u);
}

TEST_F(Class3Lab, FaultsAndRefusalsReachTheCaller) {
    RouterRecord r = locked();
    {
        SCOPED_TRACE("block 2 before block 1");
        control.set("locked", "block2_first", "1");
        ConditionExRecord ex{};
        EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), LINE_IDLE);
        EXPECT_EQ(ex.global_address, 0xCB007105u);
        control.set("locked", "block2_first", "0");
    }
    {
        SCOPED_TRACE("a status file one byte too long");
        control.set("locked", "wrong_length", "1");
        EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
        control.set("locked", "wrong_length", "0");
    }
    {
        SCOPED_TRACE("every command unknown");
        control.set("locked", "unknown_command", "1");
        EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
        EXPECT_EQ(KZV_ChangeSite(&r, 0, 1), KZV_E_FAIL);
        control.set("locked", "unknown_command", "0");
    }
    {
        SCOPED_TRACE("connect refused as an active port");
        control.set("locked", "refuse_connect", "active port");
        EXPECT_EQ(sequence(true, r), (Message{kConnect, -106, 5}));
        EXPECT_EQ(control.get("locked", "port0.state"), "3");
    }
    {
        SCOPED_TRACE("a change of destination refused as an illegal parameter");
        control.set("locked", "refuse_changeaccount", "illegal parameter");
        EXPECT_EQ(KZV_ChangeSite(&r, 0, 3), 2);
    }
    {
        SCOPED_TRACE("a connected line is not dialled again");
        control.set("locked", "port0.state", "5");
        control.clearLog();
        EXPECT_EQ(sequence(true, r), (Message{kConnect, -106, 5}));
        EXPECT_EQ(requests("locked"), Words{"getstatus"});
        control.set("locked", "refuse_connect", "");
    }
    {
        SCOPED_TRACE("a dial that fails");
        control.set("locked", "port0.state", "3");
        control.set("locked", "port0.dial_outcome", "end:3");
        EXPECT_EQ(sequence(true, r), (Message{kConnect, -106, 3}));
    }
    EXPECT_EQ(inbox.pending(), 0u);
}
