// The small HTML page that tells the world the router's current address, and where it goes on
// the FTP server. Pure functions: the publisher writes and sends what these give.
#pragma once

#include <QString>
#include <optional>

namespace tarvo {

// What the page consists of when a colour cannot be used.
inline const QString kPageEditError = QStringLiteral("EDIT ERROR!!!");

// A colour setting (00BBGGRR as "&H…" or decimal) as the page's RRGGBB, upper-case; nothing for
// a text that is not a number or a value above 0xFFFFFF.
std::optional<QString> PageColour(const QString &setting);

// The whole page, every line ending in CR LF. The link lines count only when `gotoIpPage` is 1,
// the script only when both switches are 1. A colour that cannot be used gives kPageEditError.
QString BuildIpPage(const QString &backColour, const QString &fontColour, int gotoIpPage,
                    int autoGoto, const QString &ip);

// The page's file name: the setting, or "IPData.html" when it is blank.
QString PageFileName(const QString &setting);

// The remote folder: the setting with "/" appended unless it ends in one; "/" when blank.
QString RemoteFolder(const QString &setting);

} // namespace tarvo
