#include "bas_main.h"
#include "connection_texts.h"

#include <cmath>
#include <exception>

namespace tarvo {

BasMain::BasMain(CorePorts ports) : p_(ports) {}

void BasMain::Main() {
    if (StartUp() == -1) return;
    const QRect g = p_.window.geometryPixels();
    PlaceWindow(p_.window, p_.settings.TopDisp1() != 0, g.x() * 15, g.y() * 15);
    if (p_.settings.Hyouzi() == 1) p_.window.setWindowState(WindowState::Minimized);
}

int BasMain::StartUp() {
    state.Notify.window = p_.windowMessages.handle();
    state.ExitInProgress = false;
    p_.services.clearMonitorShownFlag();
    p_.services.enableShutdownPrivilege();
    HookWindow();
    if (FindRouters() == -1) {
        ShutDown();
        return -1;
    }
    if (state.ExitInProgress) return -1;
    state.PathSep =
        p_.services.programFolder().endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    p_.settings.loadAll();
    switch (p_.settings.Hyouzi()) {
    case 1:
        p_.window.setWindowState(WindowState::Minimized);
        break;
    case 2:
        p_.window.setWindowState(WindowState::Maximized);
        break;
    default:
        p_.window.setWindowState(WindowState::Normal);
        break;
    }
    state.LinkState = LINK_OFF;
    RefreshMainWindow();
    state.SelectedRouter = FindSelectedRouter();
    if (!TrayAdd(TRAY_IDLE, kTrayTip)) {
        state.TrayRetryCount = 1;
        p_.window.setIconTimer(5000);
    }
    PollStatus(state.SelectedRouter);
    return 0;
}

int BasMain::FindRouters() {
    try {
        const std::int32_t version = p_.library.GetDllVersion();
        if (version == -1) throw LibraryUnavailable("no version");
        state.LibraryVersion = version;
        state.DoneFlag = false;
        state.Notify.message = MSG_FIND_DONE;
        p_.library.Find(state.Notify, ROUTER_TABLE_SIZE);
        const std::int64_t deadline = p_.clock.nowMs() + 10000;
        // Shutdown during the wait has cleaned the library up: the list is nobody's any more.
        if (!waitFor([this] { return state.DoneFlag; }, deadline)) return 0;
        state.RouterTable = {};
        state.RouterCount = ROUTER_TABLE_SIZE;
        p_.library.GetInformation(state.RouterTable.data(), &state.RouterCount);
        return 0;
    } catch (const std::exception &) {
        p_.messages.showAndWait(QStringLiteral("必要なＤＬＬ(") +
                                    QString::fromStdString(p_.library.fileName()) +
                                    QStringLiteral(")ファイルが見つかりません。"),
                                kWarningTitle, MessageIcon::Stop);
        state.LibraryMissing = true;
        return -1;
    }
}

void BasMain::HookWindow() {
    p_.windowMessages.hook(
        [this](std::uint32_t window, std::uint32_t message, std::int32_t wParam,
               std::int32_t lParam) { return WindowHookProc(window, message, wParam, lParam); });
    hooked_ = true;
}

void BasMain::UnhookWindow() {
    if (!hooked_) return;
    p_.windowMessages.unhook();
    hooked_ = false;
}

std::int32_t BasMain::WindowHookProc(std::uint32_t /*window*/, std::uint32_t message,
                                     std::int32_t wParam, std::int32_t lParam) {
    switch (message) {
    case MSG_TRAY:
        TrayMouse(wParam, lParam);
        break;
    case MSG_FIND_DONE:
    case MSG_CONNECT_DONE:
    case MSG_DISCONNECT_DONE:
        // Outcomes are read from the line afterwards, so the result code is not needed here.
        state.DoneFlag = true;
        break;
    default:
        break;
    }
    return 0;
}

void BasMain::PlaceWindow(FormWindow &form, bool topmost, int leftTwips, int topTwips) {
    const QRect g = form.geometryPixels();
    const QRect target(static_cast<int>(std::lround(leftTwips / 15.0)),
                       static_cast<int>(std::lround(topTwips / 15.0)), g.width(), g.height());
    form.setWindowPos(topmost, target);
}

void BasMain::ShutDown() {
    // Every exit path comes here, some of them from inside a wait of another exit path.
    if (shutDownStarted_) return;
    shutDownStarted_ = true;
    try {
        state.ExitInProgress = true;
        p_.services.stopTrafficMonitor();
        p_.services.endPrograms();
        const QRect g = p_.window.geometryPixels();
        PlaceWindow(p_.cancelWindow, true, g.x() * 15, g.y() * 15);
        UnhookWindow();
        if (!state.LibraryMissing) p_.library.Cleanup();
        p_.services.stopMainTimer();
        p_.window.setIconTimer(0);
        state.CancelFlag = true;
        state.DoneFlag = true;
        p_.services.cancelTransfer();
        p_.services.unloadSecondaryForms();
        p_.cancelWindow.unload();
        TrayDelete();
        p_.window.unload();
        p_.services.quit();
    } catch (...) {
        p_.messages.showAndWait(
            QStringLiteral("メモリーにゴミが残りました。\r\n強制終了させます。"), kWarningTitle,
            MessageIcon::Stop);
        p_.services.terminateNow();
    }
}

bool BasMain::waitFor(const std::function<bool()> &done, std::optional<std::int64_t> deadlineMs,
                      const std::function<void()> &each) {
    while (!done() && !state.ExitInProgress) {
        if (deadlineMs && *deadlineMs <= p_.clock.nowMs()) break;
        p_.events.waitForEvents(deadlineMs);
        if (each) each();
    }
    return !state.ExitInProgress;
}

} // namespace tarvo
