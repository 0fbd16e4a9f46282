// Where the settings file lies: in the program's own folder.
#pragma once

#include <string>
#include <string_view>

namespace tarvo::settings {

constexpr char kPathSeparator = '/';
constexpr std::string_view kSettingsFileName = "InitData.ini";

// The separator to put between the folder and a file name: none when the folder already ends in
// one (the root folder), so that no path ever has it doubled.
std::string_view PathSep(std::string_view folder);

std::string SettingsPath(std::string_view folder);

} // namespace tarvo::settings
