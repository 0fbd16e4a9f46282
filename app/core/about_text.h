#pragma once

#include "core_state.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tarvo {

// What the system tells about itself for the About dialog. A value the system would not give
// stays empty, and its line shows the label alone.
struct SystemFacts {
    QString systemName;    // "Linux"
    QString kernelRelease; // as uname gives it: "6.1.0-18-amd64"
    QString cpuModel;
    std::optional<std::uint64_t> physicalTotal; // bytes
    std::optional<std::uint64_t> physicalAvailable;
    std::optional<std::uint64_t> addressSpaceTotal; // the process's limit
    std::optional<std::uint64_t> addressSpaceAvailable;
    int screenWidth = 0; // pixels
    int screenHeight = 0;
    QString hostName;
    QString lanAddress; // of the interface that carries the route to the router
};

struct AboutInputs {
    SystemFacts system;
    QString libraryFileName;
    std::int32_t libraryVersion = 0;
    ConnectionInfo info;
    QString dataFolder;
};

// "6.1(Build:0)" from "6.1.0-18-amd64": the first three numbers of the release.
QString KernelVersionText(const QString &release);
// Kilobytes from bytes, with a fraction only when there is one.
QString KilobytesText(std::uint64_t bytes);
// 66048 (0x00010200) gives "1.0200".
QString LibraryVersionText(std::int32_t version);
// The router's connection time (tenths of a second) as hours, minutes and seconds:
// "37250" gives "1時間02分05秒"; empty for an empty text.
QString ConnectTimeDisplay(const QString &connectTimeText);

// The lines of the About dialog's information text, in their fixed order.
QStringList AboutLines(const AboutInputs &inputs);
// The lines joined by CR LF, without one after the last.
QString AboutDescription(const AboutInputs &inputs);

// The About dialog's minute counter: what one tick of its one-minute timer does.
class AboutRefreshCounter {
  public:
    enum class Action { None, Refresh, Stop };
    Action tick(int aboutWatch, int aboutWatchTime);
    void reset() { count_ = 0; }
    int count() const { return count_; }

  private:
    int count_ = 0;
};

} // namespace tarvo
