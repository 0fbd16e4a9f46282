#include "tarvo_program.h"

#include "bas_main.h"
#include "desktop_help_viewer.h"
#include "dynamic_router_library.h"
#include "form_commands.h"
#include "frm_main.h"
#include "frm_msg.h"
#include "menu_settings_effects.h"
#include "message_boxes.h"
#include "program_services.h"
#include "qt_event_pump.h"
#include "settings.h"
#include "settings_view.h"
#include "system_tray.h"
#include "tray_pictures.h"
#include "window_message_bridge.h"

#include <QCoreApplication>

namespace tarvo {

namespace {
settings::ProgramVersion programVersion() {
    const QStringList parts = QCoreApplication::applicationVersion().split(QLatin1Char('.'));
    settings::ProgramVersion v;
    v.major = parts.value(0).toInt();
    v.minor = parts.value(1).toInt();
    v.revision = parts.value(2).toInt();
    return v;
}
} // namespace

struct TarvoProgram::Parts {
    QtEventPump events;
    WindowMessageBridge windowMessages;
    DynamicRouterLibrary library{QCoreApplication::applicationDirPath().toStdString(),
                                 "libQuaystone.so"};
    FrmMain window;
    FrmMsg cancelWindow{&window};
    MessageBoxes messages;
    SystemTray tray{windowMessages};
    DesktopHelpViewer help;
    MenuSettingsEffects effects{window};
    settings::Settings store{QCoreApplication::applicationDirPath().toStdString(), programVersion(),
                             effects};
    SettingsView settingsView{store};
    ProgramServices services;
    BasMain core{CorePorts{library, window, cancelWindow, messages, events, events, tray,
                           windowMessages, help, settingsView, services}};
};

TarvoProgram::TarvoProgram() : parts_(std::make_unique<Parts>()) {
    Parts &p = *parts_;
    p.window.setWindowIcon(TrayPicture(99));
    p.services.setMainTimer(p.window.timer(QStringLiteral("Timer")));
    ConnectForms(p.window, p.cancelWindow, p.core);
}

TarvoProgram::~TarvoProgram() = default;

bool TarvoProgram::start() {
    parts_->core.Main();
    return !parts_->core.state.ExitInProgress;
}

void TarvoProgram::activate() {
    if (parts_->core.state.ExitInProgress) return;
    parts_->core.ShowWindowNormal();
    parts_->window.raise();
    parts_->window.activateWindow();
}

} // namespace tarvo
