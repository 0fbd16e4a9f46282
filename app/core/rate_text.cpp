#include "rate_text.h"

#include <cmath>
#include <cstdlib>

namespace tarvo {

namespace {
// One decimal at most, none when it would be 0: "1.5", "12".
QString scaled(std::int64_t value, const char *unit) {
    static const char *const prefixes[] = {"", "k", "M", "G", "T"};
    double v = static_cast<double>(value);
    int i = 0;
    while (std::fabs(v) >= 1000.0 && i < 4) {
        v /= 1000.0;
        ++i;
    }
    QString number = i == 0 ? QString::number(value) : QString::number(v, 'f', 1);
    if (number.endsWith(QLatin1String(".0"))) number.chop(2);
    return number + QLatin1Char(' ') + QLatin1String(prefixes[i]) + QLatin1String(unit);
}
} // namespace

QString HumanRate(std::int64_t bytesPerSecond) {
    return scaled(bytesPerSecond, "B/s") + QStringLiteral(" (") +
           scaled(bytesPerSecond * 8, "bit/s") + QLatin1Char(')');
}

QString HumanBytes(std::int64_t bytes) {
    return scaled(bytes, "B");
}

QString BpsCaption(std::int32_t value) {
    return QString::number(value) + QStringLiteral("bps");
}

} // namespace tarvo
