// Every allocation the library makes may fail. This program's operator new lets the n-th
// allocation on the test's thread throw std::bad_alloc, and the same calls run once for every n: no
// exception may reach the caller, a busy slot may never stay taken, and an asynchronous request
// posts at most once.
#include "quaystone/quaystone.h"

#include "failing_allocator.h"
#include "fake_class3_router.h"
#include "fake_router.h"

#include <gtest/gtest.h>

using namespace qs::test;

namespace {

constexpr uint32_t kTwo = 0x0A4D0002;
constexpr uint32_t kThree = 0x0A4D0031;

struct Results {
    int32_t find = 0, information = 0, count = 0, connect = 0, condition = 0, conditionEx = 0,
            site = 0, clear = 0, condition3 = 0, password = 0, disconnect3 = 0;
};

// The calls under test. Nothing here may allocate outside the library's own work (no test
// assertions), since any allocation may be the one that fails.
Results calls(ManualThreads &threads) {
    Results r;
    RouterRecord two{};
    two.address = kTwo;
    two.model_code = 0x23090;
    RouterRecord three{};
    three.address = kThree;
    three.model_code = 0x00301400;
    three.key_id = 1;
    three.scramble_seed = 0x2C35;
    RouterCredentials cred{};
    ConditionExRecord ex{};
    const NotifyTarget find{1, 1034}, dial{1, 1054}, hangUp{1, 1064};

    r.find = KZV_Find(&find, 8);
    threads.runPending();
    RouterRecord out[8];
    r.information = KZV_GetInformation(out, &r.count);
    r.connect = KZV_Connect(&dial, &two, 0);
    r.disconnect3 = KZV_Disconnect(&hangUp, &three, 0);
    threads.runPending();
    r.condition = KZV_GetCondition(&two, 0);
    r.conditionEx = KZV_GetConditionEx(&two, &ex, 1);
    r.site = KZV_ChangeSite(&two, 0, 1);
    r.clear = KZV_ClearCounter(&two, 0);
    r.condition3 = KZV_GetCondition(&three, 0);
    r.password = KZV_SetPassword(&three, &cred);
    KZV_Cleanup();
    return r;
}

} // namespace

TEST(AllocationFailure, NoExceptionEscapesAndNoSlotStaysTaken) {
    long n = 0;
    for (; n < 20000; ++n) {
        SCOPED_TRACE(testing::Message() << "allocation " << n << " fails");
        FakeRouters class2;
        class2.add(FakeRouter{.address = kTwo, .states = {LINE_CONNECTED}});
        FakePlatform fake;
        FakeClass3Network class3(fake.clock);
        class3.add(FakeClass3Router{.address = kThree, .bits = {0x08}, .bitsAfterCommand = {0x01}});
        fake.network.peer = class2.peer();
        fake.network.tftpPeer = class3.peer();

        Results r;
        failAllocationAfter(n);
        try {
            r = calls(fake.threads);
        } catch (...) {
            failAllocationAfter(-1);
            ADD_FAILURE() << "an exception reached the caller";
            break;
        }
        const bool failed = allocationFailed();
        failAllocationAfter(-1);

        // A call either did its work or failed with -1.
        EXPECT_TRUE(r.find == KZV_OK || r.find == KZV_E_FAIL);
        EXPECT_TRUE(r.connect == KZV_OK || r.connect == KZV_E_FAIL);
        EXPECT_TRUE(r.disconnect3 == KZV_OK || r.disconnect3 == KZV_E_FAIL);
        EXPECT_TRUE(r.condition == LINE_CONNECTED || r.condition == KZV_E_FAIL) << r.condition;
        EXPECT_TRUE(r.conditionEx == LINE_CONNECTED || r.conditionEx == KZV_E_FAIL);
        EXPECT_TRUE(r.site == 0 || r.site == KZV_E_FAIL);
        EXPECT_TRUE(r.clear == 0 || r.clear == KZV_E_FAIL);
        // Idle once the hang-up went through, else still connected.
        EXPECT_TRUE(r.condition3 == LINE_IDLE || r.condition3 == LINE_CONNECTED ||
                    r.condition3 == KZV_E_FAIL)
            << r.condition3;
        EXPECT_TRUE(r.password == KZV_OK || r.password == KZV_E_FAIL) << r.password;
        const size_t accepted =
            (r.find == KZV_OK) + (r.connect == KZV_OK) + (r.disconnect3 == KZV_OK);
        // A completion may be lost only when posting it was what failed.
        EXPECT_LE(fake.poster.posts().size(), accepted);

        // Every busy slot is free again.
        RouterRecord two{};
        two.address = kTwo;
        two.model_code = 0x23090;
        const NotifyTarget t{2, 1};
        EXPECT_EQ(KZV_Find(&t, 1), KZV_OK);
        EXPECT_EQ(KZV_Connect(&t, &two, 0), KZV_OK);
        EXPECT_EQ(KZV_Disconnect(&t, &two, 0), KZV_OK);
        fake.threads.runPending();
        if (HasFailure() || !failed) break;
    }
    EXPECT_FALSE(allocationFailed()) << "the calls never ran to their end";
    // The sweep reached every allocation of the calls.
    EXPECT_GT(n, 100);
}
