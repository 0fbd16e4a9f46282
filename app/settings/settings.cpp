#include "settings.h"

#include "cp932.h"
#include "menu_rules.h"
#include "password_codec.h"
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
    void sparseInt16(std::string_view key, std::int16_t &field) {
        number(key, field, std::int16_t{0});
    }

    // Whole values, not the 79 bytes a Windows buffer of 80 would take: a cut path or password
    // would be written back cut by the next save, and the rest would be lost for good.
    void text(std::string_view key, std::string &field, std::string_view fallback) {
        if (failed_) return;
        std::optional<std::string> stored = readProfileValue(path_, section_, key);
        field = trimSpaces(stored ? cp932::toUtf8(*stored) : std::string(fallback));
    }

    void password(std::string_view key, std::string &field) {
        if (failed_) return;
        std::optional<std::string> plain =
            DecodePassword(readProfileValue(path_, section_, key).value_or(""));
        if (!plain) {
            failed_ = true;
            return;
        }
        field = cp932::toUtf8(*plain);
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

// Writes every key of one section in order; remembers whether any write failed.
class KeySaver {
  public:
    KeySaver(std::string path, std::string_view section)
        : path_(std::move(path)), section_(section) {}

    void int16(std::string_view key, std::int16_t &field, std::int16_t) {
        write(key, std::to_string(field));
    }
    void int32(std::string_view key, std::int32_t &field, std::int32_t) {
        write(key, std::to_string(field));
    }
    // Back at 0 the key leaves the file, which is then what it was before the key was set.
    void sparseInt16(std::string_view key, std::int16_t &field) {
        if (field != 0)
            write(key, std::to_string(field));
        else if (!deleteProfileKey(path_, section_, key))
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
        std::optional<std::string> bytes = cp932::fromUtf8(field);
        if (!bytes) {
            failed_ = true;
            return;
        }
        write(key, EncodePassword(*bytes));
    }

    bool failed() const { return failed_; }

  private:
    void write(std::string_view key, const std::string &bytes) {
        if (!writeProfileString(path_, section_, key, bytes)) failed_ = true;
    }

    std::string path_;
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
    : programFolder_(std::move(programFolder)), version_(version), effects_(effects) {}

std::string Settings::settingsPath() const {
    return SettingsPath(programFolder_);
}

std::string Settings::registeredProgramDefault() const {
    std::string folder = programFolder_;
    if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
    return folder;
}

// Written from the running program's version, not from the field, so that a save is right even
// before the first LoadStandard.
bool Settings::writeVer() {
    std::optional<std::string> bytes = cp932::fromUtf8(VersionText(version_));
    return bytes && writeProfileString(settingsPath(), "Standard", "Ver", *bytes);
}

std::int16_t Settings::LoadStandard() {
    Standard.Ver = VersionText(version_);
    KeyLoader loader(settingsPath(), "Standard");
    visitKeys(Standard, loader);
    return status(loader.failed());
}

std::int16_t Settings::SaveStandard() {
    bool verWritten = writeVer();
    KeySaver saver(settingsPath(), "Standard");
    visitKeys(Standard, saver);
    return status(!verWritten || saver.failed());
}

std::int16_t Settings::LoadConnectionStart() {
    KeyLoader loader(settingsPath(), "ConnectionStart");
    visitKeys(ConnectionStart, loader, registeredProgramDefault());
    if (loader.failed()) return -1;
    effects_.showStartMenu(startMenuFor(ConnectionStart));
    return 0;
}

std::int16_t Settings::SaveConnectionStart() {
    bool verWritten = writeVer();
    KeySaver saver(settingsPath(), "ConnectionStart");
    visitKeys(ConnectionStart, saver, registeredProgramDefault());
    return status(!verWritten || saver.failed());
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
    bool verWritten = writeVer();
    KeySaver saver(settingsPath(), "Watch");
    visitKeys(Watch, saver);
    return status(!verWritten || saver.failed());
}

std::int16_t Settings::LoadPopMun() {
    KeyLoader loader(settingsPath(), "PopMun");
    visitKeys(PopMun, loader);
    if (loader.failed()) return -1;
    effects_.showPopupMenus(popupMenusFor(PopMun));
    return 0;
}

std::int16_t Settings::SavePopMun() {
    bool verWritten = writeVer();
    KeySaver saver(settingsPath(), "PopMun");
    visitKeys(PopMun, saver);
    return status(!verWritten || saver.failed());
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
    bool verWritten = writeVer();
    KeySaver saver(settingsPath(), "Other");
    visitKeys(Other, saver);
    return status(!verWritten || saver.failed());
}

} // namespace tarvo::settings
