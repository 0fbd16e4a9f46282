#pragma once

#include "core_state.h"
#include "ports.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tarvo {

inline const QString kLogFileName = QStringLiteral("Tarvo.log");

// One line of the log as the Windows program wrote it: code page 932, CR LF at the end. Kind 0
// is a connect, 1 a disconnect, anything else a fault.
QByteArray LogLine(int kind, const QDateTime &at, const QString &host, const QString &address);

// The connection log in the program's folder. It is only ever appended to.
class ConnectionLog {
  public:
    ConnectionLog(const CoreState &state, const WallClock &clock, const CoreServices &services)
        : state_(state), clock_(clock), services_(services) {}

    // Appends one entry. A log that cannot be written loses the entry and nothing else: the
    // connect or disconnect that is being logged has happened all the same.
    void WriteLog(int kind);
    void WriteLog(LogKind kind) { WriteLog(kind == LogKind::Connect ? 0 : 1); }

    QString path() const;

  private:
    const CoreState &state_;
    const WallClock &clock_;
    const CoreServices &services_;
};

} // namespace tarvo
