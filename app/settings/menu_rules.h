// Which menu entries the loaded settings show. Pure rules, apart from looking at the disk for
// the registered programs.
#pragma once

#include "settings_effects.h"
#include "settings_keys.h"

#include <string>
#include <string_view>

namespace tarvo::settings {

// The text after the last path separator.
std::string fileNamePart(std::string_view path);

// An entry shows only for a regular file (a folder does not count), enabled or listed in full,
// and only while programs are launched at all.
StartMenuView startMenuFor(const ConnectionStartKeys &keys);

PopupMenuView popupMenusFor(const PopMunKeys &keys);

} // namespace tarvo::settings
