// Completion messages of the library, received through winmsg as a window would get them.
#pragma once

#include "winmsg/winmsg.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace qs::lab {

struct Message {
    uint32_t message;
    int32_t wparam, lparam;
    bool operator==(const Message &) const = default;
};

class Inbox {
  public:
    Inbox() : window_(winmsg_register(&Inbox::receive, this)) {}
    ~Inbox() { winmsg_unregister(window_); }
    Inbox(const Inbox &) = delete;
    Inbox &operator=(const Inbox &) = delete;

    uint32_t window() const { return window_; }

    std::optional<Message> next(std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, limit, [&] { return !queue_.empty(); })) return std::nullopt;
        Message m = queue_.front();
        queue_.pop_front();
        return m;
    }
    size_t pending() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

  private:
    static void receive(void *ctx, uint32_t, uint32_t message, int32_t w, int32_t l) {
        auto *self = static_cast<Inbox *>(ctx);
        {
            std::lock_guard lock(self->mutex_);
            self->queue_.push_back(Message{message, w, l});
        }
        self->cv_.notify_all();
    }
    uint32_t window_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Message> queue_;
};

} // namespace qs::lab
