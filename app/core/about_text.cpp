#include "about_text.h"

#include <QRegularExpression>

namespace tarvo {

namespace {
// Leading decimal digits only, as a number; 0 without any.
qint64 leadingDigits(const QString &text) {
    qint64 value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        value = value * 10 + (c.unicode() - '0');
        if (value > (qint64{1} << 40)) break; // a runaway text must not overflow
    }
    return value;
}

// Pads to the display columns the labels are aligned in: half-width characters take one,
// the others two.
QString padColumns(const QString &text, int columns) {
    int used = 0;
    for (QChar c : text)
        used += (c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)) ? 1 : 2;
    return used >= columns ? text : text + QString(columns - used, QLatin1Char(' '));
}
} // namespace

QString KernelVersionText(const QString &release) {
    static const QRegularExpression numbers(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = numbers.match(release);
    if (!m.hasMatch()) return QStringLiteral("0.0(Build:0)");
    const auto part = [&m](int i) {
        return m.captured(i).isEmpty() ? QStringLiteral("0")
                                       : QString::number(leadingDigits(m.captured(i)));
    };
    return part(1) + QLatin1Char('.') + part(2) + QStringLiteral("(Build:") + part(3) +
           QLatin1Char(')');
}

QString KilobytesText(std::uint64_t bytes) {
    const QString whole = QString::number(bytes / 1024);
    if (bytes % 1024 == 0) return whole;
    // A 1024th is 9765625 ten-billionths: the fraction is exact in ten decimals, for any size,
    // where a double would lose it beyond 2^53.
    QString fraction = QStringLiteral("%1").arg((bytes % 1024) * 9765625, 10, 10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return whole + QLatin1Char('.') + fraction;
}

QString LibraryVersionText(std::int32_t version) {
    const QString hex = QStringLiteral("%1")
                            .arg(static_cast<std::uint32_t>(version), 8, 16, QLatin1Char('0'))
                            .toUpper();
    return QString::number(leadingDigits(hex.left(4))) + QLatin1Char('.') + hex.right(4);
}

QString ConnectTimeDisplay(const QString &connectTimeText) {
    if (connectTimeText.isEmpty()) return {};
    // The router counts tenths of a second: the last digit is dropped.
    const qint64 s = leadingDigits(connectTimeText.left(connectTimeText.size() - 1));
    return QString::number(s / 3600) + QStringLiteral("時間") +
           QStringLiteral("%1").arg((s / 60) % 60, 2, 10, QLatin1Char('0')) + QStringLiteral("分") +
           QStringLiteral("%1").arg(s % 60, 2, 10, QLatin1Char('0')) + QStringLiteral("秒");
}

QStringList AboutLines(const AboutInputs &in) {
    const SystemFacts &s = in.system;
    const auto kb = [](const std::optional<std::uint64_t> &v) {
        return v ? KilobytesText(*v) + QStringLiteral("(KB)") : QString();
    };
    // Labels are 16 columns wide, half-width kana one column, as the original's were.
    const QString systemLabel =
        padColumns(s.systemName.isEmpty() ? QStringLiteral("不明") : s.systemName, 16);
    QStringList lines;
    lines << systemLabel + QStringLiteral(": ") + KernelVersionText(s.kernelRelease);
    lines << QStringLiteral("CPU             : ") + s.cpuModel;
    lines << QStringLiteral("物理ﾒﾓﾘ         : ") + kb(s.physicalTotal);
    lines << QStringLiteral("空き物理ﾒﾓﾘ     : ") + kb(s.physicalAvailable);
    lines << QStringLiteral("仮想ﾒﾓﾘ         : ") + kb(s.addressSpaceTotal);
    lines << QStringLiteral("空き仮想ﾒﾓﾘ     : ") + kb(s.addressSpaceAvailable);
    lines << QStringLiteral("Screen          : ") + QString::number(s.screenWidth) +
                 QStringLiteral("×") + QString::number(s.screenHeight);
    lines << in.libraryFileName + QStringLiteral(" : ") +
                 (in.libraryVersion != 0 ? LibraryVersionText(in.libraryVersion)
                                         : QStringLiteral("「") + in.libraryFileName +
                                               QStringLiteral("」が見つかりません"));
    lines << QStringLiteral("LocalHostName   : ") + s.hostName.toUpper();
    lines << QStringLiteral("LocalIP         : ") + s.lanAddress;
    lines << QString();
    lines << QStringLiteral("接続ﾓｰﾄﾞ        : ") + in.info.ModeText;
    lines << QStringLiteral("接続時の回線    : ") + in.info.LineText;
    lines << QStringLiteral("取得IPｱﾄﾞﾚｽ     : ") + in.info.GlobalIpText;
    lines << QStringLiteral("送信ﾊﾞｲﾄ数      : ") + in.info.SentBytesText;
    lines << QStringLiteral("受信ﾊﾞｲﾄ数      : ") + in.info.ReceivedBytesText;
    lines << QStringLiteral("送信ﾊﾟｹｯﾄ数     : ") + in.info.SentPacketsText;
    lines << QStringLiteral("受信ﾊﾟｹｯﾄ数     : ") + in.info.ReceivedPacketsText;
    lines << QStringLiteral("ｴﾗｰﾊﾟｹｯﾄ数      : ") + in.info.ErrorPacketsText;
    lines << QStringLiteral("接続時間        : ") + ConnectTimeDisplay(in.info.ConnectTimeText);
    lines << QStringLiteral("ﾃﾞｰﾀﾌｫﾙﾀﾞ       : ") + in.dataFolder;
    return lines;
}

QString AboutDescription(const AboutInputs &inputs) {
    return AboutLines(inputs).join(QStringLiteral("\r\n"));
}

AboutRefreshCounter::Action AboutRefreshCounter::tick(int aboutWatch, int aboutWatchTime) {
    if (aboutWatch != 1) {
        count_ = 0;
        return Action::Stop;
    }
    ++count_;
    if (count_ >= aboutWatchTime || aboutWatchTime <= 1) {
        count_ = 0;
        return Action::Refresh;
    }
    return Action::None;
}

} // namespace tarvo
