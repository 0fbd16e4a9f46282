#pragma once

#include <QString>
#include <memory>

namespace tarvo {

class SessionEndPort;
class WallClock;

// Everything the running program is made of, wired together.
class TarvoProgram {
  public:
    // What a test may put in place of the machine's own. Empty or null: the real thing.
    struct Options {
        // The folder of the settings file and the log, instead of the one chosen at start-up.
        QString dataFolder;
        // The PC's calendar clock, so that a test can put the PC at any time of day.
        WallClock *wallClock = nullptr;
        // Where the end actions go, instead of logind on the system bus.
        SessionEndPort *sessionEnd = nullptr;
    };

    TarvoProgram();
    explicit TarvoProgram(Options options);
    ~TarvoProgram();
    TarvoProgram(const TarvoProgram &) = delete;
    TarvoProgram &operator=(const TarvoProgram &) = delete;

    // Start-up up to the shown window; false when the program has already ended.
    bool start();
    // Brings the window to the front for a second start of the program. Ignored until start-up
    // has shown the window: before that the settings are not loaded, and the library may be
    // missing.
    void activate();
    // True once shutdown has begun.
    bool ended() const;

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    bool started_ = false;
};

} // namespace tarvo
