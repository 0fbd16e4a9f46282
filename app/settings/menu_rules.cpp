#include "menu_rules.h"

#include "settings_path.h"

#include <filesystem>
#include <system_error>

namespace tarvo::settings {

std::string fileNamePart(std::string_view path) {
    std::size_t sep = path.rfind(kPathSeparator);
    return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

StartMenuView startMenuFor(const ConnectionStartKeys &keys) {
    StartMenuView view;
    bool anyShown = false;
    for (std::size_t i = 0; i < view.programs.size(); ++i) {
        std::error_code ec;
        const std::string &path = keys.StartDirData[i];
        bool isFile = !path.empty() && std::filesystem::is_regular_file(path, ec);
        bool listed = keys.CStartDirData[i] == 1 || keys.StartMunDisp == 1;
        if (isFile && listed && keys.Start == 1) {
            view.programs[i] = fileNamePart(path);
            anyShown = true;
        }
    }
    if ((keys.GoStart != 0 || keys.GoEnd != 0) && keys.Start != 0 && anyShown) {
        view.startAll = keys.GoStart == 1;
        view.endAll = keys.GoEnd == 1 && keys.End == 1;
        view.separator = view.startAll || view.endAll;
    }
    return view;
}

PopupMenuView popupMenusFor(const PopMunKeys &keys) {
    PopupMenuView view;
    view.start = keys.Start == 1;
    view.getIp = keys.GetIP == 1;
    view.ipFtp = keys.IPFTP == 1;
    view.getLocalIp = keys.GetLocalIP == 1;
    view.localIpFtp = keys.LocalIPFTP == 1;
    view.monitor = keys.Monitor == 1;
    view.about = keys.About == 1;
    view.help = keys.Help == 1;
    // The separators go by "nonzero", the entries by "equal to 1": a stored 2 shows a separator
    // above entries that stay hidden.
    view.separatorAboveGetIp = keys.GetIP != 0 || keys.IPFTP != 0;
    view.separatorAboveGetLocalIp = keys.GetLocalIP != 0 || keys.LocalIPFTP != 0;
    view.separatorAboveMonitor = keys.Monitor != 0 || keys.About != 0 || keys.Help != 0;
    if (keys.MGetIP != 0 || keys.MLocalIPFTP != 0) {
        view.ipMenuGetIp = keys.MGetIP == 1;
        view.ipMenuGetLocalIp = keys.MLocalIPFTP == 1;
        view.ipMenuSeparator = false;
    } else {
        view.ipMenuSeparator = true;
    }
    return view;
}

} // namespace tarvo::settings
