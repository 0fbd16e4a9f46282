#include "connection_texts.h"

#include <QStringDecoder>
#include <climits>

namespace tarvo {

QString FormatIp(std::uint32_t address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

int ModeCode(std::uint32_t connectionMode) {
    // The field is read as a signed 32-bit number, as the router's own tools show it.
    const QString text = QString::number(static_cast<std::int32_t>(connectionMode));
    return static_cast<int>(text.indexOf(QLatin1Char('1')));
}

QString ModeText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("ISP・端末型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続");
    case 1:
        return QStringLiteral("RASｸﾗｲｱﾝﾄIP接続");
    case 2:
        return QStringLiteral("RASｻｰﾊﾞｰIP接続");
    case 3:
        return QStringLiteral("ISP・LAN型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続");
    case 4:
        return QStringLiteral("ISP・専用線IP接続");
    case 5:
        return QStringLiteral("専用線IP接続");
    case 8:
        return QStringLiteral("LAN型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続");
    default:
        if (code == 6 || code == 7 || (code >= 9 && code <= 31)) return QStringLiteral("未使用");
        return QString::number(code);
    }
}

QString LineTypeText(int lineType) {
    switch (lineType) {
    case 1:
        return QStringLiteral("ｱﾅﾛｸﾞ回線(ﾄｰﾝ)");
    case 2:
        return QStringLiteral("ｱﾅﾛｸﾞ回線(ﾊﾟﾙｽ)");
    case 4:
        return QStringLiteral("ISDN回線");
    case 5:
        return QStringLiteral("ISDN専用線");
    case 6:
        return QStringLiteral("ｱﾅﾛｸﾞ専用線(ｵﾘｼﾞﾈｰﾄ)");
    case 7:
        return QStringLiteral("ｱﾅﾛｸﾞ専用線(ｱﾝｻ)");
    default:
        return QString::number(lineType);
    }
}

int LeadingNumber(const QString &text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (t[i].unicode() - '0');
        if (value > INT_MAX) value = INT_MAX; // a runaway text must not overflow
    }
    return static_cast<int>(negative ? -value : value);
}

QString RouterText(const char *bytes, int size) {
    int length = 0;
    while (length < size && bytes[length] != '\0')
        ++length;
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid()) return QString::fromLatin1(bytes, length);
    return decoder.decode(QByteArrayView(bytes, length));
}

QString DestinationName(const ConditionExRecord &condition) {
    // The index comes from the router; a value past the four names must not read beyond them.
    const unsigned index = condition.selected_site;
    if (index >= 4) return {};
    return RouterText(condition.site_names[index], sizeof condition.site_names[index]);
}

ConnectionInfo MakeConnectionInfo(const ConditionExRecord &condition) {
    ConnectionInfo info;
    info.ModeText = ModeText(ModeCode(condition.connection_mode));
    info.LineText = LineTypeText(condition.line_type);
    info.GlobalIpText = FormatIp(condition.global_address);
    info.SentBytesText = QString::number(condition.bytes_sent);
    info.ReceivedBytesText = QString::number(condition.bytes_received);
    info.SentPacketsText = QString::number(condition.packets_sent);
    info.ReceivedPacketsText = QString::number(condition.packets_received);
    info.ErrorPacketsText = QString::number(condition.error_packets);
    info.ConnectTimeText = QString::number(condition.connection_time);
    return info;
}

} // namespace tarvo
