#pragma once

#include "option_ports.h"
#include "ports.h"

#include <QTimer>
#include <functional>

namespace tarvo {

class BasMain;
class ClockCorrection;

// The options dialog's reach into the running program.
class ProgramOptionHost : public options::OptionHost {
  public:
    ProgramOptionHost(BasMain &core, MainWindowPort &window, std::function<QIcon()> windowIcon,
                      MessageBoxPort &messages, ClockCorrection &clock, CoreServices &services);

    QString programFolder() const override;
    QIcon mainWindowIcon() const override;
    void showWarning(const QString &text, const QString &title) override;
    void lookUpSelectedRouter() override;
    void dialogClosed() override;
    void startTimeTest(int index) override;

  private:
    // False while a line sequence runs: the router may not change under it.
    bool takeRouterChoice();

    BasMain &core_;
    MainWindowPort &window_;
    std::function<QIcon()> windowIcon_;
    MessageBoxPort &messages_;
    ClockCorrection &clock_;
    CoreServices &services_;
    QTimer retry_;
};

} // namespace tarvo
