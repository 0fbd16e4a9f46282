// What loading settings changes in the running program. The program implements this interface;
// tests use a fake. The settings layer decides what to show and when; the program only applies.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvo::settings {

// The main window's start menu: one entry per registered program, and the entries that start
// or end all of them.
struct StartMenuView {
    std::array<std::optional<std::string>, 5> programs; // the caption of a shown entry
    bool startAll = false;                              // "連動起動"
    bool endAll = false;                                // "連動終了"
    bool separator = false;                             // the separator above those two
};

// The tray menu and the main window's IP menu. Separators not named here are left as they are.
struct PopupMenuView {
    bool start = false; // "スタート" and the separator below it
    bool getIp = false;
    bool ipFtp = false;
    bool getLocalIp = false;
    bool localIpFtp = false;
    bool monitor = false; // the entry that shows or hides the traffic monitor
    bool about = false;
    bool help = false;
    bool separatorAboveGetIp = false;
    bool separatorAboveGetLocalIp = false;
    bool separatorAboveMonitor = false;
    bool ipMenuGetIp = false;
    bool ipMenuGetLocalIp = false;
    bool ipMenuSeparator = false; // shown only so that the IP menu never ends up empty
};

enum class WatchTimer {
    Connection,   // TimerWatch with its counter WatchCount
    Clock,        // TimerWatch2 with ClockCorrectionTick
    RouterSearch, // TimerWatch5 with WatchCount5
};

struct MonitorGeometry {
    std::int32_t left = 0; // twips
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class SettingsEffects {
  public:
    virtual ~SettingsEffects() = default;

    virtual void showStartMenu(const StartMenuView &view) = 0;
    // Fills the time-server list from the built-in host names, in their fixed order.
    virtual void fillTimeServerList() = 0;
    // Period 60000 ms, minute counter set to 1.
    virtual void armWatchTimer(WatchTimer timer) = 0;
    // Period 0; the minute counter keeps its value.
    virtual void stopWatchTimer(WatchTimer timer) = 0;
    virtual void showPopupMenus(const PopupMenuView &view) = 0;
    virtual void setMonitorGeometry(const MonitorGeometry &geometry) = 0;
    // Both traffic history arrays anew with indices 0 to lastIndex, all zero.
    virtual void recreateTrafficHistory(int lastIndex) = 0;
};

} // namespace tarvo::settings
