// Small makers for the dialog's controls: each control is born with its name and caption.
#pragma once

#include "up_down.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tarvo::options {

template <class T> T *named(T *widget, const QString &name) {
    widget->setObjectName(name);
    return widget;
}

inline QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text) {
    return named(new QLabel(text, parent), name);
}

inline QCheckBox *makeCheck(QWidget *parent, const QString &name, const QString &text) {
    return named(new QCheckBox(text, parent), name);
}

inline QRadioButton *makeOption(QWidget *parent, const QString &name, const QString &text) {
    return named(new QRadioButton(text, parent), name);
}

inline QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text) {
    auto *b = named(new QPushButton(text, parent), name);
    b->setAutoDefault(false);
    return b;
}

inline QGroupBox *makeFrame(QWidget *parent, const QString &name, const QString &title) {
    return named(new QGroupBox(title, parent), name);
}

inline QLineEdit *makeEdit(QWidget *parent, const QString &name, const QString &text, int maxLength,
                           int widthPixels = 0) {
    auto *e = named(new QLineEdit(text, parent), name);
    e->setMaxLength(maxLength);
    if (widthPixels > 0) e->setFixedWidth(widthPixels);
    return e;
}

// A text box with its up-down control beside it, in one row.
inline QWidget *makeNumber(QWidget *parent, const QString &editName, const QString &upDownName,
                           const QString &text, int maxLength, int minimum, int maximum,
                           int widthPixels) {
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *edit = makeEdit(box, editName, text, maxLength, widthPixels);
    edit->setAlignment(Qt::AlignRight);
    row->addWidget(edit);
    row->addWidget(named(new UpDown(edit, minimum, maximum, box), upDownName));
    row->addStretch(1);
    return box;
}

} // namespace tarvo::options
