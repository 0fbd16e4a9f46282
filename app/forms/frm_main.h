#pragma once

#include "ports.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <set>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace tarvo {

// The main window: buttons, the attempt counter, the router's address, a status bar, and the
// tray and IP menus it owns. It only shows what the core tells it and reports what the user did.
class FrmMain : public QMainWindow, public MainWindowPort {
    Q_OBJECT
  public:
    explicit FrmMain(QWidget *parent = nullptr);

    // MainWindowPort
    QRect geometryPixels() const override;
    void setWindowPos(bool topmost, const QRect &pixels) override;
    void setCaption(const QString &text) override;
    QString caption() const override;
    void setEnabled(Command command, bool enabled) override;
    void setStatusText(const QString &text) override;
    void setCountText(const QString &text) override;
    void setIpText(const QString &text) override;
    WindowState windowState() const override;
    void setWindowState(WindowState state) override;
    void setVisible(bool visible) override;
    void showForm() override;
    bool isActiveForm() const override;
    void popupTrayMenu() override;
    void setIconTimer(int periodMs) override;
    void unload() override;

    // Entries whose commands are not in the program yet stay disabled whatever the line does.
    void setCommandAvailable(Command command, bool available);
    // What the sequences asked for, before availability is applied.
    bool requestedEnabled(Command command) const;

    QMenu *trayMenu() const { return trayMenu_; }
    QMenu *ipMenu() const { return ipMenu_; }
    QAction *action(Command command) const;
    QTimer *timer(const QString &name) const;

  signals:
    void commandTriggered(tarvo::Command command);
    void closeRequested();
    void stateChanged();
    void iconTimerTick();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildControls();
    void buildMenus();
    QAction *addEntry(QMenu *menu, const char *name, const QString &text, Command command);
    QAction *addSeparator(QMenu *menu, const char *name);
    void applyEnabled(Command command);

    std::map<Command, QPointer<QObject>> controls_;
    std::map<Command, bool> requested_;
    std::set<Command> unavailable_;
    QMenu *trayMenu_ = nullptr;
    QMenu *ipMenu_ = nullptr;
    QLabel *statusText_ = nullptr;
    QLabel *lblCount_ = nullptr;
    QLabel *lblIp_ = nullptr;
    QTimer *timerIcon_ = nullptr;
    bool unloading_ = false;
};

} // namespace tarvo
