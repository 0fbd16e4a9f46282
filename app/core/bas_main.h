#pragma once

#include "core_state.h"
#include "ports.h"
#include "router_library.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace tarvo {

struct CorePorts {
    RouterLibrary &library;
    MainWindowPort &window;
    CancelWindowPort &cancelWindow;
    MessageBoxPort &messages;
    Clock &clock;
    EventPump &events;
    TrayPort &tray;
    WindowMessagesPort &windowMessages;
    HelpViewer &help;
    CoreSettings &settings;
    CoreServices &services;
};

inline const QString kApplicationTitle = QStringLiteral("Corvastine操作ﾂｰﾙ");
inline const QString kWarningTitle = QStringLiteral("警告：Tarvo");
inline const QString kConnectionTitle = QStringLiteral("接続情報");
inline const QString kTrayTip = QStringLiteral("Tarvo");

inline constexpr int TRAY_FAILED = 0;
inline constexpr int TRAY_REQUEST = 1;
inline constexpr int TRAY_CONNECTED = 2;
inline constexpr int TRAY_UPLOADING = 3;
inline constexpr int TRAY_UNKNOWN = 98;
inline constexpr int TRAY_IDLE = 99;

// Start-up, shutdown, the window hook, the line sequences and the main window's commands.
class BasMain {
  public:
    explicit BasMain(CorePorts ports);

    CoreState state;

    // Start-up and shutdown.
    void Main();
    int StartUp();
    int FindRouters();
    void HookWindow();
    void UnhookWindow();
    std::int32_t WindowHookProc(std::uint32_t window, std::uint32_t message, std::int32_t wParam,
                                std::int32_t lParam);
    void PlaceWindow(FormWindow &form, bool topmost, int leftTwips, int topTwips);
    void ShutDown();

    // The line.
    void PollStatus(int router);
    void Connect();
    void Disconnect();
    void UpdateConnectionInfo();
    void RefreshMainWindow();
    int FindSelectedRouter();
    void SearchRouters();
    void Rediscover();
    void KeepCancelWindow();

    // Commands of the buttons, menus and timers. A command that would start a line sequence
    // while another one runs is skipped (false); its timer tries again at the next tick.
    bool CommandConnect(bool singleAttempt, bool withCancelWindow);
    bool CommandDisconnect();
    bool CommandSearch();
    bool CommandRediscover();
    bool CommandPollStatus();
    bool SequenceRunning() const { return sequenceRunning_; }
    // Runs the schedule's and the watches' own steps as one sequence, under the same rule.
    bool RunSequence(const std::function<void()> &body);

    // Tray icon.
    bool TrayAdd(int picture, const QString &tip);
    bool TraySetPicture(int picture);
    bool TrayDelete();
    void ShowTrayMenu();
    void TrayMouse(std::int32_t wParam, std::int32_t lParam);
    void TimerIconTick();

    // Display modes and the rest of the main window.
    void ShowWindowNormal();
    void HideToTray();
    void WindowResized();
    void ShowHelp();
    // The user closed a window: the main window shuts the program down, the cancel window
    // cancels the connect sequence.
    void MainWindowCloseRequested();
    void CancelRequested();

    QString DestinationText() const;

  private:
    class SequenceScope;

    CorePorts p_;
    bool hooked_ = false;
    bool sequenceRunning_ = false;
    bool shutDownStarted_ = false;

    int port() const;
    bool windowNormal() const;
    // Waits until done() holds, the deadline has come or shutdown began; runs each() after each
    // pass. Returns false when shutdown began, so that the caller stops touching the line.
    bool waitFor(const std::function<bool()> &done, std::optional<std::int64_t> deadlineMs,
                 const std::function<void()> &each = {});
    void enable(std::initializer_list<Command> commands, bool enabled);
    void connectFinish(bool failed);
};

} // namespace tarvo
