#include "server.h"

#include "class3_protocol.h"
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
    int fd; // the router's socket, or a transfer's
    size_t router;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
};

struct Received {
    sockaddr_in from{};
    uint32_t destination = 0; // the address the datagram was sent to, when known
    std::vector<uint8_t> bytes;
};

// A class 3 transfer: after its request on port 69 a TFTP server carries on from a port of the
// transfer's own (RFC 1350 transfer identifiers), and talks to nobody but the client.
struct Transfer {
    size_t router;
    int fd;
    sockaddr_in client;
    TftpTransfer state;
    bool open = true;
    int64_t expiresMs = 0; // closed then, or when the last reply has left if no longer open
};

// A client that has gone quiet is given up after this long.
constexpr int64_t kTransferIdleMs = 5000;

bool sameEndpoint(const sockaddr_in &a, const sockaddr_in &b) {
    return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

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
        for (auto &l : shared_)
            close(l.fd);
        for (auto &t : transfers_)
            close(t.fd);
    }

    bool open() {
        std::string error;
        // One socket on the wildcard address per class takes the broadcast search; each
        // router's own socket takes its unicast requests, so that every reply leaves from the
        // router's address. Port 69 is only taken when a class 3 router needs it.
        bool anyClass3 = std::any_of(routers_.begin(), routers_.end(),
                                     [](const Router &r) { return r.protocolClass == 3; });
        for (int c : {2, 3}) {
            if (c == 3 && !anyClass3) continue;
            int fd = udpSocket(INADDR_ANY, portOf(c), error);
            if (fd < 0) break;
            shared_.push_back({fd, c});
        }
        for (auto &r : routers_) {
            if (!error.empty()) break;
            boundAddresses_.push_back(r.address);
            sockets_.push_back(udpSocket(r.address, portOf(r.protocolClass), error));
        }
        if (error.empty() && !options_.controlPath.empty())
            error = control_.listen(options_.controlPath);
        if (!error.empty()) std::cerr << "qs-router-emulator: " << error << "\n";
        return error.empty();
    }

    int run() {
        while (!g_stop && !shutdown_) {
            std::vector<pollfd> fds;
            for (auto &l : shared_)
                fds.push_back({l.fd, POLLIN, 0});
            for (int fd : sockets_)
                fds.push_back({fd, POLLIN, 0});
            const size_t transfers = transfers_.size();
            for (auto &t : transfers_)
                fds.push_back({t.fd, POLLIN, 0});
            control_.addPollFds(fds);
            if (poll(fds.data(), fds.size(), pollTimeout()) < 0 && errno != EINTR) {
                std::cerr << "qs-router-emulator: poll: " << std::strerror(errno) << "\n";
                return 1;
            }
            size_t at = 0;
            for (auto &l : shared_)
                if (fds[at++].revents & POLLIN) drainShared(l);
            for (size_t i = 0; i < sockets_.size(); ++i)
                if (fds[at++].revents & POLLIN) drainRouter(i);
            // Transfers opened meanwhile sit behind these and wait for the next round.
            for (size_t k = 0; k < transfers; ++k)
                if (fds[at++].revents & POLLIN) drainTransfer(k);
            control_.handle(fds, [this](const std::string &line) {
                auto result = handleControl(routers_, log_, line, clock_.nowMs());
                shutdown_ = shutdown_ || result.shutdown;
                return result.response;
            });
            sendDue();
            closeEndedTransfers();
        }
        return 0;
    }

  private:
    struct Listener {
        int fd;
        int protocolClass;
    };

    uint16_t portOf(int protocolClass) const {
        return protocolClass == 3 ? options_.tftpPort : options_.port;
    }

    int pollTimeout() const {
        int64_t timeout = kMaxPollMs;
        int64_t now = clock_.nowMs();
        for (auto &o : outgoing_)
            timeout = std::min(timeout, std::max<int64_t>(o.dueMs - now, 0));
        return static_cast<int>(timeout);
    }

    // The shared socket sees broadcasts, and unicast only if a router's own socket did not
    // take it.
    void drainShared(const Listener &l) {
        Received r;
        while (receive(l.fd, r)) {
            std::optional<size_t> own;
            for (size_t i = 0; i < routers_.size(); ++i)
                if (r.destination != 0 && boundAddresses_[i] == r.destination &&
                    routers_[i].protocolClass == l.protocolClass)
                    own = i;
            if (own) {
                dispatch(*own, r, Arrival::Unicast);
                continue;
            }
            for (size_t i = 0; i < routers_.size(); ++i)
                if (routers_[i].protocolClass == l.protocolClass)
                    dispatch(i, r, Arrival::Broadcast);
        }
    }

    void drainRouter(size_t i) {
        Received r;
        while (receive(sockets_[i], r))
            dispatch(i, r, Arrival::Unicast);
    }

    void logReceived(size_t i, const Received &r, Arrival arrival, int64_t now) {
        log_.add({routers_[i].id, now, ntohl(r.from.sin_addr.s_addr), ntohs(r.from.sin_port),
                  arrival == Arrival::Broadcast, r.bytes});
    }

    void dispatch(size_t i, const Received &r, Arrival arrival) {
        int64_t now = clock_.nowMs();
        Router &router = routers_[i];
        logReceived(i, r, arrival, now);
        if (router.protocolClass == 3) return startTransfer(i, r, arrival, now);
        for (auto &reply : handleRequest(router, r.bytes, arrival, now))
            queue(now + router.replyDelayMs, sockets_[i], i, r.from, std::move(reply));
    }

    void startTransfer(size_t i, const Received &r, Arrival arrival, int64_t now) {
        Transfer t{i, -1, r.from, {}, true, 0};
        TftpReply reply = handleTftpRequest(routers_[i], t.state, r.bytes, arrival, now);
        if (reply.datagrams.empty()) return;
        std::string error;
        t.fd = udpSocket(boundAddresses_[i], 0, error);
        if (t.fd < 0) {
            std::cerr << "qs-router-emulator: transfer of " << routers_[i].id << ": " << error
                      << "\n";
            return;
        }
        transfers_.push_back(std::move(t));
        answer(transfers_.back(), std::move(reply), now);
    }

    void drainTransfer(size_t k) {
        Received r;
        while (receive(transfers_[k].fd, r)) {
            Transfer &t = transfers_[k];
            int64_t now = clock_.nowMs();
            logReceived(t.router, r, Arrival::Unicast, now);
            if (!sameEndpoint(r.from, t.client)) {
                // RFC 1350: a stranger is told so, and the transfer goes on undisturbed.
                queue(now, t.fd, t.router, r.from,
                      tftpError(kErrorUnknownTransfer, "Unknown transfer ID"));
                continue;
            }
            if (!t.open) continue;
            answer(t, handleTftpPacket(routers_[t.router], t.state, r.bytes, now), now);
        }
    }

    void answer(Transfer &t, TftpReply reply, int64_t now) {
        int64_t due = now + routers_[t.router].replyDelayMs;
        for (auto &d : reply.datagrams)
            queue(due, t.fd, t.router, t.client, std::move(d));
        t.open = reply.open;
        t.expiresMs = reply.open ? due + kTransferIdleMs : due;
    }

    void queue(int64_t dueMs, int fd, size_t router, const sockaddr_in &to,
               std::vector<uint8_t> bytes) {
        outgoing_.push_back({dueMs, fd, router, to, std::move(bytes)});
    }

    void sendDue() {
        int64_t now = clock_.nowMs();
        // Replies keep their order: a router told to answer twice sends its two in sequence.
        auto due = std::stable_partition(outgoing_.begin(), outgoing_.end(),
                                         [now](const Outgoing &o) { return o.dueMs <= now; });
        for (auto o = outgoing_.begin(); o != due; ++o) {
            if (sendto(o->fd, o->bytes.data(), o->bytes.size(), 0,
                       reinterpret_cast<const sockaddr *>(&o->to), sizeof o->to) < 0)
                std::cerr << "qs-router-emulator: send from " << routers_[o->router].id << ": "
                          << std::strerror(errno) << "\n";
        }
        outgoing_.erase(outgoing_.begin(), due);
    }

    // A transfer's port goes once it expired and nothing waits to leave from it.
    void closeEndedTransfers() {
        int64_t now = clock_.nowMs();
        auto ended = [&](const Transfer &t) {
            return t.expiresMs <= now &&
                   std::none_of(outgoing_.begin(), outgoing_.end(),
                                [&](const Outgoing &o) { return o.fd == t.fd; });
        };
        for (auto &t : transfers_)
            if (ended(t)) close(t.fd);
        std::erase_if(transfers_, ended);
    }

    std::vector<Router> routers_;
    ServerOptions options_;
    Clock clock_;
    std::vector<Listener> shared_;
    std::vector<int> sockets_;
    // Where each router's socket is bound; its announced address may be changed at run time.
    std::vector<uint32_t> boundAddresses_;
    std::vector<Transfer> transfers_;
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
