// The Windows profile functions over a settings file on disk, on Shift-JIS bytes: what
// GetPrivateProfileIntA, GetPrivateProfileStringA and WritePrivateProfileStringA do, and where
// those go wrong, the sound version of what they do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tarvo::settings {

// The stored value of a key up to its first NUL, or nothing when the file, section or key is
// missing. Not cut to any buffer size.
std::optional<std::string> readProfileValue(const std::filesystem::path &file,
                                            std::string_view section, std::string_view key);

// The leading decimal number of the value with its sign; `fallback` when the file, section or
// key is missing, 0 when the value is empty or does not start with a number. Digits beyond
// what 64 bits hold saturate, so that a range check on the result can still see the overflow.
std::int64_t readProfileInt(const std::filesystem::path &file, std::string_view section,
                            std::string_view key, std::int64_t fallback);

// The value, or `fallback` when missing, as a caller's buffer of `bufferSize` bytes receives it:
// at most bufferSize - 1 bytes, never half of a two-byte character.
std::string readProfileString(const std::filesystem::path &file, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t bufferSize);

// Changes to one file, kept in memory and then made in one atomic replace (atomic_file.h), so
// that the file on disk is always either the old one or the new one. Every byte the changes do
// not touch stays as it was. A missing file is created with mode 0600; an existing one keeps its
// mode and owner.
class ProfileEdit {
  public:
    explicit ProfileEdit(std::filesystem::path file);

    // Creates or replaces one key. False, with nothing changed, when the names or the value
    // would break the file's structure (see ini::isWritable).
    bool set(std::string_view section, std::string_view key, std::string_view value);
    // Deletes the key's lines (all of them, should the file hold it twice).
    bool remove(std::string_view section, std::string_view key);
    // Writes the changes. True when there were none. False, with the file as it was, when the
    // file could not be read or replaced.
    bool commit();

  private:
    std::filesystem::path file_;
    bool readable_ = false;
    std::string before_;
    std::string after_;
};

// One key created or replaced, as one ProfileEdit. False when the file cannot be read or
// written, or when the names or value would break the file's structure.
bool writeProfileString(const std::filesystem::path &file, std::string_view section,
                        std::string_view key, std::string_view value);

// Every line of one key deleted, as one ProfileEdit; true when it was not there, or the file
// was not.
bool deleteProfileKey(const std::filesystem::path &file, std::string_view section,
                      std::string_view key);

// The leading decimal number of a text, as readProfileInt reads a value.
std::int64_t leadingNumber(std::string_view text);

} // namespace tarvo::settings
