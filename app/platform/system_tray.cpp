#include "system_tray.h"

#include "core_state.h"
#include "tray_pictures.h"
#include "window_message_bridge.h"

namespace tarvo {

namespace {
constexpr std::int32_t kIconId = 1;
}

SystemTray::SystemTray(const WindowMessageBridge &window, QObject *parent)
    : QObject(parent), window_(window) {}

SystemTray::~SystemTray() = default;

bool SystemTray::add(int picture, const QString &tip) {
    if (icon_ || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_ = std::make_unique<QSystemTrayIcon>(TrayPicture(picture));
    icon_->setToolTip(tip);
    connect(icon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    window_.post(MSG_TRAY, kIconId, WM_LBUTTONDOWN);
                else if (reason == QSystemTrayIcon::Context)
                    window_.post(MSG_TRAY, kIconId, WM_RBUTTONDOWN);
            });
    icon_->show();
    return true;
}

bool SystemTray::setPicture(int picture) {
    if (!icon_) return false;
    icon_->setIcon(TrayPicture(picture));
    return true;
}

bool SystemTray::remove() {
    if (!icon_) return false;
    icon_.reset();
    return true;
}

} // namespace tarvo
