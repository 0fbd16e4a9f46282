// The library against emulated class 2 routers on the virtual LAN, through its public interface
// only: real broadcast, real sockets, real threads and completion messages.
#include "quaystone/quaystone.h"
#include "winmsg/winmsg.h"

#include "control_client.h"
#include "lab_inbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <optional>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint32_t kAlpha = 0x0A4D0101;
constexpr uint32_t kQuiet = 0x0A4D0104;

using qs::lab::Inbox;
using qs::lab::Message;

struct Class2Lab : ::testing::Test {
    qs::emulator::ControlClient control = qs::emulator::ControlClient::fromEnvironment();
    Inbox inbox;

    void SetUp() override {
        control.set("alpha", "port0.state", "3");
        control.set("alpha", "port0.dial_outcome", "connect");
        control.clearLog();
    }
    void TearDown() override { KZV_Cleanup(); }

    std::vector<RouterRecord> discover() {
        NotifyTarget t{inbox.window(), 1034};
        EXPECT_EQ(KZV_Find(&t, 64), KZV_OK);
        auto done = inbox.next(20s);
        EXPECT_TRUE(done);
        if (done) {
            EXPECT_EQ(*done, (Message{1034, 0, 0}));
        }
        std::vector<RouterRecord> out(64);
        int32_t count = -1;
        EXPECT_EQ(KZV_GetInformation(out.data(), &count), KZV_OK);
        out.resize(count < 0 ? 0 : static_cast<size_t>(count));
        return out;
    }

    RouterRecord alpha() {
        RouterRecord r{};
        r.address = kAlpha;
        r.model_code = 0x23090;
        r.key_id = 1;
        r.second_id = 0x0203;
        return r;
    }

    Message sequence(bool connect, const RouterRecord &r) {
        const uint32_t msg = connect ? 1054 : 1064;
        NotifyTarget t{inbox.window(), msg};
        EXPECT_EQ(connect ? KZV_Connect(&t, &r, 0) : KZV_Disconnect(&t, &r, 0), KZV_OK);
        auto done = inbox.next(180s);
        EXPECT_TRUE(done);
        return done.value_or(Message{0, 0, 0});
    }
};

} // namespace

TEST_F(Class2Lab, SearchKeepsQualifiedRoutersOnceWithExactRecords) {
    auto routers = discover();
    ASSERT_EQ(routers.size(), 1u);

    RouterRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.address = kAlpha;
    expected.subnet_mask = 0xFFFFFF00;
    std::memcpy(expected.name, "alpha", 5);
    expected.model_code = 0x23090;
    expected.key_id = 1;
    expected.second_id = 0x0203;
    const uint8_t raw[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(expected.raw_info, raw, 6);
    expected.value_428 = 0x32333435;
    expected.capability_high = 0xA;
    expected.capability_low = 0x5;
    const auto *got = reinterpret_cast<const uint8_t *>(&routers[0]);
    auto *want = reinterpret_cast<uint8_t *>(&expected);
    // The router's own fields arrive as the bytes it sent (info_30, info_38, info_40).
    const uint8_t raw426[] = {0x30, 0x31}, raw436[] = {0x38, 0x39, 0x40, 0x41};
    std::memcpy(want + 426, raw426, sizeof raw426);
    std::memcpy(want + 436, raw436, sizeof raw436);
    for (size_t i = 0; i < sizeof expected; ++i)
        ASSERT_EQ(got[i], want[i]) << "offset " << i;

    // Every router heard the broadcast; the refused ones were asked for their information too.
    auto log = control.log();
    int searches = 0;
    for (const auto &d : log)
        searches += d.broadcast && d.router == "alpha";
    EXPECT_EQ(searches, 1);
}

TEST_F(Class2Lab, SilentRouterIsAskedFourTimesThenNoAnswer) {
    RouterRecord quiet{};
    quiet.address = kQuiet;
    quiet.model_code = 0x23090;
    const auto start = Clock::now();
    EXPECT_EQ(KZV_GetCondition(&quiet, 0), KZV_E_NO_ANSWER);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 3900ms);
    EXPECT_LT(elapsed, 8s);
    auto log = control.log("quiet");
    ASSERT_EQ(log.size(), 4u);
    for (size_t i = 1; i < log.size(); ++i) {
        EXPECT_EQ(log[i].bytes, log[0].bytes); // the same datagram, sequence number included
        EXPECT_GE(log[i].ms - log[i - 1].ms, 950);
        EXPECT_LT(log[i].ms - log[i - 1].ms, 2000);
    }
}

TEST_F(Class2Lab, DialAndHangUpPostTheirCompletions) {
    RouterRecord r = alpha();
    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
    EXPECT_EQ(sequence(true, r), (Message{1054, 0, 5}));

    ConditionExRecord ex{};
    EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), LINE_CONNECTED);
    EXPECT_EQ(ex.global_address, 0xCB007105u);
    EXPECT_EQ(ex.connection_mode, 10u);
    EXPECT_EQ(ex.line_type, 4);
    EXPECT_STREQ(ex.site_names[1], "office");

    EXPECT_EQ(sequence(true, r), (Message{1054, -106, 5})); // already connected
    EXPECT_EQ(sequence(false, r), (Message{1064, 0, 3}));
    EXPECT_EQ(sequence(false, r), (Message{1064, -107, 3})); // already down

    control.set("alpha", "port0.dial_outcome", "refuse:7");
    EXPECT_EQ(sequence(true, r), (Message{1054, -106, 7}));
    control.set("alpha", "port0.dial_outcome", "end:3");
    EXPECT_EQ(sequence(true, r), (Message{1054, -106, 3}));
    EXPECT_EQ(inbox.pending(), 0u); // exactly one completion per request
}

TEST_F(Class2Lab, DestinationAndCounters) {
    RouterRecord r = alpha();
    EXPECT_EQ(KZV_ChangeSite(&r, 0, 2), 0);
    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
    EXPECT_EQ(r.ports[0].selected_site, 2);
    EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_OK);
    EXPECT_EQ(control.get("alpha", "port0.bytes_received"), "0");
}

TEST_F(Class2Lab, LineDroppedFromOutsideIsSeenByTheNextPoll) {
    RouterRecord r = alpha();
    ASSERT_EQ(sequence(true, r), (Message{1054, 0, 5}));
    control.set("alpha", "port0.state", "3");
    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_IDLE);
}

TEST_F(Class2Lab, OversizedAndShortRepliesAreFailuresNotAnswers) {
    for (uint32_t address : {0x0A4D0105u, 0x0A4D0106u}) {
        RouterRecord r{};
        r.address = address;
        r.model_code = 0x23090;
        std::memset(&r.ports[0], 0xCC, sizeof r.ports[0]);
        const PortCondition before = r.ports[0];
        EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL) << std::hex << address;
        EXPECT_EQ(std::memcmp(&r.ports[0], &before, sizeof before), 0);
    }
}
