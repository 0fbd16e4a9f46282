// Client of the emulator's control socket, for tests written in C++.
//
//   qs::emulator::ControlClient c(path);   // or ControlClient::fromEnvironment() in the lab
//   c.set("r1", "port0.state", "3");
//   auto received = c.log("r1");
#pragma once

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qs::emulator {

// The emulator could not be reached, or it refused the command (its message is what()).
class ControlError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ReceivedDatagram {
    std::string router;
    int64_t ms = 0; // since the emulator started
    std::string senderAddress;
    uint16_t senderPort = 0;
    bool broadcast = false;
    std::vector<uint8_t> bytes;

    // The request's command word (header offset 4), 0 for a datagram too short to carry one.
    uint16_t commandWord() const;
};

struct EmulatedRouter {
    std::string id;
    std::string address;
};

class ControlClient {
  public:
    explicit ControlClient(std::string socketPath) : path_(std::move(socketPath)) {}

    // The socket the lab announces in QS_LAB_CONTROL; throws when it is not set.
    static ControlClient fromEnvironment();

    bool ping() const noexcept;
    // Waits until the emulator answers ping; throws ControlError when it did not in time.
    void waitUntilReady(std::chrono::milliseconds timeout) const;

    // router may be "*" for every router.
    void set(std::string_view router, std::string_view key, std::string_view value) const;
    std::string get(std::string_view router, std::string_view key) const;

    // Datagrams received by one router, or by all when router is empty, oldest first.
    std::vector<ReceivedDatagram> log(std::string_view router = {}) const;
    void clearLog(std::string_view router = {}) const;

    std::vector<EmulatedRouter> routers() const;

    // Sends one command line; returns what follows "ok" (the rest of the first line, then the
    // lines of a list). Throws ControlError on "error ..." or a broken connection.
    std::vector<std::string> command(std::string_view line) const;

    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

} // namespace qs::emulator
