#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tarvo::options {

// An up-down control beside a text box: each press steps the box's number by 1 within the
// bounds. The box keeps its own text rules; this only writes the stepped number into it.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    UpDown(QLineEdit *buddy, int minimum, int maximum, QWidget *parent);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    QLineEdit *buddy() const { return buddy_; }
    void stepBy(int steps);

  private:
    QLineEdit *buddy_;
    int minimum_;
    int maximum_;
};

} // namespace tarvo::options
