// Every datagram the routers receive, kept for tests to inspect through the control socket.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace qs::emulator {

struct LoggedDatagram {
    std::string router;
    int64_t ms = 0; // since the emulator started
    uint32_t senderAddress = 0;
    uint16_t senderPort = 0;
    bool broadcast = false; // arrived on the shared socket rather than the router's own
    std::vector<uint8_t> bytes;
};

class DatagramLog {
  public:
    // A runaway test must not grow the emulator without bound; the oldest entries go first.
    static constexpr size_t kCapacity = 100000;

    void add(LoggedDatagram entry);
    // Entries of one router, or of all when router is empty, oldest first.
    std::vector<const LoggedDatagram *> select(std::string_view router) const;
    void clear(std::string_view router);

  private:
    std::deque<LoggedDatagram> entries_;
};

// One entry as a line of the control protocol:
// ROUTER MS ADDRESS:PORT bcast|ucast LENGTH HEX (HEX is "-" for an empty datagram).
std::string formatLogLine(const LoggedDatagram &entry);

} // namespace qs::emulator
