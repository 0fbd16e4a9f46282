// Colour keys hold 00BBGGRR either as "&H" and hex digits (the defaults) or as decimal digits
// (what the options dialog writes back); every reader accepts both.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvo::settings {

// Nothing for any other text, or a value beyond 32 bits.
std::optional<std::uint32_t> parseColour(std::string_view text);

} // namespace tarvo::settings
