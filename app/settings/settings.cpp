#include "settings.h"

#include "cp932.h"
#include "menu_rules.h"
#include "password_codec.h"
#include "password_text.h"
#include "profile_file.h"
#include "settings_path.h"

#include <limits>

namespace tarvo::settings {

namespace {

std::string trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return std::string(s);
}

// Reading takes one pair of matching outer quotes off a value. A text that has such a pair of its
// own, as a quoted path or option often does, is given one more pair so that it reads back whole.
std::string protectQuotes(std::string bytes) {
    if (bytes.size() >= 2 && (bytes.front() == '"' || bytes.front() == '\'') &&
        bytes.back() == bytes.front())
        return bytes.front() + bytes + bytes.back();
    return bytes;
}

// Reads the keys of one section in order and stops for good at the first one it cannot take.
class KeyLoader {
  public:
    KeyLoader(std::string path, std::string_view section)
        : path_(std::move(path)), section_(section) {}

    void int16(std::string_view key, std::int16_t &field, std::int16_t fallback) {
        number(key, field, fallback);
    }
    void int32(std::string_view key, std::int32_t &field, std::int32_t fallback) {
        number(key, field, fallback);
    }

    // Whole values, not the 79 bytes a Windows buffer of 80 would take: a cut path or password
    // would be written back cut by the next save, and the rest would be lost for good.
    void text(std::string_view key, std::string &field, std::string_view fallback) {
        if (failed_) return;
        std::optional<std::string> stored = readProfileValue(path_, section_, key);
        field = trimSpaces(stored ? cp932::toUtf8(*stored) : std::string(fallback));
    }

    void sparseInt16(std::string_view key, std::int16_t &field) { number(key, field, {}); }

    void password(std::string_view key, std::string &field) {
        if (failed_) return;
        std::optional<std::string> plain =
            DecodePassword(readProfileValue(path_, section_, key).value_or(""));
        if (!plain) {
            failed_ = true;
            return;
        }
        field = passwordText(*plain);
    }

    bool failed() const { return failed_; }

  private:
    template <class Int> void number(std::string_view key, Int &field, Int fallback) {
        if (failed_) return;
        std::int64_t value = readProfileInt(path_, section_, key, fallback);
        if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) {
            failed_ = true;
            return;
        }
        field = static_cast<Int>(value);
    }

    std::string path_;
    std::string_view section_;
    bool failed_ = false;
};

// Sets every key of one section in order on one edit of the file; remembers whether any key
// could not be set. The edit is written as a whole by its owner.
class KeySaver {
  public:
    KeySaver(ProfileEdit &edit, std::string_view section) : edit_(edit), section_(section) {}

    void int16(std::string_view key, std::int16_t &field, std::int16_t) {
        write(key, std::to_string(field));
    }
    void int32(std::string_view key, std::int32_t &field, std::int32_t) {
        write(key, std::to_string(field));
    }
    // A key kept out of the file while it is 0, so that the file of a user who never turns it
    // on stays as it was.
    void sparseInt16(std::string_view key, std::int16_t &field) {
        if (field != 0)
            write(key, std::to_string(field));
        else if (!edit_.remove(section_, key))
            failed_ = true;
    }
    // A text with no Shift-JIS form is not written at all rather than written changed: the file
    // keeps the last value it could hold.
    void text(std::string_view key, std::string &field, std::string_view) {
        std::optional<std::string> bytes = cp932::fromUtf8(field);
        if (!bytes) {
            failed_ = true;
            return;
        }
        write(key, protectQuotes(*bytes));
    }
    void password(std::string_view key, std::string &field) {
        std::optional<std::string> bytes = passwordBytes(field);
        if (!bytes) {
            failed_ = true;
            return;
        }
        write(key, EncodePassword(*bytes));
    }

    bool failed() const { return failed_; }

  private:
    void write(std::string_view key, const std::string &bytes) {
        if (!edit_.set(section_, key, bytes)) failed_ = true;
    }

    ProfileEdit &edit_;
    std::string_view section_;
    bool failed_ = false;
};

std::int16_t status(bool failed) {
    return failed ? -1 : 0;
}

} // namespace

std::string VersionText(const ProgramVersion &version) {
    return "ﾊﾞｰｼﾞｮﾝ " + std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

Settings::Settings(std::string programFolder, ProgramVersion version, SettingsEffects &effects)
    : Settings(programFolder, programFolder, version, effects) {}

Settings::Settings(std::string dataFolder, std::string programFolder, ProgramVersion version,
                   SettingsEffects &effects)
    : dataFolder_(std::move(dataFolder)), programFolder_(std::move(programFolder)),
      version_(version), effects_(effects) {}

std::string Settings::settingsPath() const {
    return SettingsPath(dataFolder_);
}

std::string Settings::registeredProgramDefault() const {
    std::string folder = programFolder_;
    if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

// Written from the running program's version, not from the field, so that a save is right even
// before the first LoadStandard.
bool Settings::writeVer(ProfileEdit &edit) {
    std::optional<std::string> bytes = cp932::fromUtf8(VersionText(version_));
    return bytes && edit.set("Standard", "Ver", *bytes);
}

// `Ver` and one section in one replace of the file: a save that fails part-way leaves the file
// exactly as it was.
template <class Keys, class... Extra>
std::int16_t Settings::saveGroup(std::string_view section, Keys &keys, Extra &&...extra) {
    ProfileEdit edit(settingsPath());
    bool verSet = writeVer(edit);
    KeySaver saver(edit, section);
    visitKeys(keys, saver, std::forward<Extra>(extra)...);
    bool committed = edit.commit();
    return status(!verSet || saver.failed() || !committed);
}

std::int16_t Settings::LoadStandard() {
    Standard.Ver = VersionText(version_);
    KeyLoader loader(settingsPath(), "Standard");
    visitKeys(Standard, loader);
    return status(loader.failed());
}

std::int16_t Settings::SaveStandard() {
    return saveGroup("Standard", Standard);
}

std::int16_t Settings::LoadConnectionStart() {
    KeyLoader loader(settingsPath(), "ConnectionStart");
    visitKeys(ConnectionStart, loader, registeredProgramDefault());
    if (loader.failed()) return -1;
    effects_.showStartMenu(startMenuFor(ConnectionStart));
    return 0;
}

std::int16_t Settings::SaveConnectionStart() {
    return saveGroup("ConnectionStart", ConnectionStart, registeredProgramDefault());
}

std::int16_t Settings::LoadWatch() {
    KeyLoader loader(settingsPath(), "Watch");
    visitKeys(Watch, loader);
    if (loader.failed()) return -1;
    effects_.fillTimeServerList();
    const std::pair<std::int16_t, WatchTimer> switches[] = {
        {Watch.Watch, WatchTimer::Connection},
        {Watch.Watch2, WatchTimer::Clock},
        {Watch.CorvastineWatch, WatchTimer::RouterSearch},
    };
    for (const auto &[on, timer] : switches) {
        if (on != 0)
            effects_.armWatchTimer(timer);
        else
            effects_.stopWatchTimer(timer);
    }
    return 0;
}

std::int16_t Settings::SaveWatch() {
    return saveGroup("Watch", Watch);
}

std::int16_t Settings::LoadPopMun() {
    KeyLoader loader(settingsPath(), "PopMun");
    visitKeys(PopMun, loader);
    if (loader.failed()) return -1;
    effects_.showPopupMenus(popupMenusFor(PopMun));
    return 0;
}

std::int16_t Settings::SavePopMun() {
    return saveGroup("PopMun", PopMun);
}

std::int16_t Settings::LoadOther() {
    KeyLoader loader(settingsPath(), "Other");
    visitKeys(Other, loader);
    if (loader.failed()) return -1;
    effects_.setMonitorGeometry(
        {Other.MonitorPoint1, Other.MonitorPoint2, Other.MonitorPoint3, Other.MonitorPoint4});
    if (Other.MonitorPoint != historyPoints_) {
        // An array cannot end below index 0: a negative count from an edited file leaves the
        // history as it is.
        if (Other.MonitorPoint < 0) return -1;
        effects_.recreateTrafficHistory(Other.MonitorPoint);
        historyPoints_ = Other.MonitorPoint;
    }
    return 0;
}

std::int16_t Settings::SaveOther() {
    return saveGroup("Other", Other);
}

} // namespace tarvo::settings
