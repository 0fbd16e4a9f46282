#include "frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace tarvo {

namespace {
// The window is 1920 twips high, at the fixed 15 twips to a pixel.
constexpr int kHeightPixels = 1920 / 15;
constexpr int kWidthPixels = 360;

// The window that was last active among the program's own, menus left aside: with the program
// in the background, the desktop has no active window of ours but the user's last one counts.
QPointer<QWidget> lastActiveForm;

class ActiveFormTracker : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            if (w->isWindow() && !(w->windowFlags() & Qt::Popup)) lastActiveForm = w;
        }
        return false;
    }
};
} // namespace

FrmMain::FrmMain(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    static ActiveFormTracker *tracker = nullptr;
    if (tracker == nullptr) {
        tracker = new ActiveFormTracker(qApp);
        qApp->installEventFilter(tracker);
    }
    buildControls();
    buildMenus();

    // Commands whose windows and modules the program does not have yet.
    for (Command c : {Command::MnuAbout, Command::TrayGetIP, Command::TrayIPFTP,
                      Command::TrayGetLocalIP, Command::TrayLocalIPFTP, Command::TrayMonitor,
                      Command::TrayAbout, Command::IpGetIP, Command::IpGetLocalIP})
        setCommandAvailable(c, false);

    resize(kWidthPixels, kHeightPixels);
    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kWidthPixels / 2, kHeightPixels / 2));
    }
}

void FrmMain::buildControls() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmMainClient"));
    central->installEventFilter(this);
    setCentralWidget(central);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(6, 4, 6, 2);
    column->setSpacing(3);

    auto *buttons = new QHBoxLayout;
    const struct {
        const char *name;
        const char *text;
        Command command;
    } buttonDefs[] = {
        {"cmdStart", "連続接続", Command::CmdStart}, {"cmdIN", "接続", Command::CmdIN},
        {"cmdOut", "切断", Command::CmdOut},         {"cmdKensaku", "検索", Command::CmdKensaku},
        {"cmdEnd", "終了", Command::CmdEnd},
    };
    for (const auto &def : buttonDefs) {
        auto *button = new QPushButton(QString::fromUtf8(def.text), central);
        button->setObjectName(QString::fromLatin1(def.name));
        button->installEventFilter(this);
        const Command command = def.command;
        connect(button, &QPushButton::clicked, this,
                [this, command] { emit commandTriggered(command); });
        controls_[command] = button;
        buttons->addWidget(button);
    }

    auto *line1 = new QFrame(central);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);

    auto *info = new QHBoxLayout;
    auto *label1 = new QLabel(QStringLiteral("ダイヤル回数"), central);
    label1->setObjectName(QStringLiteral("Label1"));
    lblCount_ = new QLabel(QStringLiteral("0"), central);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    lblCount_->setMinimumWidth(48);
    lblIp_ = new QLabel(central);
    lblIp_->setObjectName(QStringLiteral("lblIp"));
    lblIp_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    info->addWidget(label1);
    info->addWidget(lblCount_);
    info->addStretch(1);
    info->addWidget(lblIp_);

    auto *line2 = new QFrame(central);
    line2->setObjectName(QStringLiteral("Line2"));
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);

    column->addLayout(buttons);
    column->addWidget(line1);
    column->addLayout(info);
    column->addWidget(line2);
    column->addStretch(1);

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    statusText_ = new QLabel(bar);
    statusText_->setObjectName(QStringLiteral("StatusBarText"));
    bar->addWidget(statusText_, 1);
    for (QWidget *w : std::initializer_list<QWidget *>{label1, lblCount_, lblIp_, bar, statusText_})
        w->installEventFilter(this);

    for (const char *name : {"Timer", "TimerStart", "TimerIcon", "TimerWatch", "TimerWatch2",
                             "TimerWatch3", "TimerWatch4", "TimerWatch5"}) {
        auto *t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
    }
    timerIcon_ = timer(QStringLiteral("TimerIcon"));
    connect(timerIcon_, &QTimer::timeout, this, &FrmMain::iconTimerTick);
}

QAction *FrmMain::addEntry(QMenu *menu, const char *name, const QString &text, Command command) {
    QAction *a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    controls_[command] = a;
    connect(a, &QAction::triggered, this, [this, command] { emit commandTriggered(command); });
    return a;
}

QAction *FrmMain::addSeparator(QMenu *menu, const char *name) {
    QAction *a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void FrmMain::buildMenus() {
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("File(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addEntry(file, "munFileOption", QStringLiteral("Option(&O)"), Command::MnuOption);
    addEntry(file, "mnuEnd", QStringLiteral("End(&Q)"), Command::MnuEnd);
    QMenu *index = bar->addMenu(QStringLiteral("Index(&I)"));
    index->setObjectName(QStringLiteral("mnuIndex"));
    addEntry(index, "mnuHelp", QStringLiteral("Help(&H)"), Command::MnuHelp);
    addEntry(index, "mnuAbout", QStringLiteral("Index(&I)"), Command::MnuAbout);

    // Owned by the window but never in its menu bar: both pop up where the mouse is.
    trayMenu_ = new QMenu(QStringLiteral("ポップアップメニュー"), this);
    trayMenu_->setObjectName(QStringLiteral("munPopup"));
    // Separators are shown and hidden by the settings, and must stay where they are.
    trayMenu_->setSeparatorsCollapsible(false);
    QMenu *start = trayMenu_->addMenu(QStringLiteral("スタート"));
    start->setObjectName(QStringLiteral("munStart"));
    start->setSeparatorsCollapsible(false);
    controls_[Command::TrayStart] = start->menuAction();
    start->menuAction()->setObjectName(QStringLiteral("munStartEntry"));
    addSeparator(start, "munStartSep0");
    for (int i = 1; i <= 5; ++i) {
        QAction *a = start->addAction(QString());
        a->setObjectName(QStringLiteral("munProgram%1").arg(i));
        a->setVisible(false);
    }
    addSeparator(start, "munStartSep1")->setVisible(false);
    start->addAction(QStringLiteral("連動起動"))->setObjectName(QStringLiteral("munGoStart"));
    start->addAction(QStringLiteral("連動終了"))->setObjectName(QStringLiteral("munGoEnd"));
    findChild<QAction *>(QStringLiteral("munGoStart"))->setVisible(false);
    findChild<QAction *>(QStringLiteral("munGoEnd"))->setVisible(false);

    addSeparator(trayMenu_, "munSep1");
    addEntry(trayMenu_, "munShow", QStringLiteral("表示"), Command::TrayShow);
    addEntry(trayMenu_, "munHide", QStringLiteral("非表示"), Command::TrayHide);
    addSeparator(trayMenu_, "munSep2");
    addEntry(trayMenu_, "munRenzoku", QStringLiteral("連続接続"), Command::TrayRenzoku);
    addEntry(trayMenu_, "munConnect", QStringLiteral("接続"), Command::TrayConnect);
    addEntry(trayMenu_, "munDisconnect", QStringLiteral("切断"), Command::TrayDisconnect);
    addSeparator(trayMenu_, "munSep3");
    addEntry(trayMenu_, "munGetIP", QStringLiteral("IP取得"), Command::TrayGetIP);
    addEntry(trayMenu_, "munIPFTP", QStringLiteral("IP FTP転送"), Command::TrayIPFTP);
    addSeparator(trayMenu_, "munSep4");
    addEntry(trayMenu_, "munGetLocalIP", QStringLiteral("ローカルIP取得"), Command::TrayGetLocalIP);
    addEntry(trayMenu_, "munLocalIPFTP", QStringLiteral("ローカルIP FTP転送"),
             Command::TrayLocalIPFTP);
    addSeparator(trayMenu_, "munSep5");
    addEntry(trayMenu_, "munSearch", QStringLiteral("検索"), Command::TraySearch);
    addEntry(trayMenu_, "munOption", QStringLiteral("環境設定"), Command::TrayOption);
    addSeparator(trayMenu_, "munSep6");
    addEntry(trayMenu_, "munMonitor", QStringLiteral("モニター表示"), Command::TrayMonitor);
    addEntry(trayMenu_, "munAbout", QStringLiteral("情報表示"), Command::TrayAbout);
    addEntry(trayMenu_, "munHelp", QStringLiteral("ヘルプ"), Command::TrayHelp);
    addSeparator(trayMenu_, "munSep7");
    addEntry(trayMenu_, "munEnd", QStringLiteral("終了"), Command::TrayEnd);

    ipMenu_ = new QMenu(QStringLiteral("IP取得"), this);
    ipMenu_->setObjectName(QStringLiteral("mnuIP"));
    ipMenu_->setSeparatorsCollapsible(false);
    addSeparator(ipMenu_, "mnuIPSep")->setVisible(false);
    addEntry(ipMenu_, "mnuGetIP", QStringLiteral("IP取得"), Command::IpGetIP);
    addEntry(ipMenu_, "mnuGetLocalIP", QStringLiteral("ローカルIP取得"), Command::IpGetLocalIP)
        ->setVisible(false);
}

QAction *FrmMain::action(Command command) const {
    auto it = controls_.find(command);
    return it == controls_.end() ? nullptr : qobject_cast<QAction *>(it->second.data());
}

QTimer *FrmMain::timer(const QString &name) const {
    return findChild<QTimer *>(name, Qt::FindDirectChildrenOnly);
}

void FrmMain::setCommandAvailable(Command command, bool available) {
    if (available)
        unavailable_.erase(command);
    else
        unavailable_.insert(command);
    applyEnabled(command);
}

bool FrmMain::requestedEnabled(Command command) const {
    auto it = requested_.find(command);
    return it == requested_.end() ? true : it->second;
}

void FrmMain::applyEnabled(Command command) {
    auto it = controls_.find(command);
    if (it == controls_.end() || !it->second) return;
    const bool on = requestedEnabled(command) && !unavailable_.count(command);
    if (auto *a = qobject_cast<QAction *>(it->second.data()))
        a->setEnabled(on);
    else if (auto *w = qobject_cast<QWidget *>(it->second.data()))
        w->setEnabled(on);
}

QRect FrmMain::geometryPixels() const {
    return QRect(pos(), size());
}

void FrmMain::setWindowPos(bool topmost, const QRect &pixels) {
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    move(pixels.topLeft());
    resize(pixels.size());
    show();
}

void FrmMain::setCaption(const QString &text) {
    setWindowTitle(text);
}

QString FrmMain::caption() const {
    return windowTitle();
}

void FrmMain::setEnabled(Command command, bool enabled) {
    requested_[command] = enabled;
    applyEnabled(command);
}

void FrmMain::setStatusText(const QString &text) {
    statusText_->setText(text);
}

void FrmMain::setCountText(const QString &text) {
    lblCount_->setText(text);
}

void FrmMain::setIpText(const QString &text) {
    lblIp_->setText(text);
}

WindowState FrmMain::windowState() const {
    const Qt::WindowStates s = QMainWindow::windowState();
    if (s & Qt::WindowMinimized) return WindowState::Minimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowState::Maximized;
    return WindowState::Normal;
}

void FrmMain::setWindowState(WindowState state) {
    Qt::WindowStates s = QMainWindow::windowState() &
                         ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == WindowState::Minimized) s |= Qt::WindowMinimized;
    if (state == WindowState::Maximized) s |= Qt::WindowMaximized;
    QMainWindow::setWindowState(s);
}

void FrmMain::setVisible(bool visible) {
    QMainWindow::setVisible(visible);
}

void FrmMain::showForm() {
    if (isVisible()) return; // already shown: taking the focus again would only annoy
    show();
    raise();
    activateWindow();
}

bool FrmMain::isActiveForm() const {
    if (QWidget *active = QApplication::activeWindow()) return active == this;
    return lastActiveForm.isNull() || lastActiveForm == this;
}

void FrmMain::popupTrayMenu() {
    trayMenu_->popup(QCursor::pos());
}

void FrmMain::setIconTimer(int periodMs) {
    if (periodMs > 0)
        timerIcon_->start(periodMs);
    else
        timerIcon_->stop();
}

void FrmMain::unload() {
    unloading_ = true;
    close();
}

void FrmMain::closeEvent(QCloseEvent *event) {
    if (unloading_) {
        event->accept();
        return;
    }
    // Every other close ends the program through its one shutdown, which closes this window.
    event->ignore();
    QMetaObject::invokeMethod(this, &FrmMain::closeRequested, Qt::QueuedConnection);
}

void FrmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) emit stateChanged();
}

void FrmMain::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    emit stateChanged();
}

bool FrmMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            // Buttons have no IP menu; the press must not reach the background behind them.
            if (!qobject_cast<QPushButton *>(watched))
                ipMenu_->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tarvo
