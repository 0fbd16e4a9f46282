#pragma once

#include "ports.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

namespace tarvo {

class WindowMessageBridge;

// The task-tray icon. Clicks reach the program as tray messages posted to the main window, the
// way the core expects them.
class SystemTray : public QObject, public TrayPort {
    Q_OBJECT
  public:
    explicit SystemTray(const WindowMessageBridge &window, QObject *parent = nullptr);
    ~SystemTray() override;

    bool add(int picture, const QString &tip) override;
    bool setPicture(int picture) override;
    bool remove() override;

    QSystemTrayIcon *icon() const { return icon_.get(); }

  private:
    const WindowMessageBridge &window_;
    std::unique_ptr<QSystemTrayIcon> icon_;
};

} // namespace tarvo
