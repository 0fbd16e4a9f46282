#include "option_dialog_opener.h"

#include <QLineEdit>

namespace tarvo::options {

OptionDialogOpener::~OptionDialogOpener() {
    delete dialog_.data();
}

void OptionDialogOpener::ShowOptions() {
    // Making the dialog reads the line, which lets pending events run: a second click on the
    // menu entry meanwhile must not make a second dialog.
    if (opening_) return;
    opening_ = true;
    if (dialog_.isNull())
        dialog_ = new FrmOption(FrmOption::Ports{p_.store, p_.library, p_.core, p_.host, p_.pickers,
                                                 p_.monitor, condition_});
    opening_ = false;
    dialog_->ShowOptions();
}

void OptionDialogOpener::refillRouterGrid() {
    if (!dialog_.isNull()) dialog_->FillRouterGrid();
}

void OptionDialogOpener::showTimeTestReply(const QString &text) {
    if (!dialog_.isNull()) dialog_->showTimeTestReply(text);
}

void OptionDialogOpener::unload() {
    delete dialog_.data();
}

std::optional<settings::MonitorGeometry> StoredMonitorGeometry::currentGeometry() const {
    if (live_ != nullptr)
        if (auto shown = live_->currentGeometry()) return shown;
    const auto &o = store_.Other;
    return settings::MonitorGeometry{o.MonitorPoint1, o.MonitorPoint2, o.MonitorPoint3,
                                     o.MonitorPoint4};
}

} // namespace tarvo::options
