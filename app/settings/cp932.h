// The settings file is Shift-JIS as Windows writes it (code page 932). Its structure (brackets,
// '=', line ends) is found on the raw bytes; text leaves and enters the file through iconv.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo::settings::cp932 {

// A trail byte can be '[', ']', '\' or an ASCII letter, so byte scans that look for those must
// step over whole characters.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool isTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Length in bytes of the character that starts at `pos`: 2 for a lead byte followed by a trail
// byte, else 1 (a lone lead byte counts as one character of its own, as Windows counts it).
std::size_t charLength(std::string_view bytes, std::size_t pos);

// The longest prefix of at most `limit` bytes that does not end inside a two-byte character.
std::string_view cutToCharBoundary(std::string_view bytes, std::size_t limit);

// Shift-JIS bytes to UTF-8. Bytes that are not Shift-JIS become U+30FB, the character Windows
// substitutes, so that what a damaged file loads is still something a save can store.
std::string toUtf8(std::string_view cp932);

// UTF-8 to Shift-JIS; nothing when a character has no Shift-JIS form or the input is not UTF-8.
std::optional<std::string> fromUtf8(std::string_view utf8);

} // namespace tarvo::settings::cp932
