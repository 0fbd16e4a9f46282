#include "tarvo_program.h"

#include "about_window.h"
#include "bas_main.h"
#include "clock_correction.h"
#include "connection_log.h"
#include "core_dumps.h"
#include "curl_ftp_transfer.h"
#include "data_folder.h"
#include "desktop_clipboard.h"
#include "desktop_help_viewer.h"
#include "dynamic_router_library.h"
#include "form_commands.h"
#include "frm_main.h"
#include "frm_msg.h"
#include "ip_publisher.h"
#include "linux_program_launcher.h"
#include "logind_session_end.h"
#include "menu_settings_effects.h"
#include "message_boxes.h"
#include "option_dialog_opener.h"
#include "option_host.h"
#include "program_menu.h"
#include "program_modules.h"
#include "program_settings_view.h"
#include "publish_commands.h"
#include "qt_event_pump.h"
#include "qt_option_pickers.h"
#include "qt_query_timer.h"
#include "registered_programs.h"
#include "route_lan_address.h"
#include "schedule.h"
#include "settings.h"
#include "settings_view.h"
#include "system_clocks.h"
#include "system_facts.h"
#include "system_tray.h"
#include "system_wall_clock.h"
#include "tcp_daytime_connection.h"
#include "traffic_monitor.h"
#include "tray_pictures.h"
#include "upload_picture.h"
#include "window_message_bridge.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

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
    explicit Parts(Options o) : options(std::move(o)) {}
    Options options;

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
    const QString dataFolder = options.dataFolder.isEmpty()
                                   ? ChooseDataFolder(QCoreApplication::applicationDirPath())
                                   : options.dataFolder;
    settings::Settings store{dataFolder.toStdString(),
                             QCoreApplication::applicationDirPath().toStdString(), programVersion(),
                             effects};
    SettingsView settingsView{store};
    ProgramModules services;
    BasMain core{CorePorts{library, window, cancelWindow, messages, events, events, tray,
                           windowMessages, help, settingsView, services}};

    SystemWallClock systemWallClock;
    WallClock &wallClock = options.wallClock ? *options.wallClock : systemWallClock;
    LogindSessionEnd logind{QDBusConnection::systemBus()};
    SessionEndPort &sessionEnd = options.sessionEnd ? *options.sessionEnd : logind;
    Schedule schedule{
        Schedule::Ports{core, window, cancelWindow, settingsView, wallClock, services, sessionEnd}};
    ConnectionLog log{core.state, wallClock, services};
    TcpDaytimeConnection daytime;
    QtQueryTimer timerWatch3{window.timer(QStringLiteral("TimerWatch3"))};
    FallbackClock systemClock{std::make_unique<TimedatedClock>(QDBusConnection::systemBus()),
                              std::make_unique<KernelClock>()};
    ClockCorrection clock{
        ClockCorrection::Ports{daytime, timerWatch3, wallClock, events, systemClock, settingsView}};
    LinuxProgramLauncher launcher;
    QtLaunchTimer timerStart{window.timer(QStringLiteral("TimerStart"))};
    ProgramSettingsView programSettings{store};
    RegisteredPrograms programs{RegisteredPrograms::Ports{launcher, timerStart, programSettings}};

    CurlFtpTransfer ftp;
    QtQueryTimer timerWatch4{window.timer(QStringLiteral("TimerWatch4"))};
    DesktopClipboard clipboard;
    RouteLanAddress lanAddress;
    IpPublisher publisher{
        IpPublisher::Ports{ftp, timerWatch4, messages, clipboard, lanAddress, window,
                           core.state.Info, store.ConnectionStart, settingsView, services,
                           [this] { PollForUpload(core, publisher.UploadBusy); }}};
    TrafficMonitor monitor{store, core, window};
    LinuxSystemFacts systemFacts;
    DesktopSystemInfoTool sysInfoTool;
    AboutWindow about{AboutWindow::Ports{store, core, window, systemFacts, sysInfoTool, messages,
                                         services, lanAddress, QStringLiteral("libQuaystone.so")}};
    options::QtOptionPickers optionPickers;
    options::StoredMonitorGeometry monitorGeometry{store, &monitor};
    ProgramOptionHost optionHost{core,     window, [this] { return window.windowIcon(); },
                                 messages, clock,  services};
    options::OptionDialogOpener optionDialog{options::OptionDialogOpener::Ports{
        store, library, core.state, optionHost, optionPickers, monitorGeometry}};
};

TarvoProgram::TarvoProgram() : TarvoProgram(Options{}) {}

TarvoProgram::TarvoProgram(Options options) {
    DisableCoreDumps();
    parts_ = std::make_unique<Parts>(std::move(options));
    Parts &p = *parts_;
    p.window.setWindowIcon(TrayPicture(99));
    p.services.setMainTimer(p.window.timer(QStringLiteral("Timer")));
    p.services.setDataFolder(p.dataFolder);
    ConnectForms(p.window, p.cancelWindow, p.core);
    QObject::connect(&p.window, &FrmMain::commandTriggered, &p.window, [&p](Command c) {
        if (c == Command::MnuOption || c == Command::TrayOption) p.optionDialog.ShowOptions();
    });
    p.services.routerGridRefill = [&p] { p.optionDialog.refillRouterGrid(); };
    p.services.optionsUnload = [&p] { p.optionDialog.unload(); };
    p.clock.showTestReply = [&p](const QString &reply) { p.optionDialog.showTimeTestReply(reply); };
    p.clock.clearTestReply = [&p] { p.optionDialog.showTimeTestReply(QString()); };

    p.services.attach(p.schedule, p.log, p.clock);
    p.services.attachPrograms(p.programs);
    ConnectProgramMenu(p.window, p.programs);
    p.services.attachPublisher(p.publisher);
    ConnectPublishCommands(p.window, p.publisher);
    p.services.attachWindows(p.monitor, p.about);
    p.effects.monitorGeometry = [&p](const settings::MonitorGeometry &g) {
        p.monitor.setPosition(g);
    };
    p.effects.trafficHistory = [&p](int lastIndex) { p.monitor.recreateHistory(lastIndex); };
    for (Command c : {Command::TrayMonitor, Command::TrayAbout, Command::MnuAbout})
        p.window.setCommandAvailable(c, true);
    QObject::connect(&p.window, &FrmMain::commandTriggered, &p.window, [&p](Command c) {
        if (c == Command::TrayMonitor) p.monitor.Toggle();
        if (c == Command::TrayAbout || c == Command::MnuAbout) p.about.Show();
    });
    p.effects.watchArmed = [&p](settings::WatchTimer t) { p.schedule.ArmCounter(t); };
    p.effects.timeServersFilled = [&p] { p.clock.FillServerList(); };
    p.daytime.dataArrived = [&p](const QByteArray &received) { p.clock.DataArrival(received); };
    const auto onTick = [&p](const char *name, auto action) {
        QObject::connect(p.window.timer(QString::fromLatin1(name)), &QTimer::timeout, &p.window,
                         action);
    };
    onTick("Timer", [&p] { p.schedule.ScheduleTick(); });
    onTick("TimerWatch", [&p] { p.schedule.WatchTick(settings::WatchTimer::Connection); });
    onTick("TimerWatch2", [&p] { p.schedule.WatchTick(settings::WatchTimer::Clock); });
    onTick("TimerWatch5", [&p] { p.schedule.WatchTick(settings::WatchTimer::RouterSearch); });
    onTick("TimerWatch3", [&p] { p.clock.TimerWatch3Tick(); });
    onTick("TimerStart", [&p] { p.programs.LaunchTick(); });
    // The schedule runs from the window's creation; before the settings are loaded it finds
    // AutoStart 0 and does nothing.
    p.window.timer(QStringLiteral("Timer"))->start(1000);
}

TarvoProgram::~TarvoProgram() = default;

bool TarvoProgram::start() {
    parts_->core.Main();
    started_ = !parts_->core.state.ExitInProgress;
    return started_;
}

bool TarvoProgram::ended() const {
    return parts_->core.state.ExitInProgress;
}

void TarvoProgram::activate() {
    if (!started_ || parts_->core.state.ExitInProgress) return;
    parts_->core.ShowWindowNormal();
    parts_->window.raise();
    parts_->window.activateWindow();
}

} // namespace tarvo
