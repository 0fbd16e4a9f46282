// Class 3 operations through the entry points, against a scripted router on a fake network.
#include "quaystone/quaystone.h"

#include "fake_class3_router.h"
#include "fake_router.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qs::test;

namespace {

constexpr uint32_t kRouter = 0x0A4D0031;
const NotifyTarget kTarget{9, 1054};

struct Class3Test : ::testing::Test {
    FakeRouters class2;
    FakeClass3Network routers{fake.clock};
    FakePlatform fake;
    void SetUp() override {
        fake.network.peer = class2.peer();
        fake.network.tftpPeer = routers.peer();
    }

    // The record discovery would have produced for a plain (unauthenticated) router.
    RouterRecord record(const FakeClass3Router &r) {
        RouterRecord rec{};
        rec.address = r.address;
        rec.model_code = r.model;
        rec.key_id = r.keyId;
        rec.scramble_seed = r.scrambleSeed;
        return rec;
    }
    Post run(bool connect, const RouterRecord &rec) {
        NotifyTarget t{9, connect ? 1054u : 1064u};
        EXPECT_EQ(connect ? KZV_Connect(&t, &rec, 0) : KZV_Disconnect(&t, &rec, 0), KZV_OK);
        fake.threads.runPending();
        auto posts = fake.poster.posts();
        EXPECT_EQ(posts.size(), 1u);
        return posts.empty() ? Post{} : posts.back();
    }
};

} // namespace

TEST_F(Class3Test, DiscoveryAfterClass2WithChallengeAndPlainRouters) {
    class2.add(FakeRouter{.address = 0x0A4D0002, .name = "two"});
    routers.add(FakeClass3Router{.address = 0x0A4D0031, .name = "plain"});
    routers.add(FakeClass3Router{.address = 0x0A4D0032,
                                 .keyId = 0xFFFB,
                                 .authSeed = 0x1357,
                                 .user = "admin",
                                 .password = "pw",
                                 .requireAuth = true});
    routers.add(FakeClass3Router{.address = 0x0A4D0033, .model = 0x0030999A}); // not offered
    routers.add(FakeClass3Router{.address = 0x0A4D0034, .keyId = 3});          // refused key id
    ASSERT_EQ(KZV_Find(&kTarget, 64), KZV_OK);
    fake.threads.runPending();
    EXPECT_EQ(fake.poster.posts(), (std::vector<Post>{{9, 1054, 0, 0}}));
    RouterRecord out[64];
    int32_t count = 0;
    ASSERT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(out[0].address, 0x0A4D0002u); // class 2 first
    EXPECT_STREQ(out[1].name, "plain");
    EXPECT_EQ(out[1].scramble_seed, 0x2C35);
    EXPECT_EQ(out[1].auth_flag, 0);

    // The challenger is known by its address, model, key id and seed only.
    RouterRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.address = 0x0A4D0032;
    expected.model_code = 0x00301400;
    expected.key_id = 0xFFFB;
    expected.auth_seed = 0x1357;
    expected.auth_flag = 1;
    expected.from_challenge = 1;
    const auto *got = reinterpret_cast<const uint8_t *>(&out[2]);
    const auto *want = reinterpret_cast<const uint8_t *>(&expected);
    for (size_t i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(got[i], want[i]) << "offset " << i;
}

TEST_F(Class3Test, ConnectAndDisconnectSequences) {
    struct Case {
        const char *name;
        bool connect;
        std::deque<uint8_t> before, after;
        std::string answer;
        Post expected;
        int writes;
    } cases[] = {
        {"dials", true, {0x01}, {0x02, 0x04, 0x08}, "", {9, 1054, 0, 5}, 1},
        {"variant counts as connected", true, {0x01}, {0x10}, "", {9, 1054, 0, 5}, 1},
        {"already connected", true, {0x08}, {}, "", {9, 1054, -106, 5}, 0},
        {"active port", true, {0x01}, {}, "active port", {9, 1054, -106, 5}, 1},
        {"leased line", true, {0x01}, {}, "leased line", {9, 1054, -106, 1}, 1},
        {"drops while dialling", true, {0x01}, {0x02, 0x01}, "", {9, 1054, -106, 3}, 1},
        {"hangs up", false, {0x08}, {0x04, 0x01}, "", {9, 1064, 0, 3}, 1},
        {"not connected", false, {0x01}, {}, "", {9, 1064, -107, 3}, 0},
        {"refused", false, {0x08}, {}, "non active port", {9, 1064, -107, 3}, 1},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClass3Network net(fake.clock);
        auto &r = net.add(FakeClass3Router{.address = kRouter, .commandAnswer = c.answer});
        r.bits = c.before;
        if (!c.after.empty()) r.bitsAfterCommand = c.after;
        fake.network.tftpPeer = net.peer();
        NotifyTarget t{9, c.connect ? 1054u : 1064u};
        RouterRecord rec = record(r);
        const size_t before = fake.poster.posts().size();
        ASSERT_EQ(c.connect ? KZV_Connect(&t, &rec, 0) : KZV_Disconnect(&t, &rec, 0), KZV_OK);
        fake.threads.runPending();
        auto posts = fake.poster.posts();
        ASSERT_EQ(posts.size(), before + 1);
        EXPECT_EQ(posts.back(), c.expected);
        EXPECT_EQ(static_cast<int>(r.writes.size()), c.writes);
    }
}

TEST_F(Class3Test, DiallingTimesOutWithReadsEveryThreeSeconds) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter});
    r.bitsAfterCommand = {0x02};
    const int64_t start = fake.clock.nowMs();
    EXPECT_EQ(run(true, record(r)), (Post{9, 1054, -108, 4}));
    EXPECT_GT(fake.clock.nowMs() - start, 120'000);
    EXPECT_LE(fake.clock.nowMs() - start, 126'000);
    for (size_t i = 2; i < r.statusReadTimes.size(); ++i)
        EXPECT_EQ(r.statusReadTimes[i] - r.statusReadTimes[i - 1], 3000);
}

TEST_F(Class3Test, HangingUpTimesOutAfterFifteenSeconds) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter, .bits = {0x08}});
    r.bitsAfterCommand = {0x04};
    const int64_t start = fake.clock.nowMs();
    EXPECT_EQ(run(false, record(r)), (Post{9, 1064, -109, 4}));
    EXPECT_GT(fake.clock.nowMs() - start, 15'000);
    EXPECT_LE(fake.clock.nowMs() - start, 21'000);
}

TEST_F(Class3Test, UnansweredStatusReadsGiveUpAfterThree) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter, .silent = true});
    const int64_t start = fake.clock.nowMs();
    EXPECT_EQ(run(true, record(r)), (Post{9, 1054, -101, 0}));
    // Three reads, each a request and three retransmissions a second apart.
    EXPECT_EQ(fake.clock.nowMs() - start, 3 * 4000);
}

TEST_F(Class3Test, StaleSeedIsRenewedThreeTimesThenRefused) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter, .bits = {0x08}, .staleReads = 3});
    RouterRecord rec = record(r);
    EXPECT_EQ(KZV_GetCondition(&rec, 0), LINE_CONNECTED);
    EXPECT_EQ(r.statusReads, 4);
    EXPECT_EQ(r.searches, 3);

    r.staleReads = 4;
    EXPECT_EQ(KZV_GetCondition(&rec, 0), KZV_E_REFUSED);
}

TEST_F(Class3Test, RenewalPicksUpANewScramblingSeed) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter, .bits = {0x08}});
    RouterRecord rec = record(r);
    rec.scramble_seed = 0x1111; // the router has moved on since discovery
    ConditionExRecord ex{};
    EXPECT_EQ(KZV_GetConditionEx(&rec, &ex, 0), LINE_CONNECTED);
    EXPECT_EQ(r.searches, 1);
    EXPECT_EQ(ex.global_address, 0xCB007105u);
    EXPECT_EQ(ex.bytes_received, 200u);
    EXPECT_EQ(ex.connection_mode, 10u);
    EXPECT_EQ(ex.timer_hour, 5);
    EXPECT_EQ(ex.timer_minute, 6);
    EXPECT_EQ(ex.timer_second, 7);
    EXPECT_STREQ(ex.site_names[2], "site-2");
    EXPECT_EQ(rec.scramble_seed, 0x1111); // the caller's record is not written
}

TEST_F(Class3Test, ConditionVariantIsFivePlainAndTwentyOneExtended) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter, .bits = {0x10}});
    RouterRecord rec = record(r);
    ConditionExRecord ex{};
    EXPECT_EQ(KZV_GetCondition(&rec, 0), LINE_CONNECTED);
    EXPECT_EQ(rec.ports[0].line_state, LINE_CONNECTED);
    EXPECT_EQ(rec.ports[0].status_flags, 0x1u); // both low bits set, destination 1: bit 1 cleared
    EXPECT_EQ(KZV_GetConditionEx(&rec, &ex, 0), LINE_CONNECTED_EX);
}

TEST_F(Class3Test, ChangeSiteAndClearCounterResults) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter});
    RouterRecord rec = record(r);
    EXPECT_EQ(KZV_ChangeSite(&rec, 1, 2), 0);
    r.changeAnswer = "illegal parameter";
    EXPECT_EQ(KZV_ChangeSite(&rec, 0, 3), 2);
    EXPECT_EQ(KZV_ClearCounter(&rec, 1), 0);
    r.silent = true;
    EXPECT_EQ(KZV_ChangeSite(&rec, 0, 0), KZV_E_NO_ANSWER);
    EXPECT_EQ(KZV_ClearCounter(&rec, 0), KZV_E_NO_ANSWER);
}

TEST_F(Class3Test, SetPasswordStoresAcceptedCredentials) {
    auto &r = routers.add(FakeClass3Router{.address = kRouter,
                                           .authSeed = 0x0BAD,
                                           .user = "admin",
                                           .password = "secret",
                                           .requireAuth = true});
    RouterRecord rec{};
    rec.address = kRouter;
    rec.model_code = r.model;
    rec.key_id = r.keyId;
    rec.auth_seed = 0x0BAD;
    rec.auth_flag = 1;
    RouterCredentials cred{};
    cred.user_length = 5;
    std::memcpy(cred.user, "admin", 5);
    cred.password_length = 6;
    std::memcpy(cred.password, "secret", 6);
    ASSERT_EQ(KZV_SetPassword(&rec, &cred), KZV_OK);
    EXPECT_EQ(rec.auth_flag, 0);
    EXPECT_EQ(rec.user_length, 5u);
    EXPECT_EQ(std::memcmp(rec.password, "secret", 6), 0);
    EXPECT_STREQ(rec.name, "class3");
    EXPECT_EQ(rec.scramble_seed, 0x2C35);

    // The stored credentials carry later requests.
    rec.ports[0].line_state = 99;
    EXPECT_EQ(KZV_GetCondition(&rec, 0), LINE_IDLE);

    std::memcpy(cred.password, "wrong!", 6);
    RouterRecord again = rec;
    EXPECT_EQ(KZV_SetPassword(&again, &cred), KZV_E_REFUSED);
    EXPECT_EQ(again.auth_flag, 1);
    EXPECT_EQ(again.auth_seed, 0x0BAD);
    EXPECT_EQ(r.searches, 1 + 4 + 3); // the accepted one, then four tries and three renewals
}

TEST_F(Class3Test, FailureCompletionsOfTheSequences) {
    // The status read goes stale once, so the sequence must renew before it can go on.
    struct Case {
        const char *name;
        bool connect;
        FakeClass3Router router;
        Post expected;
    } cases[] = {
        {"renewal left unanswered",
         true,
         {.staleReads = 1, .answeredSearches = 0},
         {9, 1054, KZV_E_NO_ANSWER, 0}},
        {"renewal answered with a text",
         true,
         {.staleReads = 1, .searchAnswers = {"illegal parameter"}},
         {9, 1054, KZV_E_FAIL, -2}},
        {"renewal answered with a file of the wrong length",
         false,
         {.bits = {0x08}, .staleReads = 1, .searchFileExtra = 3},
         {9, 1064, KZV_E_FAIL, -4}},
        {"command left unanswered", true, {.silentWrites = true}, {9, 1054, KZV_E_NO_ANSWER, 0}},
        {"hang-up left unanswered",
         false,
         {.bits = {0x08}, .silentWrites = true},
         {9, 1064, KZV_E_NO_ANSWER, 0}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClass3Network net(fake.clock);
        c.router.address = kRouter;
        auto &r = net.add(c.router);
        fake.network.tftpPeer = net.peer();
        NotifyTarget t{9, c.connect ? 1054u : 1064u};
        RouterRecord rec = record(r);
        const size_t before = fake.poster.posts().size();
        const int64_t start = fake.clock.nowMs();
        ASSERT_EQ(c.connect ? KZV_Connect(&t, &rec, 0) : KZV_Disconnect(&t, &rec, 0), KZV_OK);
        fake.threads.runPending();
        auto posts = fake.poster.posts();
        ASSERT_EQ(posts.size(), before + 1);
        EXPECT_EQ(posts.back(), c.expected);
        EXPECT_TRUE(r.writes.empty()); // nothing was carried out
        if (c.router.silentWrites) {
            // One command, sent four times a second apart, and no status read after it.
            EXPECT_EQ(fake.clock.nowMs() - start, 4000);
            EXPECT_EQ(r.statusReads, 1);
        }
    }
    // The busy slots are free again.
    fake.network.tftpPeer = routers.peer();
    RouterRecord rec{};
    rec.model_code = 0x00301400;
    EXPECT_EQ(KZV_Connect(&kTarget, &rec, 0), KZV_OK);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &rec, 0), KZV_OK);
}

TEST_F(Class3Test, SetPasswordFailures) {
    RouterCredentials cred{};
    cred.user_length = 5;
    std::memcpy(cred.user, "admin", 5);
    cred.password_length = 2;
    std::memcpy(cred.password, "pw", 2);
    // Routers that know other credentials challenge the first search; a renewal follows.
    struct Case {
        const char *name;
        FakeClass3Router router;
        int32_t expected;
        int searches;
    } cases[] = {
        {"silent router", {.silent = true}, KZV_E_NO_ANSWER, 0},
        {"search answered with a text", {.searchAnswers = {"illegal parameter"}}, KZV_E_FAIL, 1},
        {"search file of the wrong length", {.searchFileExtra = 1}, KZV_E_FAIL, 1},
        {"renewal left unanswered",
         {.user = "admin", .password = "other", .requireAuth = true, .answeredSearches = 1},
         KZV_E_NO_ANSWER,
         1 + 4}, // the renewal's request and its three retransmissions
        {"renewal answered with a text",
         {.user = "admin",
          .password = "other",
          .requireAuth = true,
          .searchAnswers = {"", "illegal parameter"}},
         KZV_E_FAIL,
         2},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClass3Network net(fake.clock);
        c.router.address = kRouter;
        auto &r = net.add(c.router);
        fake.network.tftpPeer = net.peer();
        RouterRecord rec = record(r);
        rec.auth_seed = 0x1111;
        const RouterRecord before = rec;
        EXPECT_EQ(KZV_SetPassword(&rec, &cred), c.expected);
        EXPECT_EQ(r.searches, c.searches);
        // Nothing was accepted: the caller's record is as it was.
        EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
    }
    fake.network.tftpPeer = routers.peer();
}
