// Many callers at once on real threads: requests overlap, busy slots serialise only their own
// kind, cleanup may run in the middle, and every accepted asynchronous request posts once.
#include "quaystone/quaystone.h"

#include "fake_platform.h"
#include "reply_builder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace qs;
using namespace qs::test;

namespace {

std::vector<Datagram> connectedRouter(uint32_t to, const std::vector<uint8_t> &d) {
    if (to == 0xFFFFFFFF) return {{0x0A4D0001, searchReply(0x0A4D0001, 0xFFFFFF00, "r")}};
    switch (be16(d, 4) & 0xFE) {
    case 4:
        return {{to, informationReply(0x23090, 1)}};
    case 100:
        return {{to, statusLong(LINE_CONNECTED)}};
    case 104:
    case 106:
        return {{to, commandReply(LINE_BUSY)}};
    case 110:
        return {{to, changeSiteReply(0)}};
    }
    return {};
}

} // namespace

TEST(Concurrency, OverlappingRequestsFromManyThreads) {
    // Never destroyed: a detached worker may still be returning from its post when the test ends.
    static FakeClock clock;
    static FakeNetwork network{clock};
    static RecordingPoster poster;
    network.peer = connectedRouter;
    Platform real = systemPlatform();
    KZV_Cleanup();
    setPlatform(Platform{&clock, &network, real.threads, &poster});

    std::atomic<int> accepted{0};
    std::atomic<int> unexpected{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 12; ++t) {
        callers.emplace_back([&, t] {
            RouterRecord r{};
            r.address = 0x0A4D0001;
            r.model_code = 0x23090;
            ConditionExRecord ex{};
            NotifyTarget target{static_cast<uint32_t>(t + 1), 1054};
            for (int i = 0; i < 100; ++i) {
                if (KZV_GetCondition(&r, i & 1) != LINE_CONNECTED) ++unexpected;
                if (KZV_GetConditionEx(&r, &ex, 0) != LINE_CONNECTED) ++unexpected;
                if (KZV_ChangeSite(&r, 0, 1) != 0) ++unexpected;
                if (KZV_ClearCounter(&r, 1) != 0) ++unexpected;
                for (int32_t rc : {KZV_Connect(&target, &r, 0), KZV_Disconnect(&target, &r, 1),
                                   KZV_Find(&target, 4)}) {
                    if (rc == KZV_OK)
                        ++accepted;
                    else if (rc != KZV_E_BUSY)
                        ++unexpected;
                }
                RouterRecord out[4];
                int32_t count = 0;
                int32_t rc = KZV_GetInformation(out, &count);
                if (rc != KZV_OK && rc != KZV_E_SEARCHING && rc != KZV_E_NO_LIST) ++unexpected;
                if (t == 0 && i % 10 == 0) KZV_Cleanup();
            }
        });
    }
    for (auto &c : callers)
        c.join();

    // Detached workers finish on their own; each accepted request posts exactly once.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (poster.posts().size() < static_cast<size_t>(accepted.load()) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_EQ(poster.posts().size(), static_cast<size_t>(accepted.load()));
    for (const auto &p : poster.posts()) {
        const bool ok = (p.wparam == -106 && p.lparam == 5) || // connect on a connected line
                        (p.wparam == -107 && p.lparam == 5) || // hang-up never sees it drop
                        (p.wparam == 0 && p.lparam == 0);      // discovery
        EXPECT_TRUE(ok) << p.wparam << "," << p.lparam;
    }
    KZV_Cleanup();
    setPlatform(systemPlatform());
}

TEST(Concurrency, AListIsNeverHandedOutWhileItsSearchRuns) {
    // Every search finds the one router, so a list handed out with nothing in it can only be one
    // whose search was still running when it was taken.
    static FakeClock clock;
    static FakeNetwork network{clock};
    static RecordingPoster poster;
    network.peer = connectedRouter;
    Platform real = systemPlatform();
    KZV_Cleanup();
    setPlatform(Platform{&clock, &network, real.threads, &poster});

    std::atomic<bool> stop{false};
    std::atomic<int> started{0};
    std::thread searcher([&] {
        const NotifyTarget target{1, 1034};
        while (!stop)
            if (KZV_Find(&target, 4) == KZV_OK) ++started;
    });
    int fetched = 0, empty = 0;
    // The deadline only bounds a run that goes wrong; the loop ends on its count.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (fetched < 100 && std::chrono::steady_clock::now() < until) {
        RouterRecord out[4];
        int32_t count = -1;
        if (KZV_GetInformation(out, &count) != KZV_OK) continue;
        ++fetched;
        if (count == 0) ++empty;
    }
    stop = true;
    searcher.join();
    EXPECT_EQ(empty, 0) << "of " << fetched << " lists fetched";
    EXPECT_GT(fetched, 0);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (poster.posts().size() < static_cast<size_t>(started.load()) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    KZV_Cleanup();
    setPlatform(systemPlatform());
}
