// Search, connect and disconnect through the entry points, on a fake network and clock.
#include "quaystone/quaystone.h"

#include "fake_router.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qs::test;

namespace {

constexpr uint32_t kRouter = 0x0A4D000B;
const NotifyTarget kTarget{77, 1054};

struct SequenceTest : ::testing::Test {
    FakeRouters routers; // outlives the platform, whose teardown may still run workers
    FakePlatform fake;
    void SetUp() override { fake.network.peer = routers.peer(); }

    RouterRecord record(uint32_t model = 0x23090) {
        RouterRecord r{};
        r.address = kRouter;
        r.model_code = model;
        return r;
    }
    Post runConnect(uint32_t model = 0x23090, int port = 0) {
        RouterRecord r = record(model);
        EXPECT_EQ(KZV_Connect(&kTarget, &r, port), KZV_OK);
        fake.threads.runPending();
        auto posts = fake.poster.posts();
        EXPECT_EQ(posts.size(), 1u);
        return posts.empty() ? Post{} : posts.back();
    }
    Post runDisconnect(uint32_t model = 0x23090) {
        RouterRecord r = record(model);
        NotifyTarget t{77, 1064};
        EXPECT_EQ(KZV_Disconnect(&t, &r, 0), KZV_OK);
        fake.threads.runPending();
        auto posts = fake.poster.posts();
        EXPECT_EQ(posts.size(), 1u);
        return posts.empty() ? Post{} : posts.back();
    }
    int connectCommandsSent() {
        int n = 0;
        for (auto &s : fake.network.sent())
            if ((be16(s.bytes, 4) & 0xFE) == 106) ++n;
        return n;
    }
};

} // namespace

TEST_F(SequenceTest, ConnectCompletions) {
    struct Case {
        const char *name;
        std::deque<uint16_t> states;
        uint16_t connectWord;
        Post expected;
    } cases[] = {
        {"dials then connects", {3, 4, 4, 5}, 4, {77, 1054, 0, 5}},
        {"connected variant counts as connected", {3, 4, 21}, 4, {77, 1054, 0, 5}},
        {"already connected", {5}, 4, {77, 1054, -106, 5}},
        {"line off", {0}, 4, {77, 1054, -106, 0}},
        {"router refuses the command", {3}, 3, {77, 1054, -106, 3}},
        {"line drops while dialling", {3, 4, 3}, 4, {77, 1054, -106, 3}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouters rs;
        FakePlatform local;
        local.network.peer = rs.peer();
        rs.add(FakeRouter{.address = kRouter, .states = c.states, .connectWord = c.connectWord});
        RouterRecord r = record();
        ASSERT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_OK);
        local.threads.runPending();
        EXPECT_EQ(local.poster.posts(), std::vector<Post>{c.expected});
    }
}

TEST_F(SequenceTest, ConnectOnAConnectedLineSendsNoCommand) {
    routers.add(FakeRouter{.address = kRouter, .states = {LINE_CONNECTED}});
    EXPECT_EQ(runConnect(), (Post{77, 1054, -106, 5}));
    EXPECT_EQ(connectCommandsSent(), 0);
}

TEST_F(SequenceTest, DiallingBeyondTheLimitTimesOutAfterTwoMinutes) {
    routers.add(FakeRouter{.address = kRouter, .states = {3, 4}});
    const int64_t start = fake.clock.nowMs();
    EXPECT_EQ(runConnect(), (Post{77, 1054, -108, 4}));
    const int64_t elapsed = fake.clock.nowMs() - start;
    EXPECT_GT(elapsed, 120'000);
    EXPECT_LE(elapsed, 123'000);
    // One status query a second while waiting, plus the one before the command.
    EXPECT_GE(routers.at(kRouter).statusQueries, 120);
    EXPECT_LE(routers.at(kRouter).statusQueries, 123);
}

TEST_F(SequenceTest, SilentRouterEndsConnectWithNoAnswer) {
    routers.add(FakeRouter{.address = kRouter, .silent = true});
    EXPECT_EQ(runConnect(), (Post{77, 1054, -101, 0}));
}

TEST_F(SequenceTest, ConnectOnPortOneUsesOddCommands) {
    routers.add(FakeRouter{.address = kRouter, .states = {3, 5}});
    EXPECT_EQ(runConnect(0x23090, 1), (Post{77, 1054, 0, 5}));
    for (auto &s : fake.network.sent())
        EXPECT_EQ(be16(s.bytes, 4) & 1, 1);
}

TEST_F(SequenceTest, DisconnectCompletions) {
    struct Case {
        const char *name;
        std::deque<uint16_t> states;
        uint16_t word;
        Post expected;
    } cases[] = {
        {"hangs up", {5, 4, 3}, 4, {77, 1064, 0, 3}},
        {"variant counts as connected", {21, 3}, 4, {77, 1064, 0, 3}},
        {"line not connected", {3}, 4, {77, 1064, -107, 3}},
        {"router refuses", {5}, 5, {77, 1064, -107, 5}},
        {"unexpected state while waiting", {5, 4, 0}, 4, {77, 1064, -107, 0}},
        {"stays busy", {5, 4}, 4, {77, 1064, -108, 4}},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeRouters rs;
        FakePlatform local;
        local.network.peer = rs.peer();
        rs.add(FakeRouter{.address = kRouter, .states = c.states, .disconnectWord = c.word});
        RouterRecord r = record();
        NotifyTarget t{77, 1064};
        const int64_t start = local.clock.nowMs();
        ASSERT_EQ(KZV_Disconnect(&t, &r, 0), KZV_OK);
        local.threads.runPending();
        EXPECT_EQ(local.poster.posts(), std::vector<Post>{c.expected});
        if (c.expected.wparam == -108) {
            EXPECT_GT(local.clock.nowMs() - start, 15'000);
        }
    }
}

TEST_F(SequenceTest, DisconnectWhoseStatusQueryFailsWhileWaiting) {
    auto &router = routers.add(FakeRouter{.address = kRouter, .states = {5, 4}});
    // After the command is accepted the router falls silent.
    fake.network.peer = [&](uint32_t to, const std::vector<uint8_t> &d) {
        auto out = routers.peer()(to, d);
        if ((be16(d, 4) & 0xFE) == 104) router.silent = true;
        return out;
    };
    EXPECT_EQ(runDisconnect(), (Post{77, 1064, -1, -101}));
}

TEST_F(SequenceTest, ShortFormModelsQueryWithTheShortRequest) {
    routers.add(FakeRouter{.address = kRouter, .model = 0x21000, .states = {3, 4, 5}});
    EXPECT_EQ(runConnect(0x21000), (Post{77, 1054, 0, 5}));
    for (auto &s : fake.network.sent())
        if ((be16(s.bytes, 4) & 0xFE) == 100) {
            EXPECT_EQ(s.bytes.size(), 20u);
        }
}

TEST_F(SequenceTest, SearchAcceptsOnlyQualifiedRoutersOnceEach) {
    routers.add(FakeRouter{.address = 0x0A4D0001, .name = "twice", .answerSearchTwice = true});
    routers.add(FakeRouter{.address = 0x0A4D0002, .capability = 0x00F0, .name = "no-low-bits"});
    routers.add(FakeRouter{.address = 0x0A4D0003, .keyId = 3, .name = "key-three"});
    routers.add(FakeRouter{.address = 0x0A4D0004, .keyId = 0xFFFF, .name = "last"});
    ASSERT_EQ(KZV_Find(&kTarget, 64), KZV_OK);
    fake.threads.runPending();
    RouterRecord out[64];
    int32_t count = 0;
    ASSERT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(out[0].address, 0x0A4D0001u);
    EXPECT_STREQ(out[0].name, "twice-2"); // the later datagram wins
    EXPECT_EQ(out[0].subnet_mask, 0xFFFF0000u);
    EXPECT_EQ(out[1].address, 0x0A4D0004u);
    EXPECT_EQ(out[1].key_id, 0xFFFF);
}

TEST_F(SequenceTest, SearchStopsAtMax) {
    for (uint32_t a = 1; a <= 5; ++a)
        routers.add(FakeRouter{.address = 0x0A4D0000 + a});
    ASSERT_EQ(KZV_Find(&kTarget, 2), KZV_OK);
    fake.threads.runPending();
    RouterRecord out[2];
    int32_t count = 0;
    ASSERT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(out[1].address, 0x0A4D0002u);
}

TEST_F(SequenceTest, SearchWithoutAnswersEndsAfterOneSilentSecondPerRouterFamily) {
    const int64_t start = fake.clock.nowMs();
    ASSERT_EQ(KZV_Find(&kTarget, 64), KZV_OK);
    fake.threads.runPending();
    EXPECT_EQ(fake.clock.nowMs() - start, 2000);
    EXPECT_EQ(fake.poster.posts(), (std::vector<Post>{{77, 1054, 0, 0}}));
}

TEST_F(SequenceTest, SearchSocketFailurePostsOncePerRouterFamily) {
    fake.network.failOpen = true;
    ASSERT_EQ(KZV_Find(&kTarget, 64), KZV_OK);
    fake.threads.runPending();
    EXPECT_EQ(fake.poster.posts(), (std::vector<Post>{{77, 1054, -1, 0}, {77, 1054, -1, -3}}));
    RouterRecord out[1];
    int32_t count = -1;
    EXPECT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    EXPECT_EQ(count, 0);
}
