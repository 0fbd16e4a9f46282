#include "control_server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::emulator {

namespace {

// A client sending endless text without a newline is cut off rather than buffered forever.
constexpr size_t kMaxLine = 64 * 1024;

void setNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

ControlServer::~ControlServer() {
    for (auto &c : clients_)
        close(c.fd);
    if (listener_ >= 0) {
        close(listener_);
        unlink(path_.c_str());
    }
}

std::string ControlServer::listen(const std::string &path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return "control socket path too long: " + path;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) return path + " exists and is not a socket";
        unlink(path.c_str());
    }
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return std::string("control socket: ") + std::strerror(errno);
    if (bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0)
        return "control socket " + path + ": " + std::strerror(errno);
    setNonBlocking(listener_);
    path_ = path;
    return {};
}

void ControlServer::addPollFds(std::vector<pollfd> &fds) const {
    if (listener_ >= 0) fds.push_back({listener_, POLLIN, 0});
    for (auto &c : clients_)
        fds.push_back({c.fd, static_cast<short>(c.out.empty() ? POLLIN : POLLIN | POLLOUT), 0});
}

void ControlServer::handle(const std::vector<pollfd> &fds, const Handler &handler) {
    for (auto &p : fds) {
        if (p.revents == 0) continue;
        if (p.fd == listener_) {
            accept();
            continue;
        }
        auto c = std::find_if(clients_.begin(), clients_.end(),
                              [&](const Client &x) { return x.fd == p.fd; });
        if (c != clients_.end()) serve(*c, p.revents, handler);
    }
    std::erase_if(clients_, [](const Client &c) { return c.fd < 0; });
}

void ControlServer::accept() {
    for (;;) {
        int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) return;
        clients_.push_back({fd, {}, {}, false});
    }
}

void ControlServer::serve(Client &c, short revents, const Handler &handler) {
    if (revents & (POLLIN | POLLHUP | POLLERR)) {
        char buffer[4096];
        for (;;) {
            ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
            if (n > 0) {
                c.in.append(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                c.peerDone = true;
            break;
        }
        size_t end;
        while ((end = c.in.find('\n')) != std::string::npos) {
            std::string line = c.in.substr(0, end);
            c.in.erase(0, end + 1);
            c.out += handler(line);
        }
        if (c.in.size() > kMaxLine) {
            c.out += "error line too long\n";
            c.in.clear();
            c.peerDone = true;
        }
        // A last command without its newline still counts once the client has finished.
        if (c.peerDone && !c.in.empty()) {
            c.out += handler(c.in);
            c.in.clear();
        }
    }
    while (!c.out.empty()) {
        ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) break;
            c.out.clear();
            c.peerDone = true;
            break;
        }
        c.out.erase(0, static_cast<size_t>(n));
    }
    if (c.peerDone && c.out.empty()) {
        close(c.fd);
        c.fd = -1;
    }
}

} // namespace qs::emulator
