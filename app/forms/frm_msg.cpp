#include "frm_msg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo {

FrmMsg::FrmMsg(QWidget *parent) : QWidget(parent, Qt::Dialog) {
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(QStringLiteral("接続中"));
    auto *layout = new QVBoxLayout(this);
    auto *lblMsg = new QLabel(QStringLiteral("処理中"), this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAlignment(Qt::AlignCenter);
    auto *cmdCancel = new QPushButton(QStringLiteral("中止"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    layout->addWidget(lblMsg);
    layout->addWidget(cmdCancel, 0, Qt::AlignHCenter);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmMsg::cancelRequested);
    resize(200, 90);
}

QRect FrmMsg::geometryPixels() const {
    return QRect(pos(), size());
}

void FrmMsg::setWindowPos(bool topmost, const QRect &pixels) {
    if (parentWidget() != nullptr) setWindowIcon(parentWidget()->windowIcon());
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    move(pixels.topLeft());
    resize(pixels.size());
    show();
}

void FrmMsg::unload() {
    if (!isVisible()) return;
    unloading_ = true;
    close();
    unloading_ = false;
}

void FrmMsg::closeEvent(QCloseEvent *event) {
    // Closed by the user, the window means the same as its cancel button.
    if (!unloading_) emit cancelRequested();
    event->accept();
}

} // namespace tarvo
