#pragma once

#include <QDateTime>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace tarvo {

// Every control and menu entry whose enabled state the sequences change.
enum class Command {
    CmdStart,
    CmdIN,
    CmdOut,
    CmdKensaku,
    CmdEnd,
    MnuOption,
    MnuEnd,
    MnuHelp,
    MnuAbout,
    TrayStart,
    TrayShow,
    TrayHide,
    TrayRenzoku,
    TrayConnect,
    TrayDisconnect,
    TrayGetIP,
    TrayIPFTP,
    TrayGetLocalIP,
    TrayLocalIPFTP,
    TraySearch,
    TrayOption,
    TrayMonitor,
    TrayAbout,
    TrayHelp,
    TrayEnd,
    IpGetIP,
    IpGetLocalIP,
};

enum class WindowState { Normal, Minimized, Maximized };

enum class MessageIcon { None, Stop, Warning };

// A top-level window that can be placed: geometry in pixels, as the screen has it.
class FormWindow {
  public:
    virtual ~FormWindow() = default;
    virtual QRect geometryPixels() const = 0;
    // Moves, resizes and shows the window, above every other window when topmost.
    virtual void setWindowPos(bool topmost, const QRect &pixels) = 0;
};

class MainWindowPort : public FormWindow {
  public:
    virtual void setCaption(const QString &text) = 0;
    virtual QString caption() const = 0;
    virtual void setEnabled(Command command, bool enabled) = 0;
    virtual void setStatusText(const QString &text) = 0;
    virtual void setCountText(const QString &text) = 0;
    virtual void setIpText(const QString &text) = 0;
    virtual WindowState windowState() const = 0;
    virtual void setWindowState(WindowState state) = 0;
    virtual void setVisible(bool visible) = 0;
    // The form's show operation: visible, in front, in whatever state it is in.
    virtual void showForm() = 0;
    // True when no other window of the program is the active one.
    virtual bool isActiveForm() const = 0;
    virtual void popupTrayMenu() = 0;
    // Period of the tray retry timer in milliseconds; 0 stops it.
    virtual void setIconTimer(int periodMs) = 0;
    // Closes the window on the program's own behalf, so that closing does not shut down again.
    virtual void unload() = 0;
};

class CancelWindowPort : public FormWindow {
  public:
    virtual bool isLoaded() const = 0;
    // Closes the window on the program's own behalf; no cancel follows.
    virtual void unload() = 0;
};

class MessageBoxPort {
  public:
    virtual ~MessageBoxPort() = default;
    // A box with an OK button that returns at once and stays open until the user closes it:
    // nobody may be at the PC, and the schedule, the watches and the line sequences must go on
    // meanwhile.
    virtual void show(const QString &text, const QString &title, MessageIcon icon) = 0;
    // Returns only once the user has closed the box. Only for the last words before the program
    // ends, which would otherwise vanish with it.
    virtual void showAndWait(const QString &text, const QString &title, MessageIcon icon) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic milliseconds; only differences mean anything.
    virtual std::int64_t nowMs() const = 0;
};

// The PC's calendar clock. The schedule, the log and the clock correction read it, never the
// system directly, so that tests can put the PC at any time of day.
class WallClock {
  public:
    virtual ~WallClock() = default;
    // Local date and time, as the user's clock shows it.
    virtual QDateTime localNow() const = 0;
};

// Waits that keep the program alive: timers, menus and completions are handled inside them.
class EventPump {
  public:
    virtual ~EventPump() = default;
    // Handles what is pending, without waiting.
    virtual void pump() = 0;
    // Sleeps until at least one event was handled or the deadline (a Clock time) has come.
    virtual void waitForEvents(std::optional<std::int64_t> deadlineMs) = 0;
};

class TrayPort {
  public:
    virtual ~TrayPort() = default;
    // False when the desktop offers no tray.
    virtual bool add(int picture, const QString &tip) = 0;
    virtual bool setPicture(int picture) = 0;
    virtual bool remove() = 0;
};

using HookProc =
    std::function<std::int32_t(std::uint32_t, std::uint32_t, std::int32_t, std::int32_t)>;

class WindowMessagesPort {
  public:
    virtual ~WindowMessagesPort() = default;
    // The main window's handle, the one the library posts its completions to.
    virtual std::uint32_t handle() const = 0;
    virtual void hook(HookProc proc) = 0;
    virtual void unhook() = 0;
};

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    // Empty when the viewer took the file, else what went wrong, in the viewer's words.
    virtual std::optional<QString> open(const QString &path) = 0;
};

enum class LogKind { Connect, Disconnect };

// What ending the desktop session can ask the system for. The Windows build would map these to
// ExitWindowsEx flags (EWX_POWEROFF, EWX_LOGOFF, EWX_REBOOT, EWX_LOGOFF | EWX_FORCE,
// EWX_SHUTDOWN).
enum class EndRequest { PowerOff, LogOff, Reboot, ForceLogOff, Shutdown };

class SessionEndPort {
  public:
    virtual ~SessionEndPort() = default;
    // Only asks; whether the system obeys is not reported, the program ends either way.
    virtual void request(EndRequest what) = 0;
};

// The program's other modules, as far as start-up, shutdown and the line sequences reach into
// them. Those not present yet keep these do-nothing defaults.
class CoreServices {
  public:
    virtual ~CoreServices() = default;
    virtual QString programFolder() const = 0;
    // Where the settings file, the connection log and the IP page live: the program's folder,
    // unless that cannot be written.
    virtual QString dataFolder() const { return programFolder(); }
    // The PC's own name on the network, as the log records it.
    virtual QString localHostName() const { return {}; }
    virtual void enableShutdownPrivilege() {}
    virtual void clearMonitorShownFlag() {}
    virtual void stopTrafficMonitor() {}
    virtual void endPrograms() {}
    virtual void writeLog(LogKind) {}
    virtual bool inFlatRateHours() { return false; }
    virtual void startLaunchSequence(int /*index*/, int /*periodMs*/) {}
    virtual void uploadIpPage(int /*which*/) {}
    virtual bool uploadBusy() const { return false; }
    virtual void stopMainTimer() {}
    virtual void cancelTransfer() {}
    virtual void unloadSecondaryForms() {}
    virtual void fillRouterGrid() {}
    virtual void correctClock(int /*index*/) {}
    // Ends the process at once, without unwinding.
    virtual void terminateNow() = 0;
    // Leaves the main event loop once the current handler returns.
    virtual void quit() = 0;
};

// The settings the core reads.
class CoreSettings {
  public:
    virtual ~CoreSettings() = default;
    virtual void loadAll() = 0;
    virtual QString IP() const = 0;
    virtual QString Port() const = 0;
    virtual QString Count() const = 0;
    virtual int STime() const = 0;
    virtual int UseNumber() const = 0;
    virtual int LOG() const = 0;
    virtual int Start() const = 0;
    virtual int TerehoStart() const = 0;
    virtual int FTP() const = 0;
    virtual int TerehoStartFTP() const = 0;
    virtual int StandardEnd() const = 0;
    virtual int Hyouzi() const = 0;
    virtual int TopDisp1() const = 0;

    // The schedule and the watches.
    virtual int AutoStart() const = 0;
    virtual QString StartTime() const = 0;
    virtual QString EndTime() const = 0;
    virtual int SEnd() const = 0;
    virtual int EndType(int n) const = 0; // n = 1..5
    virtual int Watch() const = 0;
    virtual int TerehoSts() const = 0;
    virtual int WatchTime() const = 0;
    virtual int WatchAutoStart() const = 0;
    virtual int Watch2() const = 0;
    virtual int TerehoSts2() const = 0;
    virtual int WatchTime2() const = 0;
    virtual int NTPIndex() const = 0;
    virtual int CorvastineWatchTime() const = 0;
    // The clock correction.
    virtual int WatchTime3() const = 0;
    virtual int Zisa() const = 0;
};

} // namespace tarvo
