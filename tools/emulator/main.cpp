// qs-router-emulator: plays the routers of a configuration file, class 2 on UDP port 4449 and
// class 3 on UDP port 69 (TFTP).
#include "config.h"
#include "fields.h"
#include "server.h"

#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr const char *kUsage =
    "usage: qs-router-emulator --config FILE [--control SOCKET] [--port N] [--tftp-port N]\n"
    "       qs-router-emulator --config FILE --print-addresses\n";

} // namespace

int main(int argc, char **argv) {
    std::string configPath;
    bool printAddresses = false;
    qs::emulator::ServerOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--config" && hasValue) {
            configPath = argv[++i];
        } else if (arg == "--control" && hasValue) {
            options.controlPath = argv[++i];
        } else if ((arg == "--port" || arg == "--tftp-port") && hasValue) {
            uint16_t &port = arg == "--port" ? options.port : options.tftpPort;
            std::string_view v = argv[++i];
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), port);
            if (ec != std::errc{} || end != v.data() + v.size() || port == 0) {
                std::cerr << "qs-router-emulator: bad port '" << v << "'\n";
                return 2;
            }
        } else if (arg == "--print-addresses") {
            printAddresses = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (configPath.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    auto config = qs::emulator::loadConfig(configPath);
    if (!config.error.empty()) {
        std::cerr << "qs-router-emulator: " << configPath << ": " << config.error << "\n";
        return 2;
    }
    if (printAddresses) {
        for (auto &r : config.routers)
            std::cout << qs::emulator::formatAddress(r.address) << "\n";
        return 0;
    }
    return qs::emulator::runServer(std::move(config.routers), options);
}
