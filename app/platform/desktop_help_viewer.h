#pragma once

#include "ports.h"

namespace tarvo {

// Hands the help file to the desktop's default viewer for its type.
class DesktopHelpViewer : public HelpViewer {
  public:
    std::optional<QString> open(const QString &path) override;
};

} // namespace tarvo
