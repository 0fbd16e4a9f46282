// What launching and ending the registered programs needs from the platform and the settings.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace tarvo {

class ProgramLauncher {
  public:
    virtual ~ProgramLauncher() = default;
    // Starts `path` with `options` and returns at once: the new process's id, or 0 when it
    // could not be started. Nothing is reported to the user either way.
    virtual std::int32_t launch(const QString &path, const QString &options) = 0;
    // A plain file: folders and other special files do not count.
    virtual bool isPlainFile(const QString &path) const = 0;
    // Asks those of `pids` that are programs of ours and still running to close. Returns at once;
    // a program that refuses keeps running.
    virtual void askToClose(const std::vector<std::int32_t> &pids) = 0;
};

// TimerStart: a period of 0 stops it.
class LaunchTimer {
  public:
    virtual ~LaunchTimer() = default;
    virtual void setPeriod(int periodMs) = 0;
};

// The registered-program keys of [ConnectionStart]; slots count from 0.
class ProgramSettings {
  public:
    virtual ~ProgramSettings() = default;
    virtual int End() const = 0;
    virtual int Time() const = 0;
    virtual int CStartDirData(int slot) const = 0;
    virtual QString StartDirData(int slot) const = 0;
    virtual QString StartOptData(int slot) const = 0;
};

} // namespace tarvo
