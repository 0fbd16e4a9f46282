#include "connection_log.h"

#include "cp932.h"

#include <QFile>

namespace tarvo {

namespace {
// A character without a code page 932 form becomes '?', as Windows writes it.
QByteArray toCp932(const QString &text) {
    QByteArray out;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (const auto bytes = settings::cp932::fromUtf8(one.toStdString()))
            out.append(bytes->data(), static_cast<qsizetype>(bytes->size()));
        else
            out.append('?');
    }
    return out;
}

QString tag(int kind) {
    switch (kind) {
    case 0:
        return QStringLiteral("[接続]");
    case 1:
        return QStringLiteral("[切断]");
    default:
        return QStringLiteral("[障害]");
    }
}
} // namespace

QByteArray LogLine(int kind, const QDateTime &at, const QString &host, const QString &address) {
    return toCp932(tag(kind) + at.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
                   QLatin1Char('/') + host + QLatin1Char('/') + address) +
           QByteArrayLiteral("\r\n");
}

QString ConnectionLog::path() const {
    const QString folder = services_.dataFolder();
    return folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) +
           kLogFileName;
}

void ConnectionLog::WriteLog(int kind) {
    const QByteArray line =
        LogLine(kind, clock_.localNow(), services_.localHostName(), state_.Info.GlobalIpText);
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const qint64 before = file.size();
    const bool written = file.write(line) == line.size() && file.flush();
    // Half a line would run into the next entry; a full disk leaves the file as it was.
    if (!written && !file.isSequential()) file.resize(before);
}

} // namespace tarvo
