// Reading and editing one key of an initialization file held in memory, with the rules of the
// Windows profile functions. Pure functions over the file's bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvo::settings::ini {

// The value of `key` in `section`, as the profile functions return it: blanks around it removed,
// one pair of matching outer quotes removed. Nothing when the section or key is missing or the
// key's line has no '='. Names compare without regard to case; the first section and the first
// key of a name win.
std::optional<std::string_view> findValue(std::string_view file, std::string_view section,
                                          std::string_view key);

// Whether a section name, key name and value can be written without changing the file's
// structure: no line ends or NULs anywhere, no ']' in a section name, no '=' in a key name, no
// leading '[' on a key name, and neither name blank.
bool isWritable(std::string_view section, std::string_view key, std::string_view value);

// The file with `key` in `section` set to `value`: an existing key's line is replaced, a new key
// goes after the last line of its section, a new section at the end of the file. Every other
// byte stays as it was. Requires isWritable(section, key, value).
std::string setValue(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value);

// The file without the lines of `key` in `section`; unchanged when there are none.
std::string removeKey(std::string_view file, std::string_view section, std::string_view key);

} // namespace tarvo::settings::ini
