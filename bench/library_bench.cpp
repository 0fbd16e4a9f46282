// Figures for the library against emulated routers in the lab: discovery time, condition
// round trips and many synchronous callers at once. It prints; it never judges.
#include "quaystone/quaystone.h"
#include "winmsg/winmsg.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    int32_t wparam = 0;
    static void receive(void *ctx, uint32_t, uint32_t, int32_t w, int32_t) {
        auto *self = static_cast<Waiter *>(ctx);
        {
            std::lock_guard lock(self->mutex);
            self->done = true;
            self->wparam = w;
        }
        self->cv.notify_all();
    }
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

std::vector<RouterRecord> discover(double &seconds) {
    Waiter w;
    uint32_t window = winmsg_register(&Waiter::receive, &w);
    NotifyTarget target{window, 1034};
    auto start = Clock::now();
    if (KZV_Find(&target, KZV_MAX_ROUTERS) != KZV_OK) std::exit(1);
    {
        std::unique_lock lock(w.mutex);
        w.cv.wait(lock, [&] { return w.done; });
    }
    seconds = ms(Clock::now() - start) / 1000.0;
    winmsg_unregister(window);
    std::vector<RouterRecord> records(KZV_MAX_ROUTERS);
    int32_t count = 0;
    KZV_GetInformation(records.data(), &count);
    records.resize(static_cast<size_t>(count));
    return records;
}

} // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;

    std::vector<double> times;
    std::vector<RouterRecord> routers;
    for (int i = 0; i < rounds; ++i) {
        double s = 0;
        routers = discover(s);
        times.push_back(s);
    }
    std::printf("discovery: %zu routers, median %.3f s, best %.3f s over %d rounds "
                "(floor 2.0 s: one silent second per router family; goal <= 2.2 s)\n",
                routers.size(), percentile(times, 0.5),
                *std::min_element(times.begin(), times.end()), rounds);
    if (routers.empty()) {
        std::printf("no routers answered: nothing more to measure\n");
        return 1;
    }

    RouterRecord r = routers.front();
    std::vector<double> trips;
    for (int i = 0; i < 2000; ++i) {
        auto start = Clock::now();
        int32_t rc = KZV_GetCondition(&r, 0);
        trips.push_back(ms(Clock::now() - start));
        if (rc < 0) std::printf("condition failed: %d\n", rc);
    }
    std::printf("KZV_GetCondition round trip: p50 %.3f ms, p99 %.3f ms over %zu calls "
                "(goals p50 <= 1 ms, p99 <= 5 ms)\n",
                percentile(trips, 0.5), percentile(trips, 0.99), trips.size());

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    auto start = Clock::now();
    for (int t = 0; t < 64; ++t)
        threads.emplace_back([&, t] {
            RouterRecord mine = routers[static_cast<size_t>(t) % routers.size()];
            for (int i = 0; i < 100; ++i)
                if (KZV_GetCondition(&mine, i & 1) < 0) ++failures;
        });
    for (auto &th : threads)
        th.join();
    std::printf("64 threads x 100 synchronous calls: %d failures in %.0f ms (goal 0 failures)\n",
                failures.load(), ms(Clock::now() - start));
    KZV_Cleanup();
    return 0;
}
