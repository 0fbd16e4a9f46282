// Receives the library's completion messages through winmsg and lets the caller wait for one.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace qscli {

struct Completion {
    uint32_t message = 0;
    int32_t wparam = 0;
    int32_t lparam = 0;
};

class CompletionInbox {
  public:
    CompletionInbox();
    ~CompletionInbox();
    CompletionInbox(const CompletionInbox &) = delete;
    CompletionInbox &operator=(const CompletionInbox &) = delete;

    uint32_t window() const { return window_; }
    // The next completion carrying message, or nothing when timeout passes first.
    std::optional<Completion> wait(uint32_t message, std::chrono::milliseconds timeout);

  private:
    static void receive(void *ctx, uint32_t window, uint32_t message, int32_t w, int32_t l);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Completion> queue_;
    uint32_t window_ = 0;
};

} // namespace qscli
