#include "registered_programs.h"

#include <vector>

namespace tarvo {

void RegisteredPrograms::LaunchProgram(int slot) {
    if (slot < 0 || slot >= kSlots) return;
    const std::int32_t pid =
        p_.launcher.launch(p_.settings.StartDirData(slot), p_.settings.StartOptData(slot));
    // A start that failed keeps the id of the slot's last program: a 0 here would forget a
    // program that may still be running and that the user expects to be closed.
    if (pid > 0) LaunchedPid[static_cast<std::size_t>(slot)] = pid;
}

void RegisteredPrograms::StartLaunchSequence(int periodMs) {
    LaunchIndex = 0;
    p_.timerStart.setPeriod(periodMs);
}

void RegisteredPrograms::LaunchTick() {
    // A slot that is off or whose file is gone costs no turn of the timer.
    while (LaunchIndex < kSlots) {
        if (p_.settings.CStartDirData(LaunchIndex) == 1 &&
            p_.launcher.isPlainFile(p_.settings.StartDirData(LaunchIndex)))
            break;
        ++LaunchIndex;
    }
    if (LaunchIndex >= kSlots) {
        LaunchIndex = 0;
        p_.timerStart.setPeriod(0);
        return;
    }
    LaunchProgram(LaunchIndex);
    ++LaunchIndex;
    // Up to 32767 s between two programs: the product needs 32 bits. A negative interval is
    // no interval, like 0: the sequence ends with this program.
    const std::int32_t periodMs = static_cast<std::int32_t>(p_.settings.Time()) * 1000;
    p_.timerStart.setPeriod(periodMs > 0 ? periodMs : 0);
}

void RegisteredPrograms::EndPrograms() {
    if (p_.settings.End() != 1) return;
    std::vector<std::int32_t> pids;
    for (std::int32_t pid : LaunchedPid)
        if (pid != 0) pids.push_back(pid);
    if (!pids.empty()) p_.launcher.askToClose(pids);
}

} // namespace tarvo
