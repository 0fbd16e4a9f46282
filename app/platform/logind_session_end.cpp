#include "logind_session_end.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <csignal>

namespace tarvo {

namespace {
QDBusMessage managerCall(const QString &method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                          QStringLiteral("/org/freedesktop/login1"),
                                          QStringLiteral("org.freedesktop.login1.Manager"), method);
}

// logind's name for the caller's own session, or the user's graphical one when the program was
// started outside any session.
const QString kOwnSession = QStringLiteral("auto");
} // namespace

LogindSessionEnd::~LogindSessionEnd() {
    waitForAnswers();
}

void LogindSessionEnd::request(EndRequest what) {
    QDBusMessage call;
    switch (what) {
    case EndRequest::PowerOff:
    case EndRequest::Shutdown:
        // Non-interactive: no password prompt may hold up an unattended night-time end.
        call = managerCall(QStringLiteral("PowerOff")) << false;
        break;
    case EndRequest::Reboot:
        call = managerCall(QStringLiteral("Reboot")) << false;
        break;
    case EndRequest::LogOff:
        // The session's programs get SIGTERM and may save their work, as on a Windows log-off.
        call = managerCall(QStringLiteral("TerminateSession")) << kOwnSession;
        break;
    case EndRequest::ForceLogOff:
        call = managerCall(QStringLiteral("KillSession"))
               << kOwnSession << QStringLiteral("all") << static_cast<qint32>(SIGKILL);
        break;
    }
    // The answer only says whether the system agreed; the program shuts itself down either way.
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kReplyTimeoutMs), &watchers_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
}

int LogindSessionEnd::pending() const {
    int n = 0;
    for (const auto *w : watchers_.findChildren<QDBusPendingCallWatcher *>())
        n += w->isFinished() ? 0 : 1;
    return n;
}

void LogindSessionEnd::waitForAnswers() {
    for (auto *w : watchers_.findChildren<QDBusPendingCallWatcher *>())
        w->waitForFinished();
}

} // namespace tarvo
