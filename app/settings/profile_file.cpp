#include "profile_file.h"

#include "cp932.h"
#include "ini_text.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::settings {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_;
};

bool readAll(int fd, std::string &out) {
    out.clear();
    char buffer[8192];
    for (;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(out.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

bool writeAllAt(int fd, std::string_view data, off_t offset) {
    while (!data.empty()) {
        ssize_t n = ::pwrite(fd, data.data(), data.size(), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

// Nothing when the file does not exist; an empty text when it exists but cannot be read is not
// an option, so unreadable files count as missing, as they do for the Windows functions.
std::optional<std::string> readFile(const std::filesystem::path &path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    std::string bytes;
    if (!readAll(fd.get(), bytes)) return std::nullopt;
    return bytes;
}

// Opens the file for update, creating it owner-only when missing: it holds the FTP password in a
// reversible form. An existing file is opened as it is, so its mode is never widened.
Fd openForUpdate(const std::filesystem::path &path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        Fd existing(::open(path.c_str(), O_RDWR | O_CLOEXEC));
        if (existing || errno != ENOENT) return existing;
        Fd created(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (created) {
            // The umask may have taken bits away; the mode is exactly owner read and write.
            ::fchmod(created.get(), 0600);
            return created;
        }
        if (errno != EEXIST) return created;
        // Another writer created it between the two opens: open that one.
    }
    return Fd(-1);
}

} // namespace

std::int64_t leadingNumber(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 10 - 1;
    std::int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = value > kLimit ? kLimit * 10 : value * 10 + (text[pos] - '0');
    return negative ? -value : value;
}

std::optional<std::string> readProfileValue(const std::filesystem::path &file,
                                            std::string_view section, std::string_view key) {
    std::optional<std::string> bytes = readFile(file);
    if (!bytes) return std::nullopt;
    std::optional<std::string_view> value = ini::findValue(*bytes, section, key);
    if (!value) return std::nullopt;
    // A caller's buffer ends at the first NUL, whatever the file holds after it.
    return std::string(value->substr(0, value->find('\0')));
}

std::int64_t readProfileInt(const std::filesystem::path &file, std::string_view section,
                            std::string_view key, std::int64_t fallback) {
    std::optional<std::string> value = readProfileValue(file, section, key);
    return value ? leadingNumber(*value) : fallback;
}

std::string readProfileString(const std::filesystem::path &file, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    std::optional<std::string> value = readProfileValue(file, section, key);
    std::string_view text = value ? std::string_view(*value) : fallback;
    return std::string(cp932::cutToCharBoundary(text, bufferSize - 1));
}

namespace {
// Writes what `edit` makes of the file's bytes, from the first byte that changes on.
template <class Edit> bool updateFile(int fd, Edit edit) {
    std::string before;
    if (!readAll(fd, before)) return false;
    std::string after = edit(before);
    // Only the bytes from the first change on are written: the head of the file is never touched.
    std::size_t first = 0;
    while (first < before.size() && first < after.size() && before[first] == after[first])
        ++first;
    if (first == before.size() && first == after.size()) return true;
    if (!writeAllAt(fd, std::string_view(after).substr(first), static_cast<off_t>(first)))
        return false;
    if (after.size() < before.size() && ::ftruncate(fd, static_cast<off_t>(after.size())) != 0)
        return false;
    return true;
}
} // namespace

bool writeProfileString(const std::filesystem::path &file, std::string_view section,
                        std::string_view key, std::string_view value) {
    if (!ini::isWritable(section, key, value)) return false;
    Fd fd = openForUpdate(file);
    if (!fd) return false;
    return updateFile(fd.get(), [&](const std::string &before) {
        return ini::setValue(before, section, key, value);
    });
}

bool deleteProfileKey(const std::filesystem::path &file, std::string_view section,
                      std::string_view key) {
    Fd fd(::open(file.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd) return errno == ENOENT;
    return updateFile(
        fd.get(), [&](const std::string &before) { return ini::removeKey(before, section, key); });
}

} // namespace tarvo::settings
