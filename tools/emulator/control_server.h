// The UNIX-domain socket on which tests steer the emulator. Non-blocking; lives in the server's
// poll loop. UNIX sockets reach across network namespaces, so a test on the lab's PC host can
// use it while the emulator sits on the router host.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <poll.h>

namespace qs::emulator {

class ControlServer {
  public:
    // Answers one command line with the complete response text.
    using Handler = std::function<std::string(const std::string &line)>;

    ControlServer() = default;
    ControlServer(const ControlServer &) = delete;
    ControlServer &operator=(const ControlServer &) = delete;
    ~ControlServer();

    // Listens at path, replacing a stale socket left there. Returns an error message or "".
    std::string listen(const std::string &path);

    // Descriptors to poll, and the handling of what poll reported for them.
    void addPollFds(std::vector<pollfd> &fds) const;
    void handle(const std::vector<pollfd> &fds, const Handler &handler);

  private:
    struct Client {
        int fd = -1;
        std::string in;
        std::string out;
        bool peerDone = false; // the client sent all it will send
    };

    void accept();
    void serve(Client &c, short revents, const Handler &handler);

    int listener_ = -1;
    std::string path_;
    std::vector<Client> clients_;
};

} // namespace qs::emulator
