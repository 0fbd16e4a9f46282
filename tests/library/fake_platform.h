// Test doubles for the library's OS layer: a clock that only moves when told, a scripted
// network, thread runners that run inline or on demand, and a poster that records.
#pragma once

#include "os/platform.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace qs::test {

class FakeClock final : public Clock {
  public:
    int64_t nowMs() override { return now_.load(); }
    void sleepMs(int ms) override { now_ += ms; }
    LocalTime localTime() override { return local; }
    // The test machine's time zone must not matter: local time is UTC here.
    LocalTime localTimeOf(int64_t unixSeconds) override {
        const int64_t d = (unixSeconds % 86400 + 86400) % 86400;
        return LocalTime{int(d / 3600), int(d / 60 % 60), int(d % 60)};
    }
    void advance(int64_t ms) { now_ += ms; }

    LocalTime local{23, 4, 5};

  private:
    std::atomic<int64_t> now_{1'000'000};
};

struct Datagram {
    uint32_t from = 0;
    std::vector<uint8_t> bytes;
    size_t realLength = 0; // 0: bytes.size()
    uint16_t fromPort = 4449;
};

struct SentDatagram {
    int64_t atMs = 0;
    uint32_t to = 0;
    uint16_t port = 0;
    std::vector<uint8_t> bytes;
    bool broadcastSocket = false;
};

// Answers each datagram the library sends. The peer sees where it was sent and returns the
// datagrams that arrive in response (possibly none).
using Peer = std::function<std::vector<Datagram>(uint32_t to, const std::vector<uint8_t> &)>;

class FakeNetwork final : public Network {
  public:
    explicit FakeNetwork(FakeClock &clock) : clock_(clock) {}

    bool startup() override {
        ++startups;
        return startupSucceeds;
    }
    // Stopping the layer under open sockets is what Windows answers by closing them all, and
    // the handles may then be given to new sockets while the old owners still use them.
    void cleanup() override {
        ++cleanups;
        if (openSockets > 0) ++cleanupsUnderOpenSockets;
    }
    std::unique_ptr<UdpSocket> openUdp(bool broadcast) override;

    std::vector<SentDatagram> sent() {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    void clearSent() {
        std::lock_guard lock(mutex_);
        sent_.clear();
    }

    Peer peer;     // answers datagrams to class 2 routers (port 4449)
    Peer tftpPeer; // answers datagrams to class 3 routers (port 69 and their transfer ports)
    bool startupSucceeds = true;
    bool failOpen = false;
    bool throwOnOpen = false; // openUdp throws std::bad_alloc
    bool failSend = false;
    bool failWait = false;
    bool failReceive = false;
    std::atomic<int> startups{0};
    std::atomic<int> cleanups{0};
    std::atomic<int> openSockets{0};
    std::atomic<int> cleanupsUnderOpenSockets{0};

  private:
    friend class FakeSocket;
    FakeClock &clock_;
    std::mutex mutex_;
    std::vector<SentDatagram> sent_;
};

class FakeSocket final : public UdpSocket {
  public:
    FakeSocket(FakeNetwork &net, bool broadcast) : net_(net), broadcast_(broadcast) {
        ++net_.openSockets;
    }
    ~FakeSocket() override { --net_.openSockets; }
    FakeSocket(const FakeSocket &) = delete;
    FakeSocket &operator=(const FakeSocket &) = delete;
    bool sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t length) override;
    int waitReadable(int timeoutMs) override;
    bool receive(uint8_t *buffer, size_t capacity, Received &info) override;

  private:
    FakeNetwork &net_;
    bool broadcast_;
    std::deque<Datagram> inbox_;
};

// Runs detached work only when asked, so a test can look at the library while a request is
// still "running"; waited-for work runs at once.
class ManualThreads final : public Threads {
  public:
    bool startDetached(std::function<void()> body) override;
    bool runAndWait(std::function<void()> body) override;
    // Runs every pending detached body. Returns how many ran.
    int runPending();
    size_t pending() const { return pending_.size(); }

    bool failCreate = false;
    bool throwOnCreate = false; // thread creation throws std::bad_alloc
    // Runs while a detached thread is being made, before it is handed over: the moment another
    // thread of the caller may come in.
    std::function<void()> whileStarting;

  private:
    std::deque<std::function<void()>> pending_;
};

struct Post {
    uint32_t window = 0;
    uint32_t message = 0;
    int32_t wparam = 0;
    int32_t lparam = 0;
    bool operator==(const Post &) const = default;
};

class RecordingPoster final : public Poster {
  public:
    void post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam) override {
        std::lock_guard lock(mutex_);
        posts_.push_back(Post{window, message, wparam, lparam});
    }
    std::vector<Post> posts() {
        std::lock_guard lock(mutex_);
        return posts_;
    }

  private:
    std::mutex mutex_;
    std::vector<Post> posts_;
};

// Installs the fakes as the library's platform for one test and restores the real one after.
struct FakePlatform {
    FakeClock clock;
    FakeNetwork network{clock};
    ManualThreads threads;
    RecordingPoster poster;

    FakePlatform();
    ~FakePlatform();
};

} // namespace qs::test
