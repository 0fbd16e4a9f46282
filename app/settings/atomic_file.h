// Replacing a whole file so that a crash, a power cut or a full disk leaves either the old file
// or the new one, never a mix of both.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <sys/types.h>

namespace tarvo::settings {

// Writes `bytes` to a temporary file beside `file` with the old file's mode (0600 when there is
// none) and owner, flushes it to the disk, renames it over `file` and flushes the folder. A
// symbolic link is followed, so the file it names is the one replaced. False, with `file` as it
// was, when any step fails or when an existing `file` is not writable by this user.
bool replaceFileAtomically(const std::filesystem::path &file, std::string_view bytes);

// The write(2) a replace goes through. Tests swap in one that fails part-way.
using WriteCall = ssize_t (*)(int fd, const void *data, std::size_t size);
class ScopedWriteCall {
  public:
    explicit ScopedWriteCall(WriteCall call);
    ~ScopedWriteCall();
    ScopedWriteCall(const ScopedWriteCall &) = delete;
    ScopedWriteCall &operator=(const ScopedWriteCall &) = delete;

  private:
    WriteCall previous_;
};

} // namespace tarvo::settings
