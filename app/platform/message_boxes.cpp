#include "message_boxes.h"

#include <QMessageBox>

namespace tarvo {

namespace {
void fill(QMessageBox &box, const QString &text, const QString &title, MessageIcon icon) {
    box.setObjectName(QStringLiteral("MessageBox"));
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
}
} // namespace

MessageBoxes::~MessageBoxes() {
    for (const QPointer<QMessageBox> &box : open_)
        delete box.data();
}

void MessageBoxes::show(const QString &text, const QString &title, MessageIcon icon) {
    std::erase_if(open_,
                  [](const QPointer<QMessageBox> &b) { return b.isNull() || !b->isVisible(); });
    // A watch that fails every few minutes through the night leaves one box, not a pile.
    const QString plain = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QPointer<QMessageBox> &open : open_) {
        if (open->windowTitle() == title && open->text() == plain) {
            open->raise();
            return;
        }
    }
    // Not modal: the rest of the program stays usable and nothing waits for the OK.
    auto *box = new QMessageBox;
    fill(*box, text, title, icon);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    open_.emplace_back(box);
    box->show();
    box->raise();
    box->activateWindow();
}

void MessageBoxes::showAndWait(const QString &text, const QString &title, MessageIcon icon) {
    QMessageBox box;
    fill(box, text, title, icon);
    box.exec();
}

} // namespace tarvo
