#include "settings_path.h"

namespace tarvo::settings {

std::string_view PathSep(std::string_view folder) {
    return !folder.empty() && folder.back() == kPathSeparator ? "" : "/";
}

std::string SettingsPath(std::string_view folder) {
    std::string path(folder);
    path += PathSep(folder);
    path += kSettingsFileName;
    return path;
}

} // namespace tarvo::settings
