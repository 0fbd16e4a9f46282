// The FTP password between its stored bytes and the program's UTF-8 text, without loss.
//
// The password is whatever bytes the server expects, and not every byte string is Shift-JIS:
// bytes such as 0x80, 0xA0 or 0xFD-0xFF have no character, and some two-byte codes share their
// character with another code and would come back as that one. Converted like other texts, such
// a password would be saved, and sent, changed. Here every byte that does not come back by itself
// is carried as the private-use character U+F700 + byte, which CP932 neither produces nor
// encodes, and turned back into that byte on the way out.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::settings {

// Stored bytes to UTF-8; passwordBytes gives the same bytes back, always.
std::string passwordText(std::string_view bytes);

// UTF-8 to the bytes to store and send: U+F700-U+F7FF as the byte they carry, everything else as
// Shift-JIS. Nothing when a character has no Shift-JIS form or the input is not UTF-8.
std::optional<std::string> passwordBytes(std::string_view utf8);

} // namespace tarvo::settings
