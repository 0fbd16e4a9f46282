#include "menu_settings_effects.h"

#include "frm_main.h"

#include <QAction>
#include <QTimer>

namespace tarvo {

namespace {
void show(FrmMain &w, const char *name, bool visible) {
    if (QAction *a = w.findChild<QAction *>(QString::fromLatin1(name))) a->setVisible(visible);
}

QString timerName(settings::WatchTimer timer) {
    switch (timer) {
    case settings::WatchTimer::Connection:
        return QStringLiteral("TimerWatch");
    case settings::WatchTimer::Clock:
        return QStringLiteral("TimerWatch2");
    case settings::WatchTimer::RouterSearch:
        return QStringLiteral("TimerWatch5");
    }
    return {};
}
} // namespace

void MenuSettingsEffects::showStartMenu(const settings::StartMenuView &view) {
    for (int i = 0; i < 5; ++i) {
        QAction *a = window_.findChild<QAction *>(QStringLiteral("munProgram%1").arg(i + 1));
        const auto &caption = view.programs[static_cast<std::size_t>(i)];
        a->setVisible(caption.has_value());
        if (caption) a->setText(QString::fromStdString(*caption));
    }
    show(window_, "munGoStart", view.startAll);
    show(window_, "munGoEnd", view.endAll);
    show(window_, "munStartSep1", view.separator);
}

void MenuSettingsEffects::fillTimeServerList() {
    if (timeServersFilled) timeServersFilled();
}

void MenuSettingsEffects::armWatchTimer(settings::WatchTimer timer) {
    if (QTimer *t = window_.timer(timerName(timer))) t->start(60000);
    if (watchArmed) watchArmed(timer);
}

void MenuSettingsEffects::stopWatchTimer(settings::WatchTimer timer) {
    if (QTimer *t = window_.timer(timerName(timer))) t->stop();
}

void MenuSettingsEffects::showPopupMenus(const settings::PopupMenuView &view) {
    show(window_, "munStartEntry", view.start);
    show(window_, "munSep1", view.start);
    show(window_, "munGetIP", view.getIp);
    show(window_, "munIPFTP", view.ipFtp);
    show(window_, "munGetLocalIP", view.getLocalIp);
    show(window_, "munLocalIPFTP", view.localIpFtp);
    show(window_, "munMonitor", view.monitor);
    show(window_, "munAbout", view.about);
    show(window_, "munHelp", view.help);
    show(window_, "munSep3", view.separatorAboveGetIp);
    show(window_, "munSep4", view.separatorAboveGetLocalIp);
    show(window_, "munSep6", view.separatorAboveMonitor);
    show(window_, "mnuGetIP", view.ipMenuGetIp);
    show(window_, "mnuGetLocalIP", view.ipMenuGetLocalIp);
    show(window_, "mnuIPSep", view.ipMenuSeparator);
}

} // namespace tarvo
