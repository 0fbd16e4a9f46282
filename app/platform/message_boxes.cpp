#include "message_boxes.h"

#include <QMessageBox>

namespace tarvo {

void MessageBoxes::show(const QString &text, const QString &title, MessageIcon icon) {
    QMessageBox box;
    box.setWindowTitle(title);
    // The texts keep the Windows line ends they are defined with; Qt wants plain ones.
    box.setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case MessageIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::None:
        break;
    }
    box.setObjectName(QStringLiteral("MessageBox"));
    box.exec();
}

} // namespace tarvo
