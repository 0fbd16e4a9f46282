#pragma once

#include "frm_monitor.h"
#include "monitor_geometry_source.h"
#include "settings.h"
#include "traffic_history.h"

#include <QPoint>
#include <functional>
#include <memory>

namespace tarvo {

class BasMain;
class FrmMain;

// The traffic monitor as the program runs it: the main window's menu entry that opens and
// closes it, the history that outlives the window, and the remembered position.
class TrafficMonitor : public MonitorEnvironment, public MonitorGeometrySource {
  public:
    TrafficMonitor(settings::Settings &store, BasMain &core, FrmMain &main);
    ~TrafficMonitor() override;

    // "モニター表示" / "モニター非表示"
    void Toggle();
    bool shown() const { return shownFlag_; }
    // Start-up: the monitor counts as not shown.
    void ClearShownFlag();
    // Program end: the timer stops and every drawing loop with it, then the window closes.
    void Stop();
    FrmMonitor *form() const { return form_.get(); }

    // From the settings file.
    void setPosition(const settings::MonitorGeometry &g);
    void recreateHistory(int lastIndex) { history_.recreate(lastIndex); }
    const TrafficHistory &history() const { return history_; }

    // MonitorGeometrySource
    std::optional<settings::MonitorGeometry> currentGeometry() const override;

    // MonitorEnvironment
    MonitorOptions options() const override;
    void poll() override;
    QString receivedBytesText() const override;
    QString sentBytesText() const override;
    QPoint pointerPixels() const override { return pointer(); }
    void saveGeometry(const TwipRect &position) override;

    // Where the pointer is; replaced in tests.
    std::function<QPoint()> pointer;

  private:
    void unloaded();
    void setMenuCaption(const QString &text);

    settings::Settings &store_;
    BasMain &core_;
    FrmMain &main_;
    TrafficHistory history_{80};
    TwipRect position_{0, 0, 6000, 1500};
    std::unique_ptr<FrmMonitor> form_;
    bool shownFlag_ = false;
};

} // namespace tarvo
