// The discovery list's hand-over: never while a search holds the discovery slot, and never lost
// to a search that could not start.
#include "quaystone/quaystone.h"

#include "fake_router.h"
#include "library_state.h"

#include <gtest/gtest.h>

#include <new>

using namespace qs;
using namespace qs::test;

namespace {

constexpr uint32_t kFirst = 0x0A4D0001;
constexpr uint32_t kSecond = 0x0A4D0002;
const NotifyTarget kTarget{0x1234, 1034};

struct DiscoveryListTest : ::testing::Test {
    FakeRouters routers;
    FakePlatform fake;
    void SetUp() override {
        fake.network.peer = routers.peer();
        routers.add(FakeRouter{.address = kFirst});
    }
    // A search that has run to its end, its list not fetched yet.
    void searchDone() {
        ASSERT_EQ(KZV_Find(&kTarget, 8), KZV_OK);
        fake.threads.runPending();
    }
    std::vector<uint32_t> fetch(int32_t &rc) {
        RouterRecord out[8];
        int32_t count = -1;
        rc = KZV_GetInformation(out, &count);
        std::vector<uint32_t> addresses;
        for (int32_t i = 0; rc == KZV_OK && i < count; ++i)
            addresses.push_back(out[i].address);
        return addresses;
    }
};

} // namespace

TEST_F(DiscoveryListTest, NotHandedOutWhileTheNextSearchStarts) {
    searchDone();
    routers.add(FakeRouter{.address = kSecond});
    // Another thread of the caller asks for the list at the moment the next search is being
    // started: that search owns the list now, and it is still empty.
    int32_t during = 0;
    std::vector<uint32_t> gotDuring;
    fake.threads.whileStarting = [&] { gotDuring = fetch(during); };
    ASSERT_EQ(KZV_Find(&kTarget, 8), KZV_OK);
    fake.threads.whileStarting = nullptr;
    EXPECT_EQ(during, KZV_E_SEARCHING);
    EXPECT_TRUE(gotDuring.empty());

    fake.threads.runPending();
    int32_t rc = 0;
    EXPECT_EQ(fetch(rc), (std::vector<uint32_t>{kFirst, kSecond}));
    EXPECT_EQ(rc, KZV_OK);
}

TEST_F(DiscoveryListTest, CheckAndTakeAreOneStepAgainstTheSlot) {
    // The state's own step: while the discovery slot is taken nothing is handed out and the
    // list stays; once it is free the list goes, once.
    LibraryState &state = libraryState();
    auto list = std::make_shared<DiscoveryList>();
    list->max = 1;
    ASSERT_TRUE(state.slots().take(kSlotDiscovery));
    state.replaceList(list);
    auto during = state.fetchList();
    EXPECT_EQ(during.code, KZV_E_SEARCHING);
    EXPECT_EQ(during.list, nullptr);
    state.slots().release(kSlotDiscovery);
    auto after = state.fetchList();
    EXPECT_EQ(after.code, KZV_OK);
    EXPECT_EQ(after.list, list);
    EXPECT_EQ(state.fetchList().code, KZV_E_NO_LIST);
}

TEST_F(DiscoveryListTest, ASearchThatCannotStartKeepsTheUnfetchedList) {
    searchDone();
    for (bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "thread creation throws" : "no thread");
        fake.threads.failCreate = !throws;
        fake.threads.throwOnCreate = throws;
        EXPECT_EQ(KZV_Find(&kTarget, 8), KZV_E_FAIL);
        fake.threads.failCreate = fake.threads.throwOnCreate = false;
        EXPECT_EQ(fake.poster.posts().size(), 1u); // the first search's completion only
    }
    int32_t rc = 0;
    EXPECT_EQ(fetch(rc), (std::vector<uint32_t>{kFirst}));
    EXPECT_EQ(rc, KZV_OK);
    // The slot went back: a search can start.
    EXPECT_EQ(KZV_Find(&kTarget, 8), KZV_OK);
}

TEST_F(DiscoveryListTest, ACleanupDuringAFailedStartIsNotUndone) {
    searchDone();
    // Another thread cleans up while the search is being started, and then the start fails:
    // the list the cleanup dropped must not come back.
    fake.threads.whileStarting = [] {
        KZV_Cleanup();
        throw std::bad_alloc();
    };
    EXPECT_EQ(KZV_Find(&kTarget, 8), KZV_E_FAIL);
    fake.threads.whileStarting = nullptr;
    int32_t rc = 0;
    fetch(rc);
    EXPECT_EQ(rc, KZV_E_NO_LIST);
}
