#pragma once

#include "option_ports.h"

class QFileInfo;

namespace tarvo::options {

// What the program picker lists: folders always, and under its first filter only the files
// that may be executed (programs here have no .EXE to tell them by).
bool ListedAsProgram(const QFileInfo &entry, bool executablesOnly);

// The desktop's open-file and colour dialogs.
class QtOptionPickers : public OptionPickers {
  public:
    std::optional<QString> pickProgram(QWidget *parent, const QString &folder) override;
    std::optional<QColor> pickColour(QWidget *parent, const QColor &current) override;
};

} // namespace tarvo::options
