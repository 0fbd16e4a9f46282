// The emulator's configuration file: one [router NAME] (class 2) or [router3 NAME] (class 3)
// section per router, `key = value` lines with the keys of fields.h. The format is described in
// README.md.
#pragma once

#include "router.h"

#include <string>
#include <string_view>
#include <vector>

namespace qs::emulator {

struct Config {
    std::vector<Router> routers;
    std::string error; // "line N: ..." when the text was refused; routers is then empty
};

Config parseConfig(std::string_view text);

// Reads and parses a file; a file that cannot be read is reported in `error`.
Config loadConfig(const std::string &path);

} // namespace qs::emulator
