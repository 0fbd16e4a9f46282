#pragma once

#include "settings_effects.h"

#include <functional>

namespace tarvo {

class FrmMain;

// What loading the settings does to the main window's menus and timers.
class MenuSettingsEffects : public settings::SettingsEffects {
  public:
    explicit MenuSettingsEffects(FrmMain &window) : window_(window) {}

    void showStartMenu(const settings::StartMenuView &view) override;
    void fillTimeServerList() override;
    void armWatchTimer(settings::WatchTimer timer) override;
    void stopWatchTimer(settings::WatchTimer timer) override;
    void showPopupMenus(const settings::PopupMenuView &view) override;
    void setMonitorGeometry(const settings::MonitorGeometry &geometry) override {
        if (monitorGeometry) monitorGeometry(geometry);
    }
    void recreateTrafficHistory(int lastIndex) override {
        if (trafficHistory) trafficHistory(lastIndex);
    }

    // The schedule's minute counters and the clock correction's server list.
    std::function<void(settings::WatchTimer)> watchArmed;
    std::function<void()> timeServersFilled;
    // The traffic monitor's remembered position and its history's point count.
    std::function<void(const settings::MonitorGeometry &)> monitorGeometry;
    std::function<void(int)> trafficHistory;

  private:
    FrmMain &window_;
};

} // namespace tarvo
