// The library's one lock type: a critical section on Windows, a mutex elsewhere. Both meet the
// standard's Lockable requirements, so std::lock_guard works with either.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace qs {

class Lock {
  public:
    Lock() { InitializeCriticalSection(&section_); }
    ~Lock() { DeleteCriticalSection(&section_); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
    void lock() { EnterCriticalSection(&section_); }
    bool try_lock() { return TryEnterCriticalSection(&section_) != 0; }
    void unlock() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

} // namespace qs
#else
#include <mutex>

namespace qs {
using Lock = std::mutex;
} // namespace qs
#endif
