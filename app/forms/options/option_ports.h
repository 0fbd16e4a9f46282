// What the options dialog needs from the rest of the program, each behind a narrow interface so
// that the dialog is tested with fakes.
#pragma once

#include "monitor_geometry_source.h"
#include "settings_effects.h"

#include <QColor>
#include <QIcon>
#include <QString>
#include <optional>

namespace tarvo::options {

// The traffic monitor's window as it is now, in twips; nothing while it is not shown.
using MonitorGeometrySource = tarvo::MonitorGeometrySource;

// The main window and the core, as far as the dialog reaches them.
class OptionHost {
  public:
    virtual ~OptionHost() = default;
    virtual QString programFolder() const = 0;
    virtual QIcon mainWindowIcon() const = 0;
    // Modal, with an OK button and an error icon.
    virtual void showWarning(const QString &text, const QString &title) = 0;
    // Looks the selected router up again and reads its line condition.
    virtual void lookUpSelectedRouter() = 0;
    // What happens in the rest of the program when the dialog goes: the router is looked up
    // again, the main window's router display refreshed, the line read, the main window shown.
    virtual void dialogClosed() = 0;
    // Asks the time server at list position `index` in test mode; the reply comes back through
    // FrmOption::showTimeTestReply.
    virtual void startTimeTest(int index) = 0;
};

// The standard pickers; nothing when the user cancels.
class OptionPickers {
  public:
    virtual ~OptionPickers() = default;
    virtual std::optional<QString> pickProgram(QWidget *parent, const QString &folder) = 0;
    virtual std::optional<QColor> pickColour(QWidget *parent, const QColor &current) = 0;
};

} // namespace tarvo::options
