#include "up_down.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvo::options {

UpDown::UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const auto addButton = [&](Qt::ArrowType arrow, int steps) {
        auto *b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(16, 11);
        connect(b, &QToolButton::clicked, this, [this, steps] { stepBy(steps); });
        column->addWidget(b);
    };
    addButton(Qt::UpArrow, 1);
    addButton(Qt::DownArrow, -1);
    setFixedSize(16, 22);
}

void UpDown::stepBy(int steps) {
    bool ok = false;
    const int now = buddy_->text().trimmed().toInt(&ok);
    const int from = ok ? now : minimum_;
    const int next = std::clamp(from + steps, minimum_, maximum_);
    buddy_->setText(QString::number(next));
}

} // namespace tarvo::options
