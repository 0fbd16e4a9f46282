#include "profile_file.h"

#include "atomic_file.h"
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

// Nothing when the file does not exist; an empty text when it exists but cannot be read is not
// an option, so unreadable files count as missing, as they do for the Windows functions.
std::optional<std::string> readFile(const std::filesystem::path &path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    std::string bytes;
    if (!readAll(fd.get(), bytes)) return std::nullopt;
    return bytes;
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

ProfileEdit::ProfileEdit(std::filesystem::path file) : file_(std::move(file)) {
    if (std::optional<std::string> bytes = readFile(file_)) {
        readable_ = true;
        before_ = std::move(*bytes);
    } else {
        // Only a file that is not there at all (or a link to one that is not) starts empty; one
        // that cannot be read must not be replaced by what little the changes would make of it.
        struct stat st {};
        readable_ = ::stat(file_.c_str(), &st) != 0 && errno == ENOENT;
    }
    after_ = before_;
}

bool ProfileEdit::set(std::string_view section, std::string_view key, std::string_view value) {
    if (!ini::isWritable(section, key, value)) return false;
    after_ = ini::setValue(after_, section, key, value);
    return true;
}

bool ProfileEdit::remove(std::string_view section, std::string_view key) {
    if (!ini::isWritable(section, key, "")) return false;
    after_ = ini::removeKey(after_, section, key);
    return true;
}

bool ProfileEdit::commit() {
    if (!readable_) return false;
    if (after_ == before_) return true;
    if (!replaceFileAtomically(file_, after_)) return false;
    before_ = after_;
    return true;
}

bool writeProfileString(const std::filesystem::path &file, std::string_view section,
                        std::string_view key, std::string_view value) {
    ProfileEdit edit(file);
    return edit.set(section, key, value) && edit.commit();
}

bool deleteProfileKey(const std::filesystem::path &file, std::string_view section,
                      std::string_view key) {
    ProfileEdit edit(file);
    return edit.remove(section, key) && edit.commit();
}

} // namespace tarvo::settings
