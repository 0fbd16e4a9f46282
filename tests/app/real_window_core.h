#pragma once

#include "core_fakes.h"
#include "frm_main.h"
#include "frm_msg.h"

namespace tarvo::testing {

// The core on the real main and cancel windows, with everything else faked: for tests of what
// the windows show and what their entries do.
struct RealWindowCore {
    FakeClock clock;
    FakeEvents events{clock};
    FakeWindowMessages windowMessages;
    FakeLibrary library{events, clock, windowMessages};
    FrmMain window;
    FrmMsg cancelWindow{&window};
    FakeMessages messages;
    FakeTray tray;
    FakeHelp help;
    FakeSettings settings;
    FakeServices services;
    BasMain core{CorePorts{library, window, cancelWindow, messages, clock, events, tray,
                           windowMessages, help, settings, services}};
};

} // namespace tarvo::testing
