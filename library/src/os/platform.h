// The library's view of the operating system: sockets, threads, time and completion posting.
// Protocol code reaches the OS only through these interfaces, so tests can replace each one and
// the Windows build supplies its own implementation of the same set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace qs {

struct LocalTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds; only differences matter.
    virtual int64_t nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
    virtual LocalTime localTime() = 0;
    // The PC's local time of day at a moment given in seconds since 1970 (UTC).
    virtual LocalTime localTimeOf(int64_t unixSeconds);
};

struct Received {
    size_t length = 0;      // the datagram's real length, even when it did not fit
    bool truncated = false; // the datagram was longer than the buffer
    uint32_t fromAddress = 0;
    uint16_t fromPort = 0;
};

class UdpSocket {
  public:
    virtual ~UdpSocket() = default;
    virtual bool sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t length) = 0;
    // 1 readable, 0 nothing within the time-out, -1 the wait itself failed.
    virtual int waitReadable(int timeoutMs) = 0;
    virtual bool receive(uint8_t *buffer, size_t capacity, Received &info) = 0;
};

class Network {
  public:
    virtual ~Network() = default;
    // Starts the socket layer at the one version the library speaks; false when unavailable.
    virtual bool startup() = 0;
    virtual void cleanup() = 0;
    // A UDP socket bound to any local address and port; null when creating, configuring or
    // binding it failed.
    virtual std::unique_ptr<UdpSocket> openUdp(bool broadcast) = 0;
};

class Threads {
  public:
    virtual ~Threads() = default;
    // Runs body on a new thread that nobody waits for. False when no thread could be made.
    virtual bool startDetached(std::function<void()> body) = 0;
    // Runs body on a new thread and waits for it without limit. False when no thread could be
    // made (body did not run).
    virtual bool runAndWait(std::function<void()> body) = 0;
};

class Poster {
  public:
    virtual ~Poster() = default;
    virtual void post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam) = 0;
};

struct Platform {
    Clock *clock = nullptr;
    Network *network = nullptr;
    Threads *threads = nullptr;
    Poster *poster = nullptr;
};

// The platform in force. Defaults to the operating system's own.
Platform &platform();
Platform systemPlatform();
// Replaces the platform for tests; pass systemPlatform() to restore.
void setPlatform(const Platform &p);

} // namespace qs
