#include "winmsg/winmsg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

struct Inbox {
    std::mutex mutex;
    std::vector<std::array<int64_t, 4>> messages;
    std::thread::id lastThread;

    static void receive(void *ctx, uint32_t window, uint32_t message, int32_t w, int32_t l) {
        auto *self = static_cast<Inbox *>(ctx);
        std::lock_guard lock(self->mutex);
        self->messages.push_back({window, message, w, l});
        self->lastThread = std::this_thread::get_id();
    }
};

} // namespace

TEST(WinMsg, RegisterPostUnregister) {
    EXPECT_EQ(winmsg_register(nullptr, nullptr), 0u);
    Inbox a, b;
    uint32_t wa = winmsg_register(&Inbox::receive, &a);
    uint32_t wb = winmsg_register(&Inbox::receive, &b);
    ASSERT_NE(wa, 0u);
    ASSERT_NE(wb, 0u);
    ASSERT_NE(wa, wb);

    EXPECT_EQ(winmsg_post(wa, 1054, -106, 5), 1);
    EXPECT_EQ(winmsg_post(wb, 1064, 0, 3), 1);
    ASSERT_EQ(a.messages.size(), 1u);
    EXPECT_EQ(a.messages[0], (std::array<int64_t, 4>{wa, 1054, -106, 5}));
    EXPECT_EQ(a.lastThread, std::this_thread::get_id()); // runs on the posting thread
    EXPECT_EQ(b.messages[0], (std::array<int64_t, 4>{wb, 1064, 0, 3}));

    winmsg_unregister(wa);
    EXPECT_EQ(winmsg_post(wa, 1, 2, 3), 0);
    EXPECT_EQ(a.messages.size(), 1u);
    winmsg_unregister(wa); // unknown handles are ignored
    EXPECT_EQ(winmsg_post(0, 1, 2, 3), 0);
    EXPECT_EQ(winmsg_post(0xFFFFFFFF, 1, 2, 3), 0);
    winmsg_unregister(wb);
}

TEST(WinMsg, UnregisterWaitsForARunningReceiver) {
    struct Slow {
        std::atomic<bool> entered{false};
        std::atomic<bool> release{false};
        std::atomic<bool> finished{false};
        static void receive(void *ctx, uint32_t, uint32_t, int32_t, int32_t) {
            auto *s = static_cast<Slow *>(ctx);
            s->entered = true;
            while (!s->release)
                std::this_thread::yield();
            s->finished = true;
        }
    } slow;
    uint32_t w = winmsg_register(&Slow::receive, &slow);
    std::thread poster([&] { winmsg_post(w, 1, 0, 0); });
    while (!slow.entered)
        std::this_thread::yield();

    std::atomic<bool> unregistered{false};
    std::thread remover([&] {
        winmsg_unregister(w);
        unregistered = true;
        // Once unregister returns the receiver must be done with its context.
        EXPECT_TRUE(slow.finished.load());
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(unregistered.load());
    EXPECT_EQ(winmsg_post(w, 1, 0, 0), 0); // no new call starts once removal began
    slow.release = true;
    remover.join();
    poster.join();
    EXPECT_TRUE(unregistered.load());
}

TEST(WinMsg, ReceiverMayUnregisterItself) {
    struct Self {
        uint32_t window = 0;
        int calls = 0;
        static void receive(void *ctx, uint32_t, uint32_t, int32_t, int32_t) {
            auto *s = static_cast<Self *>(ctx);
            ++s->calls;
            winmsg_unregister(s->window);
        }
    } self;
    self.window = winmsg_register(&Self::receive, &self);
    EXPECT_EQ(winmsg_post(self.window, 1, 0, 0), 1);
    EXPECT_EQ(winmsg_post(self.window, 1, 0, 0), 0);
    EXPECT_EQ(self.calls, 1);
}

TEST(WinMsg, ConcurrentPostsAndChurn) {
    struct Counter {
        std::atomic<int> n{0};
        static void receive(void *ctx, uint32_t, uint32_t, int32_t, int32_t) {
            static_cast<Counter *>(ctx)->n++;
        }
    } stable;
    uint32_t w = winmsg_register(&Counter::receive, &stable);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i)
                ASSERT_EQ(winmsg_post(w, 1, i, 0), 1);
        });
    threads.emplace_back([&] {
        std::set<uint32_t> seen;
        while (!stop) {
            Counter c;
            uint32_t tmp = winmsg_register(&Counter::receive, &c);
            EXPECT_TRUE(seen.insert(tmp).second);
            winmsg_post(tmp, 2, 0, 0);
            winmsg_unregister(tmp);
        }
    });
    for (int t = 0; t < 4; ++t)
        threads[t].join();
    stop = true;
    threads.back().join();
    EXPECT_EQ(stable.n.load(), 8000);
    winmsg_unregister(w);
}
