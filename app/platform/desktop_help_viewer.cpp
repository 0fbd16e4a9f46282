#include "desktop_help_viewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tarvo {

std::optional<QString> DesktopHelpViewer::open(const QString &path) {
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        return QStringLiteral("ヘルプファイル(") + path + QStringLiteral(")が見つかりません。");
    // The desktop only says yes or no: no there means it has no browser to hand the page to.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath())))
        return QStringLiteral("ヘルプを表示できません。\r\n"
                              "ヘルプを開くブラウザが見つかりません。");
    return std::nullopt;
}

} // namespace tarvo
