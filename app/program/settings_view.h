#pragma once

#include "ports.h"
#include "settings.h"

namespace tarvo {

// The settings the core reads, taken from the program-wide store.
class SettingsView : public CoreSettings {
  public:
    explicit SettingsView(settings::Settings &store) : s_(store) {}

    void loadAll() override;
    QString IP() const override { return QString::fromStdString(s_.Standard.IP); }
    QString Port() const override { return QString::fromStdString(s_.Standard.Port); }
    QString Count() const override { return QString::fromStdString(s_.Standard.Count); }
    int STime() const override { return s_.Standard.STime; }
    int UseNumber() const override { return s_.Standard.UseNumber; }
    int LOG() const override { return s_.Other.LOG; }
    int Start() const override { return s_.ConnectionStart.Start; }
    int TerehoStart() const override { return s_.ConnectionStart.TerehoStart; }
    int FTP() const override { return s_.ConnectionStart.FTP; }
    int TerehoStartFTP() const override { return s_.ConnectionStart.TerehoStartFTP; }
    int StandardEnd() const override { return s_.Standard.End; }
    int Hyouzi() const override { return s_.Other.Hyouzi; }
    int TopDisp1() const override { return s_.Other.TopDisp1; }
    int AutoStart() const override { return s_.Standard.AutoStart; }
    QString StartTime() const override { return QString::fromStdString(s_.Standard.StartTime); }
    QString EndTime() const override { return QString::fromStdString(s_.Standard.EndTime); }
    int SEnd() const override { return s_.Standard.SEnd; }
    int EndType(int n) const override;
    int Watch() const override { return s_.Watch.Watch; }
    int TerehoSts() const override { return s_.Watch.TerehoSts; }
    int WatchTime() const override { return s_.Watch.WatchTime; }
    int WatchAutoStart() const override { return s_.Watch.WatchAutoStart; }
    int Watch2() const override { return s_.Watch.Watch2; }
    int TerehoSts2() const override { return s_.Watch.TerehoSts2; }
    int WatchTime2() const override { return s_.Watch.WatchTime2; }
    int NTPIndex() const override { return s_.Watch.NTPIndex; }
    int CorvastineWatchTime() const override { return s_.Watch.CorvastineWatchTime; }
    int WatchTime3() const override { return s_.Watch.WatchTime3; }
    int Zisa() const override { return s_.Watch.Zisa; }

  private:
    settings::Settings &s_;
};

} // namespace tarvo
