// qs-emulator-ctl: sends one control command to a running emulator and prints the answer, for
// scripts (the lab waits with it until the emulator is ready).
#include "control_client.h"

#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

int main(int argc, char **argv) {
    int i = 1;
    int waitSeconds = 0;
    if (argc > 2 && std::string_view(argv[1]) == "--wait") {
        std::string_view v = argv[2];
        std::from_chars(v.data(), v.data() + v.size(), waitSeconds);
        i = 3;
    }
    if (argc - i < 2) {
        std::cerr << "usage: qs-emulator-ctl [--wait SECONDS] SOCKET COMMAND [ARGS...]\n";
        return 2;
    }
    qs::emulator::ControlClient client(argv[i++]);
    std::string line;
    for (; i < argc; ++i)
        line += (line.empty() ? "" : " ") + std::string(argv[i]);
    try {
        if (waitSeconds > 0) client.waitUntilReady(std::chrono::seconds(waitSeconds));
        for (auto &l : client.command(line))
            if (!l.empty()) std::cout << l << "\n";
    } catch (const qs::emulator::ControlError &e) {
        std::cerr << "qs-emulator-ctl: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
