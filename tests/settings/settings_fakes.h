// A record of every effect a load has on the program, and a private folder for the settings file.
#pragma once

#include "settings.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace settings_test {

using namespace tarvo::settings;

struct FakeEffects : SettingsEffects {
    std::vector<StartMenuView> startMenus;
    int timeServerFills = 0;
    std::vector<std::pair<WatchTimer, bool>> timerCalls; // true: armed, false: stopped
    std::vector<PopupMenuView> popupMenus;
    std::vector<MonitorGeometry> geometries;
    std::vector<int> historyRecreations;

    void showStartMenu(const StartMenuView &view) override { startMenus.push_back(view); }
    void fillTimeServerList() override { ++timeServerFills; }
    void armWatchTimer(WatchTimer t) override { timerCalls.emplace_back(t, true); }
    void stopWatchTimer(WatchTimer t) override { timerCalls.emplace_back(t, false); }
    void showPopupMenus(const PopupMenuView &view) override { popupMenus.push_back(view); }
    void setMonitorGeometry(const MonitorGeometry &g) override { geometries.push_back(g); }
    void recreateTrafficHistory(int lastIndex) override { historyRecreations.push_back(lastIndex); }

    bool untouched() const {
        return startMenus.empty() && timeServerFills == 0 && timerCalls.empty() &&
               popupMenus.empty() && geometries.empty() && historyRecreations.empty();
    }
};

class TempFolder {
  public:
    explicit TempFolder(const std::string &tag) {
        path_ =
            std::filesystem::temp_directory_path() /
            ("tarvo_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter()++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path &path() const { return path_; }

  private:
    static int &counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeBytes(const std::filesystem::path &p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

} // namespace settings_test
