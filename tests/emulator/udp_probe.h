// A plain UDP socket for the lab checks: sends datagrams as a client on the PC host would and
// collects what comes back, with the sender and the time of arrival.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::emulator {

using Bytes = std::vector<uint8_t>;

struct Datagram {
    std::string from;
    uint16_t port = 0;
    Bytes bytes;
    std::chrono::steady_clock::time_point at;
};

class UdpProbe {
  public:
    UdpProbe() {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    }
    ~UdpProbe() { close(fd_); }
    UdpProbe(const UdpProbe &) = delete;
    UdpProbe &operator=(const UdpProbe &) = delete;

    void send(const std::string &address, uint16_t port, const Bytes &d) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        ASSERT_EQ(sendto(fd_, d.data(), d.size(), 0, reinterpret_cast<sockaddr *>(&to), sizeof to),
                  static_cast<ssize_t>(d.size()));
    }

    // Everything that arrives until `quiet` passes without a datagram.
    std::vector<Datagram> receive(std::chrono::milliseconds quiet) {
        std::vector<Datagram> got;
        pollfd p{fd_, POLLIN, 0};
        while (poll(&p, 1, static_cast<int>(quiet.count())) > 0) {
            Datagram d;
            d.bytes.resize(2048);
            sockaddr_in from{};
            socklen_t length = sizeof from;
            ssize_t n = recvfrom(fd_, d.bytes.data(), d.bytes.size(), 0,
                                 reinterpret_cast<sockaddr *>(&from), &length);
            if (n < 0) break;
            d.bytes.resize(static_cast<size_t>(n));
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            d.from = text;
            d.port = ntohs(from.sin_port);
            d.at = std::chrono::steady_clock::now();
            got.push_back(std::move(d));
        }
        return got;
    }

  private:
    int fd_ = -1;
};

} // namespace qs::emulator
