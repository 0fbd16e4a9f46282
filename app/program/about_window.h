#pragma once

#include "frm_about.h"
#include "ports.h"
#include "publish_ports.h"
#include "settings.h"

#include <QPointer>

namespace tarvo {

class BasMain;
class FrmMain;
class SystemFactsPort;
class SystemInfoTool;

// The About window as the program opens it from "Index(&I)" and "情報表示".
class AboutWindow : public AboutEnvironment {
  public:
    struct Ports {
        settings::Settings &store;
        BasMain &core;
        FrmMain &main;
        SystemFactsPort &system;
        SystemInfoTool &sysInfo;
        MessageBoxPort &messages;
        CoreServices &services;
        // The LAN address: the interface that carries the route to the router.
        LanAddressPort &lanAddress;
        QString libraryFileName;
    };
    explicit AboutWindow(Ports ports) : p_(std::move(ports)) {}
    ~AboutWindow() override;

    // Opens the window, or brings the open one to the front.
    void Show();
    void Unload();
    FrmAbout *form() const { return form_; }

    QString description() override;
    QIcon mainIcon() const override;
    int aboutWatch() const override { return p_.store.Watch.AboutWatch; }
    int aboutWatchTime() const override { return p_.store.Watch.AboutWatchTime; }
    bool startSystemInfo() override;
    void showMessage(const QString &text) override;

  private:
    Ports p_;
    QPointer<FrmAbout> form_;
};

} // namespace tarvo
