#include "control_client.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace qs::emulator {

namespace {

class Connection {
  public:
    explicit Connection(const std::string &path) {
        sockaddr_un address{};
        if (path.size() >= sizeof address.sun_path)
            throw ControlError("control socket path too long: " + path);
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            std::string reason = std::strerror(errno);
            if (fd_ >= 0) close(fd_);
            throw ControlError("cannot reach the emulator at " + path + ": " + reason);
        }
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection() { close(fd_); }

    // One command per connection: the emulator answers it and closes once we close our side.
    std::string exchange(std::string_view line) {
        std::string request(line);
        request += '\n';
        for (size_t sent = 0; sent < request.size();) {
            ssize_t n = send(fd_, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw ControlError(std::string("control send: ") + std::strerror(errno));
            sent += static_cast<size_t>(n);
        }
        shutdown(fd_, SHUT_WR);
        std::string response;
        char buffer[65536];
        for (;;) {
            ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw ControlError(std::string("control receive: ") + std::strerror(errno));
            if (n == 0) return response;
            response.append(buffer, static_cast<size_t>(n));
        }
    }

  private:
    int fd_ = -1;
};

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<uint8_t> fromHex(const std::string &hex) {
    auto digit = [&](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        throw ControlError("unreadable bytes in the log: " + hex);
    };
    std::vector<uint8_t> bytes;
    if (hex == "-") return bytes;
    if (hex.size() % 2 != 0) throw ControlError("unreadable bytes in the log: " + hex);
    for (size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(digit(hex[i]) << 4 | digit(hex[i + 1])));
    return bytes;
}

} // namespace

uint16_t ReceivedDatagram::commandWord() const {
    if (bytes.size() < 6) return 0;
    return static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
}

ControlClient ControlClient::fromEnvironment() {
    const char *path = std::getenv("QS_LAB_CONTROL");
    if (!path || !*path) throw ControlError("QS_LAB_CONTROL is not set: not running in the lab");
    return ControlClient(path);
}

std::vector<std::string> ControlClient::command(std::string_view line) const {
    // One line is one command; a line break inside a value would smuggle in a second one.
    if (line.find('\n') != std::string_view::npos)
        throw ControlError("a control command cannot contain a line break");
    Connection connection(path_);
    auto lines = splitLines(connection.exchange(line));
    if (lines.empty())
        throw ControlError("the emulator closed without answering '" + std::string(line) + "'");
    if (lines[0].starts_with("error"))
        throw ControlError("emulator: " + lines[0].substr(std::min<size_t>(6, lines[0].size())));
    if (!lines[0].starts_with("ok")) throw ControlError("unexpected answer: " + lines[0]);
    lines[0] = lines[0].size() > 3 ? lines[0].substr(3) : std::string();
    return lines;
}

bool ControlClient::ping() const noexcept {
    try {
        auto r = command("ping");
        return r.size() == 1 && r[0] == "pong";
    } catch (const std::exception &) {
        return false;
    }
}

void ControlClient::waitUntilReady(std::chrono::milliseconds timeout) const {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ping()) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw ControlError("the emulator at " + path_ + " did not become ready");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ControlClient::set(std::string_view router, std::string_view key,
                        std::string_view value) const {
    command("set " + std::string(router) + " " + std::string(key) + " " + std::string(value));
}

std::string ControlClient::get(std::string_view router, std::string_view key) const {
    return command("get " + std::string(router) + " " + std::string(key)).at(0);
}

std::vector<ReceivedDatagram> ControlClient::log(std::string_view router) const {
    auto lines = command("log " + std::string(router));
    std::vector<ReceivedDatagram> entries;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::istringstream in(lines[i]);
        ReceivedDatagram d;
        std::string sender, kind, hex;
        size_t length = 0;
        if (!(in >> d.router >> d.ms >> sender >> kind >> length >> hex))
            throw ControlError("unreadable log line: " + lines[i]);
        auto colon = sender.rfind(':');
        d.senderAddress = sender.substr(0, colon);
        d.senderPort = static_cast<uint16_t>(std::stoul(sender.substr(colon + 1)));
        d.broadcast = kind == "bcast";
        d.bytes = fromHex(hex);
        entries.push_back(std::move(d));
    }
    return entries;
}

void ControlClient::clearLog(std::string_view router) const {
    command("clear_log " + std::string(router));
}

std::vector<EmulatedRouter> ControlClient::routers() const {
    auto lines = command("routers");
    std::vector<EmulatedRouter> routers;
    for (size_t i = 1; i < lines.size(); ++i) {
        auto space = lines[i].find(' ');
        routers.push_back({lines[i].substr(0, space), lines[i].substr(space + 1)});
    }
    return routers;
}

} // namespace qs::emulator
