#pragma once

#include "child_processes.h"
#include "program_ports.h"
#include "qt_query_timer.h"

#include <QPointer>
#include <QTimer>
#include <set>

namespace tarvo {

// Registered programs on Linux: started without a shell, closed only while they are children of
// ours that still run, politely (window close requests), never killed.
class LinuxProgramLauncher : public ProgramLauncher {
  public:
    // What one close request did.
    struct CloseReport {
        std::set<pid_t> windowsAsked; // got a close request on their X11 windows
        std::set<pid_t> terminated;   // showed no window: got SIGTERM
    };

    std::int32_t launch(const QString &path, const QString &options) override;
    bool isPlainFile(const QString &path) const override;
    void askToClose(const std::vector<std::int32_t> &pids) override { closePrograms(pids); }

    CloseReport closePrograms(const std::vector<std::int32_t> &pids);
    ChildProcesses &children() { return children_; }

  private:
    ChildProcesses children_;
};

// TimerStart, driven by period.
using QtLaunchTimer = QtPeriodTimer<LaunchTimer>;

} // namespace tarvo
