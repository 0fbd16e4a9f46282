// Every setting of a router by name, read and written as text. The configuration file and the
// control socket share these names, so a test can change at run time anything a file can say.
#pragma once

#include "router.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qs::emulator {

// Sets `key` ("model", "port1.state", ...) from its text form. Returns an error message, empty
// on success; a key of the other class of router is refused.
std::string setField(Router &router, std::string_view key, std::string_view value);

// The text form of `key`, as setField accepts it back; nullopt for an unknown key or one of the
// other class.
std::optional<std::string> getField(const Router &router, std::string_view key);

// The keys of one class of router, router keys first, then those of port 0 and port 1.
std::vector<std::string> fieldNames(int protocolClass = 2);

// Text forms shared with the configuration parser.
std::optional<uint32_t> parseAddress(std::string_view text);
std::string formatAddress(uint32_t address);

} // namespace qs::emulator
