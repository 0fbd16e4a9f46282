// The program-wide settings store and its ten group operations, one pair per section of
// InitData.ini. Every other part of the program reads and changes the fields; only these
// operations touch the file.
#pragma once

#include "settings_effects.h"
#include "settings_keys.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::settings {

class ProfileEdit;

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// "ﾊﾞｰｼﾞｮﾝ " followed by major.minor.revision.
std::string VersionText(const ProgramVersion &version);

// Group operations return 0 when the whole group was processed and -1 when it was not. A load
// stops at the first key it cannot take (a number out of its field's range, a stored password
// that does not decode): the keys before it have their new values, the keys from it on keep
// theirs, and the load's effects on the program are not applied. A save writes `Ver` and its
// section in one atomic replace of the file: a key that cannot be set is left out and the rest
// written, with -1; a file that cannot be written stays exactly as it was, with -1.
class Settings {
  public:
    // `programFolder` holds the settings file and is the default path of registered programs.
    Settings(std::string programFolder, ProgramVersion version, SettingsEffects &effects);
    // The settings file in `dataFolder`, for a program whose own folder cannot be written.
    Settings(std::string dataFolder, std::string programFolder, ProgramVersion version,
             SettingsEffects &effects);

    std::int16_t LoadStandard();
    std::int16_t SaveStandard();
    std::int16_t LoadConnectionStart();
    std::int16_t SaveConnectionStart();
    std::int16_t LoadWatch();
    std::int16_t SaveWatch();
    std::int16_t LoadPopMun();
    std::int16_t SavePopMun();
    std::int16_t LoadOther();
    std::int16_t SaveOther();

    std::string settingsPath() const;

    StandardKeys Standard;
    ConnectionStartKeys ConnectionStart;
    WatchKeys Watch;
    PopMunKeys PopMun;
    OtherKeys Other;

  private:
    bool writeVer(ProfileEdit &edit);
    template <class Keys, class... Extra>
    std::int16_t saveGroup(std::string_view section, Keys &keys, Extra &&...extra);
    std::string registeredProgramDefault() const;

    std::string dataFolder_;
    std::string programFolder_;
    ProgramVersion version_;
    SettingsEffects &effects_;
    int historyPoints_ = 0; // what the traffic history was last created for
};

} // namespace tarvo::settings
