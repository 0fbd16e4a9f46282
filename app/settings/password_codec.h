// The stored form of the FTP password. It only keeps the password out of plain sight; the file's
// owner-only mode is what protects it. Texts are byte strings: each byte is one character.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::settings {

// Swaps character i with character L - 2(i - 1) for i = 1 .. round(L / 4), halves to even.
// Its own inverse.
std::string ShuffleText(std::string_view text);

// The character codes from last to first as upper-case hex without leading zeros, shuffled.
// Only codes 0x10 to 0xFF come back whole from DecodePassword.
std::string EncodePassword(std::string_view plain);

// Undoes EncodePassword; nothing when a pair of the unshuffled text is not hexadecimal.
std::optional<std::string> DecodePassword(std::string_view stored);

} // namespace tarvo::settings
