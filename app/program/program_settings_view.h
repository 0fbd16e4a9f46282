#pragma once

#include "program_ports.h"
#include "settings.h"

namespace tarvo {

// The registered-program keys, taken from the program-wide store.
class ProgramSettingsView : public ProgramSettings {
  public:
    explicit ProgramSettingsView(settings::Settings &store) : s_(store) {}

    int End() const override { return s_.ConnectionStart.End; }
    int Time() const override { return s_.ConnectionStart.Time; }
    int CStartDirData(int slot) const override {
        return s_.ConnectionStart.CStartDirData.at(at(slot));
    }
    QString StartDirData(int slot) const override {
        return QString::fromStdString(s_.ConnectionStart.StartDirData.at(at(slot)));
    }
    QString StartOptData(int slot) const override {
        return QString::fromStdString(s_.ConnectionStart.StartOptData.at(at(slot)));
    }

  private:
    static std::size_t at(int slot) { return static_cast<std::size_t>(slot); }
    settings::Settings &s_;
};

} // namespace tarvo
