#pragma once

#include "ports.h"

namespace tarvo {

class MessageBoxes : public MessageBoxPort {
  public:
    void show(const QString &text, const QString &title, MessageIcon icon) override;
};

} // namespace tarvo
