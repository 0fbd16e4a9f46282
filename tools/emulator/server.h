// The emulator's sockets and its single-threaded poll loop.
#pragma once

#include "router.h"

#include <string>
#include <vector>

namespace qs::emulator {

struct ServerOptions {
    std::string controlPath; // empty: no control socket
    uint16_t port = 4449;    // class 2
    uint16_t tftpPort = 69;  // class 3
};

// Runs until SIGINT, SIGTERM or the control command "shutdown". Returns the process exit code;
// a socket that cannot be set up is reported on stderr.
int runServer(std::vector<Router> routers, const ServerOptions &options);

} // namespace qs::emulator
