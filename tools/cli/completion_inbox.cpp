#include "completion_inbox.h"

#include "winmsg/winmsg.h"

#include <stdexcept>

namespace qscli {

CompletionInbox::CompletionInbox() {
    window_ = winmsg_register(&CompletionInbox::receive, this);
    if (window_ == 0) throw std::runtime_error("cannot register a message window");
}

CompletionInbox::~CompletionInbox() {
    winmsg_unregister(window_);
}

void CompletionInbox::receive(void *ctx, uint32_t, uint32_t message, int32_t w, int32_t l) {
    auto *self = static_cast<CompletionInbox *>(ctx);
    {
        std::lock_guard lock(self->mutex_);
        self->queue_.push_back(Completion{message, w, l});
    }
    self->arrived_.notify_all();
}

std::optional<Completion> CompletionInbox::wait(uint32_t message,
                                                std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    std::optional<Completion> found;
    auto take = [&] {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->message == message) {
                found = *it;
                queue_.erase(it);
                return true;
            }
        }
        return false;
    };
    arrived_.wait_for(lock, timeout, take);
    return found;
}

} // namespace qscli
