// Exceptions thrown inside the library (a failed allocation, say) never reach the caller: an
// entry point fails with -1, a worker posts its failure completion and frees its slot.
#include "quaystone/quaystone.h"

#include "fake_class3_router.h"
#include "fake_router.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qs::test;

namespace {

constexpr uint32_t kRouter = 0x0A4D000D;
const NotifyTarget kTarget{5, 1054};

RouterRecord recordOf(uint32_t model) {
    RouterRecord r{};
    r.address = kRouter;
    r.model_code = model;
    return r;
}

RouterCredentials credentials() {
    RouterCredentials c{};
    c.user_length = 1;
    c.user[0] = 'u';
    return c;
}

struct ExceptionContainment : ::testing::Test {
    FakeRouters routers;
    FakePlatform fake;
    void SetUp() override {
        routers.add(FakeRouter{.address = kRouter});
        fake.network.peer = routers.peer();
    }
    // Every kind of request starts again once nothing throws any more.
    void expectSlotsFree() {
        RouterRecord r = recordOf(0x23090);
        EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_OK);
        EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_OK);
        EXPECT_EQ(KZV_Find(&kTarget, 4), KZV_OK);
    }
};

} // namespace

TEST_F(ExceptionContainment, ThreadCreationThatThrowsFailsTheCall) {
    RouterRecord r = recordOf(0x23090);
    RouterRecord r3 = recordOf(0x301400);
    ConditionExRecord ex{};
    RouterCredentials c = credentials();
    fake.threads.throwOnCreate = true;
    EXPECT_EQ(KZV_Find(&kTarget, 4), KZV_E_FAIL);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_ChangeSite(&r, 0, 1), KZV_E_FAIL);
    EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_SetPassword(&r3, &c), KZV_E_FAIL);
    fake.threads.throwOnCreate = false;
    EXPECT_TRUE(fake.poster.posts().empty());
    expectSlotsFree();
}

TEST_F(ExceptionContainment, AWorkerThatThrowsEndsLikeAnyFailedRequest) {
    RouterRecord r = recordOf(0x23090);
    RouterRecord r3 = recordOf(0x301400);
    const RouterRecord r3Before = r3;
    ConditionExRecord ex{};
    RouterCredentials c = credentials();
    fake.network.throwOnOpen = true;
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_ChangeSite(&r, 0, 1), KZV_E_FAIL);
    EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetCondition(&r3, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_SetPassword(&r3, &c), KZV_E_FAIL);
    EXPECT_EQ(std::memcmp(&r3, &r3Before, sizeof r3), 0);

    const NotifyTarget dial{5, 1054}, hangUp{5, 1064}, find{5, 1034};
    ASSERT_EQ(KZV_Connect(&dial, &r, 0), KZV_OK);
    ASSERT_EQ(KZV_Disconnect(&hangUp, &r3, 0), KZV_OK);
    ASSERT_EQ(KZV_Find(&find, 4), KZV_OK);
    fake.threads.runPending();
    // One failure completion each; the search's is the one that ends a search.
    EXPECT_EQ(fake.poster.posts(),
              (std::vector<Post>{
                  {5, 1054, KZV_E_FAIL, 0}, {5, 1064, KZV_E_FAIL, 0}, {5, 1034, KZV_E_FAIL, -3}}));
    fake.network.throwOnOpen = false;
    RouterRecord out[4];
    int32_t count = -1;
    EXPECT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    EXPECT_EQ(count, 0);
    expectSlotsFree();
}
