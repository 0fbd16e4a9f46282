#pragma once

#include "bas_main.h"
#include "settings_effects.h"

#include <QTime>
#include <array>
#include <cstdint>

namespace tarvo {

// The flat-rate night hours run from 23:00 to 07:55:59, whatever StartTime and EndTime say.
bool InFlatRateHours(const QTime &now);

// What the program does on its own: the scheduled connect and hang-up with the end that may
// follow, and the three minute watches (connection, clock, router search).
class Schedule {
  public:
    struct Ports {
        BasMain &core;
        MainWindowPort &window;
        CancelWindowPort &cancelWindow;
        CoreSettings &settings;
        WallClock &clock;
        CoreServices &services;
        SessionEndPort &sessionEnd;
    };
    using WatchTimer = settings::WatchTimer;

    explicit Schedule(Ports ports) : p_(ports) {}

    bool InFlatRateHours() const;

    // The one-second tick of `Timer`.
    void ScheduleTick();

    // Loading the watch settings started the timer: its minute counter begins at 1.
    void ArmCounter(WatchTimer timer);
    // A minute tick of TimerWatch, TimerWatch2 or TimerWatch5.
    void WatchTick(WatchTimer timer);

    // False when another sequence turned the watch away.
    bool WatchConnection();
    bool WatchClock();
    bool RouterWatch();
    void EndWindows();

    std::int16_t WatchCount = 0;
    std::int16_t ClockCorrectionTick = 0;
    std::int16_t WatchCount5 = 0;

  private:
    std::int16_t &counter(WatchTimer timer);
    int interval(WatchTimer timer) const;
    void runWatch(WatchTimer timer);
    void retryTurnedAwayWatches();
    // Each false when another sequence turned the step away.
    bool scheduledConnect();
    bool scheduledDisconnect(bool &end);
    void endAndShutDown();

    Ports p_;
    std::array<bool, 3> turnedAway_{};
    // A scheduled dial or hang-up whose minute came while another sequence held the line. It is
    // kept until the line is free, even past its minute: the poll of an open monitor or dialog
    // must never cost the night its dial or its hang-up.
    bool connectDue_ = false;
    bool hangUpDue_ = false;
};

} // namespace tarvo
