#include "option_host.h"

#include "bas_main.h"
#include "clock_correction.h"

namespace tarvo {

namespace {
constexpr int kRetryMs = 500;
}

ProgramOptionHost::ProgramOptionHost(BasMain &core, MainWindowPort &window,
                                     std::function<QIcon()> windowIcon, MessageBoxPort &messages,
                                     ClockCorrection &clock, CoreServices &services)
    : core_(core), window_(window), windowIcon_(std::move(windowIcon)), messages_(messages),
      clock_(clock), services_(services) {
    retry_.setInterval(kRetryMs);
    QObject::connect(&retry_, &QTimer::timeout, &retry_, [this] {
        if (core_.state.ExitInProgress || takeRouterChoice()) retry_.stop();
    });
}

QString ProgramOptionHost::programFolder() const {
    return services_.programFolder();
}

QIcon ProgramOptionHost::mainWindowIcon() const {
    return windowIcon_ ? windowIcon_() : QIcon();
}

void ProgramOptionHost::showWarning(const QString &text, const QString &title) {
    messages_.show(text, title, MessageIcon::Stop);
}

void ProgramOptionHost::lookUpSelectedRouter() {
    // Only a look: while a sequence runs, its own polls keep the line's state current.
    core_.RunSequence([this] {
        core_.state.SelectedRouter = core_.FindSelectedRouter();
        core_.PollStatus(core_.state.SelectedRouter);
    });
}

bool ProgramOptionHost::takeRouterChoice() {
    return core_.RunSequence([this] {
        core_.state.SelectedRouter = core_.FindSelectedRouter();
        core_.RefreshMainWindow();
        core_.PollStatus(core_.state.SelectedRouter);
    });
}

void ProgramOptionHost::dialogClosed() {
    // A dial or hang-up in progress keeps its router; the new choice follows when it is done.
    if (!takeRouterChoice() && !core_.state.ExitInProgress) retry_.start();
    window_.showForm();
}

void ProgramOptionHost::startTimeTest(int index) {
    clock_.StartTest(index);
}

} // namespace tarvo
