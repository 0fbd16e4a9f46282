#pragma once

#include "about_window.h"
#include "clock_correction.h"
#include "connection_log.h"
#include "ip_publisher.h"
#include "program_services.h"
#include "registered_programs.h"
#include "schedule.h"
#include "traffic_monitor.h"

#include <functional>

namespace tarvo {

// The program's modules as the line sequences reach them. They are made after the core they
// serve, so they are attached once everything exists.
class ProgramModules : public ProgramServices {
  public:
    void attach(Schedule &schedule, ConnectionLog &log, ClockCorrection &clock) {
        schedule_ = &schedule;
        log_ = &log;
        clock_ = &clock;
    }

    void writeLog(LogKind kind) override {
        if (log_) log_->WriteLog(kind);
    }
    void attachPrograms(RegisteredPrograms &programs) { programs_ = &programs; }

    void startLaunchSequence(int /*index*/, int periodMs) override {
        if (programs_) programs_->StartLaunchSequence(periodMs);
    }
    void endPrograms() override {
        if (programs_) programs_->EndPrograms();
    }
    void attachPublisher(IpPublisher &publisher) { publisher_ = &publisher; }
    void uploadIpPage(int which) override {
        if (publisher_) publisher_->UploadIpPage(which);
    }
    bool uploadBusy() const override { return publisher_ && publisher_->UploadBusy; }
    void cancelTransfer() override {
        if (publisher_) publisher_->CancelTransfer();
    }

    bool inFlatRateHours() override { return schedule_ && schedule_->InFlatRateHours(); }
    void correctClock(int index) override {
        if (clock_) clock_->CorrectClock(index);
    }
    void fillRouterGrid() override {
        if (routerGridRefill) routerGridRefill();
    }

    // The options dialog's router list, when the dialog is open.
    std::function<void()> routerGridRefill;
    std::function<void()> optionsUnload;

    void attachWindows(TrafficMonitor &monitor, AboutWindow &about) {
        monitor_ = &monitor;
        about_ = &about;
    }
    void clearMonitorShownFlag() override {
        if (monitor_) monitor_->ClearShownFlag();
    }
    void stopTrafficMonitor() override {
        if (monitor_) monitor_->Stop();
    }
    void unloadSecondaryForms() override {
        if (about_) about_->Unload();
        if (optionsUnload) optionsUnload();
    }

  private:
    TrafficMonitor *monitor_ = nullptr;
    AboutWindow *about_ = nullptr;
    Schedule *schedule_ = nullptr;
    ConnectionLog *log_ = nullptr;
    ClockCorrection *clock_ = nullptr;
    RegisteredPrograms *programs_ = nullptr;
    IpPublisher *publisher_ = nullptr;
};

} // namespace tarvo
