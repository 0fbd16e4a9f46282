#include "server.h"

#include "control.h"
#include "control_server.h"
#include "datagram_log.h"
#include "fields.h"
#include "protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qs::emulator {

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

// Bounds how long a signal arriving just before poll() can go unnoticed.
constexpr int kMaxPollMs = 200;
constexpr size_t kReceiveBuffer = 65536;

class Clock {
  public:
    int64_t nowMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

struct Outgoing {
    int64_t dueMs;
    size_t router;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
};

struct Received {
    sockaddr_in from{};
    uint32_t destination = 0; // the address the datagram was sent to, when known
    std::vector<uint8_t> bytes;
};

int udpSocket(uint32_t address, uint16_t port, std::string &error) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    int on = 1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(address);
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        error = "cannot bind " + formatAddress(address) + ":" + std::to_string(port) + ": " +
                std::strerror(errno);
        if (errno == EADDRNOTAVAIL)
            error += " (the address belongs to no interface here; run the emulator in the lab)";
        if (fd >= 0) close(fd);
        return -1;
    }
    return fd;
}

bool receive(int fd, Received &r) {
    r.bytes.resize(kReceiveBuffer);
    iovec iov{r.bytes.data(), r.bytes.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr m{};
    m.msg_name = &r.from;
    m.msg_namelen = sizeof r.from;
    m.msg_iov = &iov;
    m.msg_iovlen = 1;
    m.msg_control = control;
    m.msg_controllen = sizeof control;
    ssize_t n = recvmsg(fd, &m, 0);
    if (n < 0) return false;
    r.bytes.resize(static_cast<size_t>(n));
    r.destination = 0;
    for (cmsghdr *c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
            in_pktinfo info;
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            r.destination = ntohl(info.ipi_addr.s_addr);
        }
    }
    return true;
}

class Server {
  public:
    Server(std::vector<Router> routers, const ServerOptions &options)
        : routers_(std::move(routers)), options_(options) {}

    ~Server() {
        for (int fd : sockets_)
            close(fd);
        if (shared_ >= 0) close(shared_);
    }

    bool open() {
        std::string error;
        // One socket on the wildcard address takes the broadcast search; each router's own
        // socket takes its unicast requests and sends all its replies, so that every reply
        // leaves from the router's address.
        shared_ = udpSocket(INADDR_ANY, options_.port, error);
        for (auto &r : routers_) {
            if (shared_ < 0) break;
            boundAddresses_.push_back(r.address);
            sockets_.push_back(udpSocket(r.address, options_.port, error));
            if (sockets_.back() < 0) break;
        }
        if (error.empty() && !options_.controlPath.empty())
            error = control_.listen(options_.controlPath);
        if (!error.empty()) std::cerr << "qs-router-emulator: " << error << "\n";
        return error.empty();
    }

    int run() {
        while (!g_stop && !shutdown_) {
            std::vector<pollfd> fds{{shared_, POLLIN, 0}};
            for (int fd : sockets_)
                fds.push_back({fd, POLLIN, 0});
            control_.addPollFds(fds);
            if (poll(fds.data(), fds.size(), pollTimeout()) < 0 && errno != EINTR) {
                std::cerr << "qs-router-emulator: poll: " << std::strerror(errno) << "\n";
                return 1;
            }
            if (fds[0].revents & POLLIN) drain(shared_, std::nullopt);
            for (size_t i = 0; i < sockets_.size(); ++i)
                if (fds[i + 1].revents & POLLIN) drain(sockets_[i], i);
            control_.handle(fds, [this](const std::string &line) {
                auto result = handleControl(routers_, log_, line, clock_.nowMs());
                shutdown_ = shutdown_ || result.shutdown;
                return result.response;
            });
            sendDue();
        }
        return 0;
    }

  private:
    int pollTimeout() const {
        int64_t timeout = kMaxPollMs;
        int64_t now = clock_.nowMs();
        for (auto &o : outgoing_)
            timeout = std::min(timeout, std::max<int64_t>(o.dueMs - now, 0));
        return static_cast<int>(timeout);
    }

    void drain(int fd, std::optional<size_t> router) {
        Received r;
        while (receive(fd, r)) {
            if (router) {
                dispatch(*router, r, Arrival::Unicast);
                continue;
            }
            // The shared socket sees broadcasts, and unicast only if a router's own socket
            // did not take it.
            auto own = std::find(boundAddresses_.begin(), boundAddresses_.end(), r.destination);
            if (r.destination != 0 && own != boundAddresses_.end()) {
                dispatch(static_cast<size_t>(own - boundAddresses_.begin()), r, Arrival::Unicast);
                continue;
            }
            for (size_t i = 0; i < routers_.size(); ++i)
                dispatch(i, r, Arrival::Broadcast);
        }
    }

    void dispatch(size_t i, const Received &r, Arrival arrival) {
        int64_t now = clock_.nowMs();
        Router &router = routers_[i];
        log_.add({router.id, now, ntohl(r.from.sin_addr.s_addr), ntohs(r.from.sin_port),
                  arrival == Arrival::Broadcast, r.bytes});
        for (auto &reply : handleRequest(router, r.bytes, arrival, now))
            outgoing_.push_back({now + router.replyDelayMs, i, r.from, std::move(reply)});
    }

    void sendDue() {
        int64_t now = clock_.nowMs();
        // Replies keep their order: a router told to answer twice sends its two in sequence.
        auto due = std::stable_partition(outgoing_.begin(), outgoing_.end(),
                                         [now](const Outgoing &o) { return o.dueMs <= now; });
        for (auto o = outgoing_.begin(); o != due; ++o) {
            if (sendto(sockets_[o->router], o->bytes.data(), o->bytes.size(), 0,
                       reinterpret_cast<const sockaddr *>(&o->to), sizeof o->to) < 0)
                std::cerr << "qs-router-emulator: send from " << routers_[o->router].id << ": "
                          << std::strerror(errno) << "\n";
        }
        outgoing_.erase(outgoing_.begin(), due);
    }

    std::vector<Router> routers_;
    ServerOptions options_;
    Clock clock_;
    int shared_ = -1;
    std::vector<int> sockets_;
    // Where each router's socket is bound; its announced address may be changed at run time.
    std::vector<uint32_t> boundAddresses_;
    ControlServer control_;
    DatagramLog log_;
    std::vector<Outgoing> outgoing_;
    bool shutdown_ = false;
};

} // namespace

int runServer(std::vector<Router> routers, const ServerOptions &options) {
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Server server(std::move(routers), options);
    if (!server.open()) return 1;
    return server.run();
}

} // namespace qs::emulator
