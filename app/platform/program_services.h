#pragma once

#include "ports.h"

#include <QPointer>
#include <QTimer>

namespace tarvo {

// The process as the core sees it, and the modules of the program that are not built yet.
class ProgramServices : public CoreServices {
  public:
    QString programFolder() const override;
    QString dataFolder() const override { return dataFolder_; }
    QString localHostName() const override;
    // Linux has no shutdown privilege to enable: powering off goes through logind, which asks
    // its own policy. Nothing to do here, and nothing to report.
    void enableShutdownPrivilege() override {}
    void stopMainTimer() override;
    void terminateNow() override;
    void quit() override;

    void setMainTimer(QTimer *timer) { mainTimer_ = timer; }
    // Chosen once at start-up (ChooseDataFolder).
    void setDataFolder(const QString &folder) { dataFolder_ = folder; }

  private:
    QString dataFolder_ = programFolder();
    QPointer<QTimer> mainTimer_;
};

} // namespace tarvo
