#include "desktop_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tarvo {

void DesktopClipboard::clear() {
    if (QClipboard *c = QGuiApplication::clipboard()) c->clear();
}

void DesktopClipboard::setText(const QString &text) {
    if (QClipboard *c = QGuiApplication::clipboard()) c->setText(text);
}

} // namespace tarvo
