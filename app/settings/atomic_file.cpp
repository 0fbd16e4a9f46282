#include "atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::settings {

namespace {

WriteCall g_write = [](int fd, const void *data, std::size_t size) -> ssize_t {
    return ::write(fd, data, size);
};

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = g_write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The file a replace must land on: the target of a link, so that a linked settings file stays
// linked rather than being turned into a file of its own.
std::string resolveTarget(const std::filesystem::path &file) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return file.string();
    char resolved[PATH_MAX];
    if (::realpath(file.c_str(), resolved) != nullptr) return resolved;
    // A dangling link: the file it names is created.
    std::string link(PATH_MAX, '\0');
    ssize_t n = ::readlink(file.c_str(), link.data(), link.size() - 1);
    if (n <= 0) return file.string();
    link.resize(static_cast<std::size_t>(n));
    std::filesystem::path target(link);
    return target.is_absolute() ? link : (file.parent_path() / target).string();
}

void syncFolder(const std::string &folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename has happened either way; some file systems cannot flush a folder at all.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

ScopedWriteCall::ScopedWriteCall(WriteCall call) : previous_(g_write) {
    g_write = call;
}

ScopedWriteCall::~ScopedWriteCall() {
    g_write = previous_;
}

bool replaceFileAtomically(const std::filesystem::path &file, std::string_view bytes) {
    const std::string target = resolveTarget(file);
    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty()) folder = ".";

    mode_t mode = 0600;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        // A settings file the user made read-only stays as it is, as it did when it was
        // written in place.
        if (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0) return false;
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string temp =
        folder + "/." + std::filesystem::path(target).filename().string() + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    // Someone else's file (root saving a user's settings) keeps its owner; when that is not
    // allowed the file stays the writer's, which can still read it.
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)::fchown(fd, old.st_uid, old.st_gid);
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace tarvo::settings
