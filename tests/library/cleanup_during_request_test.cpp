// A cleanup that comes while requests still run: their sockets stay theirs until they end.
#include "quaystone/quaystone.h"

#include "fake_router.h"

#include <gtest/gtest.h>

using namespace qs::test;

namespace {

constexpr uint32_t kRouter = 0x0A4D000C;
constexpr uint32_t kOther = 0x0A4D000E;

RouterRecord recordOf(uint32_t address) {
    RouterRecord r{};
    r.address = address;
    r.model_code = 0x23090;
    return r;
}

struct CleanupDuringRequest : ::testing::Test {
    FakeRouters routers;
    FakePlatform fake;
    void SetUp() override {
        routers.add(FakeRouter{.address = kOther, .states = {LINE_CONNECTED}});
    }
    int cleanupsWhileRunning = -1;
    int32_t laterRequest = 0;

    // The router's first answer is held back while another thread of the caller cleans up and
    // then makes a request of its own, which starts the socket layer again.
    void cleanUpDuringTheFirstExchange() {
        fake.network.peer = [this, inner = routers.peer(),
                             done = false](uint32_t to, const std::vector<uint8_t> &d) mutable {
            if (!done) {
                done = true;
                KZV_Cleanup();
                cleanupsWhileRunning = fake.network.cleanups.load();
                RouterRecord other = recordOf(kOther);
                laterRequest = KZV_GetCondition(&other, 1);
            }
            return inner(to, d);
        };
    }
};

} // namespace

TEST_F(CleanupDuringRequest, ASynchronousRequestKeepsItsSocketLayer) {
    routers.add(FakeRouter{.address = kRouter, .states = {LINE_CONNECTED}});
    RouterRecord r = recordOf(kRouter);
    const int startups = fake.network.startups.load();
    cleanUpDuringTheFirstExchange();

    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_CONNECTED);
    // The layer was not stopped under the running request's socket...
    EXPECT_EQ(cleanupsWhileRunning, 0);
    EXPECT_EQ(fake.network.cleanupsUnderOpenSockets.load(), 0);
    // ...but once it ended; the later request started it again and still holds it.
    EXPECT_EQ(fake.network.cleanups.load(), 1);
    EXPECT_EQ(fake.network.startups.load(), startups + 2);
    EXPECT_EQ(laterRequest, LINE_CONNECTED);
}

TEST_F(CleanupDuringRequest, ADialKeepsItsSocketLayerUntilItPosts) {
    routers.add(FakeRouter{.address = kRouter, .states = {LINE_IDLE, LINE_BUSY, LINE_CONNECTED}});
    RouterRecord r = recordOf(kRouter);
    const NotifyTarget target{7, 1054};
    ASSERT_EQ(KZV_Connect(&target, &r, 0), KZV_OK);
    cleanUpDuringTheFirstExchange();
    fake.threads.runPending();

    EXPECT_EQ(fake.poster.posts(), (std::vector<Post>{{7, 1054, KZV_OK, LINE_CONNECTED}}));
    EXPECT_EQ(cleanupsWhileRunning, 0);
    EXPECT_EQ(fake.network.cleanupsUnderOpenSockets.load(), 0);
    EXPECT_EQ(fake.network.cleanups.load(), 1);
    EXPECT_EQ(laterRequest, LINE_CONNECTED);
}
