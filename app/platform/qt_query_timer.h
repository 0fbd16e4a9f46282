#pragma once

#include "clock_ports.h"

#include <QPointer>
#include <QTimer>

namespace tarvo {

// One of the main window's timers, driven by period as the program's design drives its timers:
// a period of 0 stops it. `Port` is the core's interface for that timer.
template <class Port> class QtPeriodTimer : public Port {
  public:
    explicit QtPeriodTimer(QTimer *timer) : timer_(timer) {}
    void setPeriod(int periodMs) override {
        if (!timer_) return;
        if (periodMs > 0)
            timer_->start(periodMs);
        else
            timer_->stop();
    }

  private:
    QPointer<QTimer> timer_;
};

using QtQueryTimer = QtPeriodTimer<QueryTimer>;

} // namespace tarvo
