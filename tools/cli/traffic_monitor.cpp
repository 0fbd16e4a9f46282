#include "traffic_monitor.h"

#include "record_format.h"
#include "traffic_sampler.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <thread>

namespace qscli {

namespace {
std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

std::string clockText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

// Sleeps until the deadline, waking early for SIGINT.
void sleepUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono_literals;
    while (!interrupted && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            50ms, deadline - std::chrono::steady_clock::now()));
}
} // namespace

int runMonitor(const MonitorOptions &o, RouterRecord &router, int32_t port) {
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGINT, &action, &previous);

    const auto interval = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(o.intervalSeconds));
    CounterSampler received, sent;
    long printed = 0;
    bool everRead = false;
    int status = 0;
    auto lastRead = std::chrono::steady_clock::now();
    auto next = lastRead;
    while (!interrupted && (o.count <= 0 || printed < o.count)) {
        ConditionExRecord ex{};
        const int32_t rc = KZV_GetConditionEx(&router, &ex, port);
        const auto now = std::chrono::steady_clock::now();
        if (rc < 0) {
            if (!everRead) {
                status = 1;
                if (o.json)
                    std::cout << "{\"ok\":false,\"step\":\"monitor\",\"code\":" << rc
                              << ",\"error\":\"" << resultName(rc) << "\"}\n";
                else
                    std::cerr << "monitor: " << resultName(rc) << " (" << rc << ")\n";
                break;
            }
            // A reading lost on the way: the next one covers the longer interval.
            if (o.json)
                std::cout << "{\"ok\":false,\"time\":\"" << clockText() << "\",\"code\":" << rc
                          << ",\"error\":\"" << resultName(rc) << "\"}\n";
            else
                std::cout << clockText() << "  no reading: " << resultName(rc) << '\n';
        } else {
            const TrafficStep r = received.next(ex.bytes_received);
            const TrafficStep s = sent.next(ex.bytes_sent);
            const double seconds = std::chrono::duration<double>(now - lastRead).count();
            lastRead = now;
            if (r.counted) {
                const bool reset = r.reset || s.reset;
                if (o.json) {
                    std::cout << "{\"ok\":true,\"time\":\"" << clockText()
                              << "\",\"seconds\":" << seconds << ",\"received\":" << r.bytes
                              << ",\"sent\":" << s.bytes
                              << ",\"reset\":" << (reset ? "true" : "false")
                              << ",\"received_total\":" << ex.bytes_received
                              << ",\"sent_total\":" << ex.bytes_sent << "}\n";
                } else {
                    const double per = seconds > 0 ? 1.0 / seconds : 0;
                    std::cout << clockText() << "  received " << humanBytes(double(r.bytes)) << "  "
                              << humanRate(r.bytes * per) << "   sent "
                              << humanBytes(double(s.bytes)) << "  " << humanRate(s.bytes * per)
                              << (reset ? "   (counter reset)" : "") << '\n';
                }
                ++printed;
            }
            everRead = true;
        }
        std::cout << std::flush;
        next = nextReading(next, interval, std::chrono::steady_clock::now());
        sleepUntil(next);
    }
    sigaction(SIGINT, &previous, nullptr);
    return status;
}

} // namespace qscli
