#pragma once

#include "ports.h"

#include <QPointer>
#include <vector>

class QMessageBox;

namespace tarvo {

// Boxes that do not hold the program up: `show` opens a box and returns, so that a box left open
// overnight keeps neither the schedule nor the watches from running. Each box has the object
// name "MessageBox".
class MessageBoxes : public MessageBoxPort {
  public:
    MessageBoxes() = default;
    ~MessageBoxes() override;
    MessageBoxes(const MessageBoxes &) = delete;
    MessageBoxes &operator=(const MessageBoxes &) = delete;

    void show(const QString &text, const QString &title, MessageIcon icon) override;
    void showAndWait(const QString &text, const QString &title, MessageIcon icon) override;

  private:
    std::vector<QPointer<QMessageBox>> open_;
};

} // namespace tarvo
