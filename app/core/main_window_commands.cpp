#include "bas_main.h"

namespace tarvo {

bool BasMain::TrayAdd(int picture, const QString &tip) {
    // The tray keeps tips of at most 63 characters.
    const bool added = p_.tray.add(picture, tip.left(63));
    if (added) state.TrayPicture = picture;
    return added;
}

bool BasMain::TraySetPicture(int picture) {
    state.TrayPicture = picture;
    return p_.tray.setPicture(picture);
}

bool BasMain::TrayDelete() {
    return p_.tray.remove();
}

void BasMain::ShowTrayMenu() {
    p_.window.showForm();
    p_.window.popupTrayMenu();
}

void BasMain::TrayMouse(std::int32_t wParam, std::int32_t lParam) {
    if (lParam == WM_RBUTTONDOWN && wParam == 1) {
        ShowTrayMenu();
    } else if (lParam == WM_LBUTTONDOWN) {
        if (!windowNormal()) {
            p_.window.setWindowState(WindowState::Normal);
            p_.window.setVisible(true);
            p_.window.setEnabled(Command::TrayShow, false);
            p_.window.setEnabled(Command::TrayHide, true);
            p_.window.showForm();
        } else {
            p_.window.setWindowState(WindowState::Minimized);
            p_.window.setVisible(false);
            p_.window.setEnabled(Command::TrayShow, true);
            p_.window.setEnabled(Command::TrayHide, false);
        }
    }
}

void BasMain::TimerIconTick() {
    TrayDelete();
    const bool added = TrayAdd(TRAY_IDLE, kTrayTip);
    // The poll sets the picture for the line as it is now; it waits for a running sequence.
    CommandPollStatus();
    if (added) {
        ++state.TrayRetryCount;
        p_.window.setIconTimer(0);
    } else if (state.TrayRetryCount < 10) {
        ++state.TrayRetryCount;
    } else {
        p_.window.setIconTimer(0);
    }
}

void BasMain::ShowWindowNormal() {
    // Normal before visible: a window made visible while minimised is hidden again by the
    // resize handling, which keeps minimised windows in the tray.
    p_.window.setWindowState(WindowState::Normal);
    p_.window.setVisible(true);
    p_.window.showForm();
}

void BasMain::HideToTray() {
    // With another window of the program in front, hiding the main one would strand it.
    if (!p_.window.isActiveForm()) return;
    p_.window.setWindowState(WindowState::Minimized);
}

void BasMain::WindowResized() {
    const WindowState s = p_.window.windowState();
    if (s == WindowState::Minimized) p_.window.setVisible(false);
    const bool normal = s == WindowState::Normal;
    p_.window.setEnabled(Command::TrayShow, !normal);
    p_.window.setEnabled(Command::TrayHide, normal);
}

void BasMain::ShowHelp() {
    const QString path =
        p_.services.programFolder() + state.PathSep + QStringLiteral("help/index.html");
    if (const auto failure = p_.help.open(path))
        p_.messages.show(*failure, kWarningTitle, MessageIcon::Warning);
}

void BasMain::MainWindowCloseRequested() {
    ShutDown();
}

void BasMain::CancelRequested() {
    state.CancelFlag = true;
}

} // namespace tarvo
