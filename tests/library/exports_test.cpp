// The entry points' contract as a caller sees it: versions, argument checks, capabilities,
// busy slots and the discovery list's life.
#include "quaystone/quaystone.h"

#include "fake_router.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qs::test;

namespace {

constexpr uint32_t kRouter = 0x0A4D000B;
const NotifyTarget kTarget{0x1234, 1054};

RouterRecord recordOf(uint32_t model, uint32_t address = kRouter) {
    RouterRecord r{};
    r.address = address;
    r.model_code = model;
    return r;
}

struct ExportsTest : ::testing::Test {
    FakeRouters routers; // outlives the platform, whose teardown may still run workers
    FakePlatform fake;
    void SetUp() override { fake.network.peer = routers.peer(); }
};

} // namespace

TEST(GetDllVersion, TableOfEntryPoints) {
    EXPECT_EQ(KZV_GetDllVersion(nullptr, nullptr), 66048);
    uintptr_t table = 0x5A5A;
    uint32_t count = 0x5A5A;
    EXPECT_EQ(KZV_GetDllVersion(&table, nullptr), 66048);
    EXPECT_EQ(KZV_GetDllVersion(nullptr, &count), 66048);
    EXPECT_EQ(table, 0x5A5Au); // nothing written when either pointer is null
    EXPECT_EQ(count, 0x5A5Au);

    ASSERT_EQ(KZV_GetDllVersion(&table, &count), 66048);
    EXPECT_EQ(count, 11u);
    const auto *slots = reinterpret_cast<const uintptr_t *>(table);
    const uintptr_t expected[] = {
        reinterpret_cast<uintptr_t>(&KZV_GetDllVersion),
        reinterpret_cast<uintptr_t>(&KZV_Find),
        reinterpret_cast<uintptr_t>(&KZV_GetInformation),
        reinterpret_cast<uintptr_t>(&KZV_Connect),
        reinterpret_cast<uintptr_t>(&KZV_Disconnect),
        reinterpret_cast<uintptr_t>(&KZV_GetCondition),
        reinterpret_cast<uintptr_t>(&KZV_ChangeSite),
        reinterpret_cast<uintptr_t>(&KZV_GetConditionEx),
        reinterpret_cast<uintptr_t>(&KZV_ClearCounter),
        reinterpret_cast<uintptr_t>(&KZV_Cleanup),
        reinterpret_cast<uintptr_t>(&KZV_SetPassword),
    };
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(slots[i], expected[i]) << i;
    for (int i = 11; i < 50; ++i)
        EXPECT_EQ(slots[i], 0u) << i;
}

TEST_F(ExportsTest, NullPointersAreRefusedFirst) {
    RouterRecord r = recordOf(0x10000); // class 0: would be -100 if the pointer check came later
    ConditionExRecord ex{};
    RouterCredentials cred{};
    int32_t count = 0;
    EXPECT_EQ(KZV_Find(nullptr, 1), KZV_E_PARAM);
    EXPECT_EQ(KZV_GetInformation(nullptr, &count), KZV_E_PARAM);
    EXPECT_EQ(KZV_GetInformation(&r, nullptr), KZV_E_PARAM);
    EXPECT_EQ(KZV_Connect(nullptr, &r, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_Connect(&kTarget, nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_Disconnect(nullptr, &r, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_GetCondition(nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_ChangeSite(nullptr, 0, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_GetConditionEx(nullptr, &ex, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_GetConditionEx(&r, nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_ClearCounter(nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_SetPassword(nullptr, &cred), KZV_E_PARAM);
    EXPECT_EQ(KZV_SetPassword(&r, nullptr), KZV_E_PARAM);
}

TEST_F(ExportsTest, PortsOtherThanZeroAndOneAreRefused) {
    RouterRecord r = recordOf(0x23090);
    ConditionExRecord ex{};
    for (int32_t port : {-1, 2, 4, 65536}) {
        SCOPED_TRACE(port);
        EXPECT_EQ(KZV_Connect(&kTarget, &r, port), KZV_E_PARAM);
        EXPECT_EQ(KZV_Disconnect(&kTarget, &r, port), KZV_E_PARAM);
        EXPECT_EQ(KZV_GetCondition(&r, port), KZV_E_PARAM);
        EXPECT_EQ(KZV_ChangeSite(&r, port, 0), KZV_E_PARAM);
        EXPECT_EQ(KZV_GetConditionEx(&r, &ex, port), KZV_E_PARAM);
        EXPECT_EQ(KZV_ClearCounter(&r, port), KZV_E_PARAM);
    }
    EXPECT_TRUE(fake.network.sent().empty());
    EXPECT_EQ(fake.threads.pending(), 0u);
}

TEST_F(ExportsTest, CapabilityByModel) {
    ConditionExRecord ex{};
    RouterCredentials cred{};
    struct Case {
        uint32_t model;
        bool connect, changeSite, conditionEx, clear, password;
    } cases[] = {
        {0x00000000, false, false, false, false, false},
        {0x01020000, false, false, false, false, false},
        {0x00021000, true, false, false, false, false},
        {0x0002203F, true, false, false, false, false},
        {0x00022040, true, true, false, false, false},
        {0x0002308F, true, true, false, false, false},
        {0x00023090, true, true, true, true, false},
        {0x0002FFFF, true, true, true, true, false},
        {0x003013FF, false, false, false, false, false},
        {0x00301400, true, true, true, true, true},
        {0x00309999, true, true, true, true, true},
        {0x0030999A, false, false, false, false, false},
    };
    auto supported = [](int32_t rc) { return rc != KZV_E_UNSUPPORTED; };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.model);
        RouterRecord r = recordOf(c.model);
        EXPECT_EQ(supported(KZV_Connect(&kTarget, &r, 0)), c.connect);
        EXPECT_EQ(supported(KZV_Disconnect(&kTarget, &r, 0)), c.connect);
        EXPECT_EQ(supported(KZV_GetCondition(&r, 0)), c.connect);
        EXPECT_EQ(supported(KZV_ChangeSite(&r, 0, 0)), c.changeSite);
        EXPECT_EQ(supported(KZV_GetConditionEx(&r, &ex, 0)), c.conditionEx);
        EXPECT_EQ(supported(KZV_ClearCounter(&r, 0)), c.clear);
        EXPECT_EQ(supported(KZV_SetPassword(&r, &cred)), c.password);
        fake.threads.runPending(); // let started sequences finish and free their slots
    }
}

TEST_F(ExportsTest, FindValidatesMaxAndHoldsItsSlot) {
    EXPECT_EQ(KZV_Find(&kTarget, 0), KZV_E_PARAM);
    EXPECT_EQ(KZV_Find(&kTarget, 65), KZV_E_PARAM);
    EXPECT_EQ(KZV_Find(&kTarget, -1), KZV_E_PARAM);
    routers.add(FakeRouter{.address = kRouter});

    ASSERT_EQ(KZV_Find(&kTarget, 64), KZV_OK);
    EXPECT_EQ(KZV_Find(&kTarget, 1), KZV_E_BUSY);
    RouterRecord out[64];
    int32_t count = -1;
    EXPECT_EQ(KZV_GetInformation(out, &count), KZV_E_SEARCHING);
    EXPECT_EQ(count, -1);

    fake.threads.runPending();
    EXPECT_EQ(fake.poster.posts(), (std::vector<Post>{{0x1234, 1054, 0, 0}}));
    ASSERT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(out[0].address, kRouter);
    EXPECT_EQ(KZV_GetInformation(out, &count), KZV_E_NO_LIST);
}

TEST_F(ExportsTest, AnUnfetchedListIsReplacedOrDroppedByCleanup) {
    routers.add(FakeRouter{.address = kRouter});
    ASSERT_EQ(KZV_Find(&kTarget, 4), KZV_OK);
    fake.threads.runPending();
    routers.at(kRouter).silent = true;
    ASSERT_EQ(KZV_Find(&kTarget, 4), KZV_OK); // discards the first, unfetched list
    fake.threads.runPending();
    RouterRecord out[4];
    int32_t count = -1;
    ASSERT_EQ(KZV_GetInformation(out, &count), KZV_OK);
    EXPECT_EQ(count, 0);

    ASSERT_EQ(KZV_Find(&kTarget, 4), KZV_OK);
    fake.threads.runPending();
    EXPECT_EQ(KZV_Cleanup(), KZV_OK);
    EXPECT_EQ(KZV_GetInformation(out, &count), KZV_E_NO_LIST);
}

TEST_F(ExportsTest, SecondConnectIsBusyButDisconnectMayRunBesideIt) {
    routers.add(FakeRouter{.address = kRouter});
    RouterRecord r = recordOf(0x21000);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_OK);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 1), KZV_E_BUSY);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_OK);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_E_BUSY);
    fake.threads.runPending();
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_OK);
}

TEST_F(ExportsTest, ThreadCreationFailureReleasesTheSlot) {
    RouterRecord r = recordOf(0x23090);
    fake.threads.failCreate = true;
    EXPECT_EQ(KZV_Find(&kTarget, 1), KZV_E_FAIL);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
    fake.threads.failCreate = false;
    EXPECT_EQ(KZV_Find(&kTarget, 1), KZV_OK);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_OK);
    EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_OK);
    EXPECT_TRUE(fake.poster.posts().empty());
}

TEST_F(ExportsTest, CleanupTwiceAndLazyInitialisation) {
    RouterRecord r = recordOf(0x23090);
    EXPECT_EQ(KZV_Cleanup(), KZV_OK);
    EXPECT_EQ(KZV_Cleanup(), KZV_OK);
    const int before = fake.network.startups.load();
    KZV_GetCondition(&r, 0);
    KZV_GetCondition(&r, 0);
    EXPECT_EQ(fake.network.startups.load(), before + 1);
    EXPECT_EQ(KZV_Cleanup(), KZV_OK);
    EXPECT_EQ(fake.network.cleanups.load(), 1);
    KZV_GetCondition(&r, 0);
    EXPECT_EQ(fake.network.startups.load(), before + 2);
}

TEST_F(ExportsTest, WithoutASocketLayerRequestsFailUpFront) {
    fake.network.startupSucceeds = false;
    RouterRecord r = recordOf(0x23090);
    EXPECT_EQ(KZV_Find(&kTarget, 1), KZV_E_FAIL);
    EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_E_FAIL);
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_FAIL);
    EXPECT_EQ(fake.threads.pending(), 0u);
}

TEST_F(ExportsTest, ConditionOnPortOneWritesOnlyItsPortCondition) {
    for (uint32_t model : {0x21000u, 0x23090u}) {
        SCOPED_TRACE(model);
        auto &router = routers.add(FakeRouter{.address = kRouter, .model = model});
        router.states = {LINE_CONNECTED};
        RouterRecord r;
        std::memset(&r, 0xCC, sizeof r);
        r.address = kRouter;
        r.model_code = model;
        r.user_length = r.password_length = 0;
        RouterRecord before = r;
        EXPECT_EQ(KZV_GetCondition(&r, 1), LINE_CONNECTED);
        const auto *a = reinterpret_cast<const uint8_t *>(&before);
        const auto *b = reinterpret_cast<const uint8_t *>(&r);
        for (size_t i = 0; i < 512; ++i) {
            // The port condition's words at 2 and 10 keep the caller's value.
            bool inPort1 = i >= 236 && i < 416 && !(i >= 238 && i < 240) && !(i >= 246 && i < 248);
            if (!inPort1) {
                ASSERT_EQ(a[i], b[i]) << i;
            }
        }
        EXPECT_EQ(r.ports[1].line_state, LINE_CONNECTED);
    }
}

TEST_F(ExportsTest, ConnectedVariantIsFiveForPlainAndTwentyOneForExtended) {
    routers.add(FakeRouter{.address = kRouter, .states = {LINE_CONNECTED_EX}});
    RouterRecord r = recordOf(0x23090);
    ConditionExRecord ex{};
    EXPECT_EQ(KZV_GetCondition(&r, 0), LINE_CONNECTED);
    EXPECT_EQ(r.ports[0].line_state, LINE_CONNECTED);
    EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), LINE_CONNECTED_EX);
    EXPECT_EQ(ex.line_state, LINE_CONNECTED_EX);
}

TEST_F(ExportsTest, FailedConditionLeavesTheRecordAlone) {
    routers.add(FakeRouter{.address = kRouter, .silent = true});
    RouterRecord r;
    std::memset(&r, 0xCC, sizeof r);
    r.address = kRouter;
    r.model_code = 0x23090;
    r.user_length = r.password_length = 0;
    RouterRecord before = r;
    EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_NO_ANSWER);
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0);
}

TEST_F(ExportsTest, ChangeSiteAndClearCounter) {
    auto &router = routers.add(FakeRouter{.address = kRouter, .siteWord = 0xBEEF});
    RouterRecord r = recordOf(0x23090);
    EXPECT_EQ(KZV_ChangeSite(&r, 1, 2), 0xBEEF);
    auto sent = fake.network.sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(be16(sent.back().bytes, 4), 0x016F);
    EXPECT_EQ(be16(sent.back().bytes, 16), 2);

    EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_OK);
    EXPECT_EQ(be16(fake.network.sent().back().bytes, 20), 1);
    router.silent = true;
    EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_E_NO_ANSWER);
    EXPECT_EQ(KZV_ChangeSite(&r, 0, 0), KZV_E_NO_ANSWER);
}

TEST_F(ExportsTest, RecordsWithOversizedCredentialsAreRefused) {
    ConditionExRecord ex{};
    for (uint32_t model : {0x23090u, 0x00301400u}) {
        for (bool user : {true, false}) {
            RouterRecord r = recordOf(model);
            (user ? r.user_length : r.password_length) = 21;
            EXPECT_EQ(KZV_Connect(&kTarget, &r, 0), KZV_E_PARAM);
            EXPECT_EQ(KZV_Disconnect(&kTarget, &r, 0), KZV_E_PARAM);
            EXPECT_EQ(KZV_GetCondition(&r, 0), KZV_E_PARAM);
            EXPECT_EQ(KZV_ChangeSite(&r, 0, 0), KZV_E_PARAM);
            EXPECT_EQ(KZV_GetConditionEx(&r, &ex, 0), KZV_E_PARAM);
            EXPECT_EQ(KZV_ClearCounter(&r, 0), KZV_E_PARAM);
            RouterCredentials cred{};
            EXPECT_EQ(KZV_SetPassword(&r, &cred),
                      model == 0x23090u ? KZV_E_UNSUPPORTED : KZV_E_PARAM);
        }
    }
    EXPECT_EQ(fake.threads.pending(), 0u);
    EXPECT_TRUE(fake.network.sent().empty());
}

TEST_F(ExportsTest, SetPasswordRefusesOversizedCredentials) {
    RouterRecord r = recordOf(0x00301400);
    RouterCredentials cred{};
    cred.user_length = 21;
    EXPECT_EQ(KZV_SetPassword(&r, &cred), KZV_E_PARAM);
    cred.user_length = 20;
    cred.password_length = 0xFFFFFFFF;
    EXPECT_EQ(KZV_SetPassword(&r, &cred), KZV_E_PARAM);
}
