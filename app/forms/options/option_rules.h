// The options dialog's plain rules: key filters, the corrections a field gets when it loses the
// focus, the router list's texts and the dial-entry captions. No widgets here.
#pragma once

#include <quaystone/quaystone.h>

#include <QString>
#include <array>
#include <cstdint>

namespace tarvo::options {

// Key filters on typed character codes: the code to pass on, 0 to discard it.
int DigitsOnly(int key);
int AlphanumericOnly(int key);

// Plain digit strings, with blanks around them, an optional sign and one decimal point.
bool IsNumber(const QString &text);
// A text that is not a number becomes "0".
QString RequireNumber(const QString &text);

// Formats a number with a pattern of "0" (a digit always shown) and "#" (a digit shown only when
// needed), rounded to a whole number, halves away from zero. No upper bound.
QString FormatPattern(const QString &number, const QString &pattern);

// What a numeric field does, after RequireNumber, before the pattern.
enum class OwnStep {
    None,
    ZeroBecomesOne, // a text of exactly "0" becomes "1"
    AtLeastEighty,  // a value below 80 becomes "80"
};

struct FieldCheck {
    OwnStep step = OwnStep::None;
    QString pattern; // empty: RequireNumber only
};

// The whole correction of a field that loses the focus.
QString CheckField(const FieldCheck &check, const QString &text);

// A blank page file name falls back to the default one.
QString CheckPageFileName(const QString &text);

// The router list's "Version" cell: the model code as eight hexadecimal digits, the first four
// without leading zeros, ".", the last four as they are. Digits A to F show in upper case.
QString VersionText(std::uint32_t modelCode);

// A dotted address cut into the four labels. Texts that are not four parts still show: missing
// parts are empty, and any parts beyond the fourth stay with the fourth, so that joining the
// labels again gives the text back whenever it had at least four parts.
std::array<QString, 4> SplitAddress(const QString &dotted);
QString JoinAddress(const std::array<QString, 4> &parts);

// Dial-entry captions with no router chosen: "ISP 2-1" after a port or router change,
// "ISP1-1" and "RAS1-4" when the dialog opens. `entry` is 0..3, `port` 0 or 1.
QString ChangedEntryCaption(int port, int entry);
QString OpeningEntryCaption(int port, int entry);

// Position in the discovery list of the first router whose address text is `ip`; 0 when there
// is none, and always 0 for "0.0.0.0".
int FindRouter(const RouterRecord *table, int size, const QString &ip);

// -1 when the upload is on and name, password and host are all blank; 0 otherwise.
int CheckFtpEntries(bool ftpOn, const QString &name, const QString &password, const QString &host);

} // namespace tarvo::options
