#pragma once

#include "publish_ports.h"

namespace tarvo {

class DesktopClipboard : public ClipboardPort {
  public:
    void clear() override;
    void setText(const QString &text) override;
};

} // namespace tarvo
