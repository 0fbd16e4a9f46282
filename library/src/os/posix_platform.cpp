// POSIX implementation of the OS layer: BSD sockets with poll, std::thread, winmsg for posting.
#include "os/platform.h"

#include "winmsg/winmsg.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qs {

namespace {

class SystemClock final : public Clock {
  public:
    int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    LocalTime localTime() override {
        std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return LocalTime{tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
};

class PosixUdpSocket final : public UdpSocket {
  public:
    explicit PosixUdpSocket(int fd) : fd_(fd) {}
    ~PosixUdpSocket() override { ::close(fd_); }

    bool sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t length) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address);
        ssize_t n = ::sendto(fd_, data, length, 0, reinterpret_cast<sockaddr *>(&to), sizeof to);
        return n == static_cast<ssize_t>(length);
    }

    int waitReadable(int timeoutMs) override {
        pollfd p{fd_, POLLIN, 0};
        for (;;) {
            int r = ::poll(&p, 1, timeoutMs);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) return -1;
            return r > 0 ? 1 : 0;
        }
    }

    bool receive(uint8_t *buffer, size_t capacity, Received &info) override {
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n;
        do {
            // MSG_TRUNC makes the kernel report the datagram's real length, so an oversized
            // datagram is recognised instead of being mistaken for a shorter valid one.
            n = ::recvfrom(fd_, buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr *>(&from),
                           &fromLen);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return false;
        info.length = static_cast<size_t>(n);
        info.truncated = info.length > capacity;
        info.fromAddress = ntohl(from.sin_addr.s_addr);
        info.fromPort = ntohs(from.sin_port);
        return true;
    }

  private:
    int fd_;
};

class PosixNetwork final : public Network {
  public:
    bool startup() override { return true; }
    void cleanup() override {}
    std::unique_ptr<UdpSocket> openUdp(bool broadcast) override {
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return nullptr;
        auto sock = std::make_unique<PosixUdpSocket>(fd);
        if (broadcast) {
            int on = 1;
            if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) return nullptr;
        }
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) return nullptr;
        return sock;
    }
};

class StdThreads final : public Threads {
  public:
    // Making a thread may fail for want of resources (std::system_error) or of memory
    // (std::bad_alloc); either way no thread runs the body.
    bool startDetached(std::function<void()> body) override {
        try {
            std::thread(std::move(body)).detach();
            return true;
        } catch (...) {
            return false;
        }
    }
    bool runAndWait(std::function<void()> body) override {
        std::thread t;
        try {
            t = std::thread(std::move(body));
        } catch (...) {
            return false;
        }
        t.join();
        return true;
    }
};

class WinMsgPoster final : public Poster {
  public:
    void post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam) override {
        winmsg_post(window, message, wparam, lparam);
    }
};

} // namespace

Platform systemPlatform() {
    static SystemClock clock;
    static PosixNetwork network;
    static StdThreads threads;
    static WinMsgPoster poster;
    return Platform{&clock, &network, &threads, &poster};
}

} // namespace qs
