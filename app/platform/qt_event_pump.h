#pragma once

#include "ports.h"

#include <QElapsedTimer>

namespace tarvo {

// Waits are nested passes of the Qt event loop that sleep in the event dispatcher: a long dial
// wait costs no CPU, and timers, menus and posted completions go on being handled.
class QtEventPump : public EventPump, public Clock {
  public:
    QtEventPump();
    std::int64_t nowMs() const override;
    void pump() override;
    void waitForEvents(std::optional<std::int64_t> deadlineMs) override;

  private:
    QElapsedTimer started_;
};

} // namespace tarvo
