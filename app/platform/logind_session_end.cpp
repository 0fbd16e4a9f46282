#include "logind_session_end.h"

#include <QDBusMessage>
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
    bus_.call(call, QDBus::Block, kReplyTimeoutMs);
}

} // namespace tarvo
