#pragma once

#include "frm_option.h"

#include <QPointer>

namespace tarvo::options {

// Opens the options dialog: a new one on every opening, the one already shown filled again
// from the store when it is open.
class OptionDialogOpener {
  public:
    struct Ports {
        settings::Settings &store;
        RouterLibrary &library;
        const CoreState &core;
        OptionHost &host;
        OptionPickers &pickers;
        MonitorGeometrySource &monitor;
    };

    explicit OptionDialogOpener(Ports ports) : p_(ports) {}
    ~OptionDialogOpener();
    OptionDialogOpener(const OptionDialogOpener &) = delete;
    OptionDialogOpener &operator=(const OptionDialogOpener &) = delete;

    void ShowOptions();
    // The open dialog, if any.
    FrmOption *dialog() const { return dialog_; }
    // A new search changed the discovery list.
    void refillRouterGrid();
    void showTimeTestReply(const QString &text);
    // The program is ending: the dialog goes without its closing actions, which would read the
    // line from a library that is already cleaned up.
    void unload();

  private:
    Ports p_;
    QPointer<FrmOption> dialog_;
    ConditionExRecord condition_{};
    bool opening_ = false;
};

// The monitor's own geometry while it is shown; otherwise the one stored for it, which is where
// it will open.
class StoredMonitorGeometry : public MonitorGeometrySource {
  public:
    explicit StoredMonitorGeometry(const settings::Settings &store,
                                   const MonitorGeometrySource *live = nullptr)
        : store_(store), live_(live) {}
    std::optional<settings::MonitorGeometry> currentGeometry() const override;

  private:
    const settings::Settings &store_;
    const MonitorGeometrySource *live_;
};

} // namespace tarvo::options
