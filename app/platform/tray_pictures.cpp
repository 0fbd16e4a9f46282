#include "tray_pictures.h"

#include <QString>

static void initPictures() {
    // The pictures live in a static library, whose resources register only when asked for.
    static const bool done = [] {
        Q_INIT_RESOURCE(tarvo);
        return true;
    }();
    (void)done;
}

namespace tarvo {

QIcon TrayPicture(int index) {
    initPictures();
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 98:
    case 99:
        return QIcon(QStringLiteral(":/tray/tray_%1.svg").arg(index));
    default:
        return {};
    }
}

} // namespace tarvo
