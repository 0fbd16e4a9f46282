#pragma once

#include "program_ports.h"

#include <array>
#include <cstdint>

namespace tarvo {

// Up to five registered programs: started one after another after a connection or from the tray
// menu, and asked to close again when the line drops or the program ends.
class RegisteredPrograms {
  public:
    struct Ports {
        ProgramLauncher &launcher;
        LaunchTimer &timerStart;
        ProgramSettings &settings;
    };

    static constexpr int kSlots = 5;

    explicit RegisteredPrograms(Ports ports) : p_(ports) {}

    // Starts the program of `slot` now, whether or not it is enabled or exists.
    void LaunchProgram(int slot);
    // The sequence looks at the slots from the first one on, beginning `periodMs` from now.
    void StartLaunchSequence(int periodMs);
    void LaunchTick();
    // Asks the launched programs to close, when the settings want that.
    void EndPrograms();

    // The next slot the sequence looks at; kSlots or more once it is past the last one.
    int LaunchIndex = 0;
    // The process last started for each slot, 0 while none was.
    std::array<std::int32_t, kSlots> LaunchedPid{};

  private:
    Ports p_;
};

} // namespace tarvo
