#pragma once

#include "ports.h"

namespace tarvo {

// Hands the HTML manual to the desktop's browser. What goes wrong is told in the program's own
// words, in Japanese, like its other messages.
class DesktopHelpViewer : public HelpViewer {
  public:
    std::optional<QString> open(const QString &path) override;
};

} // namespace tarvo
