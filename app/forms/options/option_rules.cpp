#include "option_rules.h"

#include "connection_texts.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace tarvo::options {

namespace {
bool passesAlways(int key) {
    return key == 8 || key == 9 || key == 10 || key == 13;
}
bool isDigit(int key) {
    return key >= '0' && key <= '9';
}
} // namespace

int DigitsOnly(int key) {
    return passesAlways(key) || isDigit(key) ? key : 0;
}

int AlphanumericOnly(int key) {
    const bool letter = (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z');
    return passesAlways(key) || isDigit(key) || letter ? key : 0;
}

bool IsNumber(const QString &text) {
    const QString t = text.trimmed();
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
    bool digits = false;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

QString RequireNumber(const QString &text) {
    return IsNumber(text) ? text : QStringLiteral("0");
}

QString FormatPattern(const QString &number, const QString &pattern) {
    const double value = IsNumber(number) ? number.trimmed().toDouble() : 0.0;
    const double whole = std::round(value); // halves away from zero
    const qsizetype shown = pattern.count(QLatin1Char('0'));
    // Whole numbers of any size keep every digit: the pattern has no upper bound.
    QString digits = QString::number(std::fabs(whole), 'f', 0);
    if (digits.size() < shown) digits = QString(shown - digits.size(), QLatin1Char('0')) + digits;
    if (whole < 0 && digits.contains(QRegularExpression(QStringLiteral("[1-9]"))))
        digits.prepend(QLatin1Char('-'));
    return digits;
}

QString CheckField(const FieldCheck &check, const QString &text) {
    QString t = RequireNumber(text);
    switch (check.step) {
    case OwnStep::None:
        break;
    case OwnStep::ZeroBecomesOne:
        if (t == QStringLiteral("0")) t = QStringLiteral("1");
        break;
    case OwnStep::AtLeastEighty:
        if (t.trimmed().toDouble() < 80) t = QStringLiteral("80");
        break;
    }
    return check.pattern.isEmpty() ? t : FormatPattern(t, check.pattern);
}

QString CheckPageFileName(const QString &text) {
    return text.trimmed().isEmpty() ? QStringLiteral("IPData.html") : text;
}

QString VersionText(std::uint32_t modelCode) {
    const QString hex = QStringLiteral("%1").arg(modelCode, 8, 16, QLatin1Char('0')).toUpper();
    QString major = hex.left(4);
    while (major.size() > 1 && major.startsWith(QLatin1Char('0')))
        major.remove(0, 1);
    return major + QLatin1Char('.') + hex.right(4);
}

std::array<QString, 4> SplitAddress(const QString &dotted) {
    const QStringList parts = dotted.split(QLatin1Char('.'));
    std::array<QString, 4> labels;
    for (int n = 0; n < 3 && n < parts.size(); ++n)
        labels[static_cast<std::size_t>(n)] = parts[n];
    if (parts.size() >= 4) labels[3] = parts.mid(3).join(QLatin1Char('.'));
    return labels;
}

QString JoinAddress(const std::array<QString, 4> &parts) {
    return parts[0] + QLatin1Char('.') + parts[1] + QLatin1Char('.') + parts[2] + QLatin1Char('.') +
           parts[3];
}

QString ChangedEntryCaption(int port, int entry) {
    return QStringLiteral("ISP %1-%2").arg(port + 1).arg(entry + 1);
}

QString OpeningEntryCaption(int port, int entry) {
    if (entry == 3) return QStringLiteral("RAS%1-4").arg(port + 1);
    return QStringLiteral("ISP%1-%2").arg(port + 1).arg(entry + 1);
}

int FindRouter(const RouterRecord *table, int size, const QString &ip) {
    if (ip == QStringLiteral("0.0.0.0")) return 0;
    for (int i = 0; i < size; ++i)
        if (FormatIp(table[i].address) == ip) return i;
    return 0;
}

int CheckFtpEntries(bool ftpOn, const QString &name, const QString &password, const QString &host) {
    const bool allBlank =
        name.trimmed().isEmpty() && password.trimmed().isEmpty() && host.trimmed().isEmpty();
    return ftpOn && allBlank ? -1 : 0;
}

} // namespace tarvo::options
