#include "linux_program_launcher.h"

#include "command_line_split.h"
#include "x11_close_requests.h"

#include <QFile>
#include <filesystem>
#include <system_error>

namespace tarvo {

std::int32_t LinuxProgramLauncher::launch(const QString &path, const QString &options) {
    // The path names the program as a whole, spaces and all; only the options are words.
    const auto arguments = SplitCommandLine(options.toStdString());
    if (!arguments || path.isEmpty()) return 0;
    return children_.spawn(QFile::encodeName(path).toStdString(), *arguments);
}

bool LinuxProgramLauncher::isPlainFile(const QString &path) const {
    std::error_code ec;
    return !path.isEmpty() &&
           std::filesystem::is_regular_file(QFile::encodeName(path).toStdString(), ec);
}

LinuxProgramLauncher::CloseReport
LinuxProgramLauncher::closePrograms(const std::vector<std::int32_t> &pids) {
    CloseReport report;
    const std::vector<pid_t> wanted(pids.begin(), pids.end());
    const std::vector<pid_t> alive = children_.running(wanted);
    if (alive.empty()) return report;
    report.windowsAsked = AskX11WindowsToClose(std::set<pid_t>(alive.begin(), alive.end()));
    // A program with no window to close (or no X display to find it on) is asked the way a
    // session's end asks it.
    for (pid_t pid : alive)
        if (!report.windowsAsked.count(pid) && children_.terminate(pid))
            report.terminated.insert(pid);
    return report;
}

} // namespace tarvo
