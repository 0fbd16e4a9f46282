#include "desktop_help_viewer.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace tarvo {

std::optional<QString> DesktopHelpViewer::open(const QString &path) {
    // The desktop only says yes or no; the file itself can tell why it cannot be shown.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return path + QStringLiteral("\n") + file.errorString();
    file.close();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return path + QStringLiteral("\nNo viewer is registered for this file type.");
    return std::nullopt;
}

} // namespace tarvo
