#pragma once

#include <QString>
#include <ostream>

QT_BEGIN_NAMESPACE
// Readable failures: gtest finds this by argument-dependent lookup.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
