#include "form_commands.h"
#include "frm_main.h"
#include "frm_msg.h"
#include "real_window_core.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct WidgetFixture : RealWindowCore {
    WidgetFixture() { ConnectForms(window, cancelWindow, core); }
};

// The entries of a menu by object name, "-" for a separator that has no name.
QStringList entries(const QMenu *menu) {
    QStringList names;
    for (const QAction *a : menu->actions())
        names << (a->objectName().isEmpty() ? QStringLiteral("-") : a->objectName());
    return names;
}

QStringList texts(const QMenu *menu) {
    QStringList out;
    for (const QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

TEST(MainWindowFormTest, EveryControlCarriesItsNameAndCaption) {
    WidgetFixture f;
    const std::pair<const char *, const char *> buttons[] = {
        {"cmdStart", "連続接続"}, {"cmdIN", "接続"},  {"cmdOut", "切断"},
        {"cmdKensaku", "検索"},   {"cmdEnd", "終了"},
    };
    for (const auto &[name, caption] : buttons) {
        auto *b = f.window.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(b->text(), QString::fromUtf8(caption));
    }
    EXPECT_EQ(f.window.findChild<QLabel *>(QStringLiteral("Label1"))->text(),
              QStringLiteral("ダイヤル回数"));
    EXPECT_EQ(f.window.findChild<QLabel *>(QStringLiteral("lblCount"))->text(),
              QStringLiteral("0"));
    EXPECT_NE(f.window.findChild<QLabel *>(QStringLiteral("lblIp")), nullptr);
    EXPECT_NE(f.window.findChild<QStatusBar *>(QStringLiteral("StatusBar")), nullptr);
    for (const char *name : {"Line1", "Line2"})
        EXPECT_NE(f.window.findChild<QWidget *>(QString::fromLatin1(name)), nullptr) << name;
    for (const char *name : {"Timer", "TimerStart", "TimerIcon", "TimerWatch", "TimerWatch2",
                             "TimerWatch3", "TimerWatch4", "TimerWatch5"})
        EXPECT_NE(f.window.timer(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(f.window.height(), 128);

    EXPECT_EQ(f.cancelWindow.objectName(), QStringLiteral("frmMsg"));
    EXPECT_EQ(f.cancelWindow.windowTitle(), QStringLiteral("接続中"));
    EXPECT_EQ(f.cancelWindow.findChild<QLabel *>(QStringLiteral("lblMsg"))->text(),
              QStringLiteral("処理中"));
    EXPECT_EQ(f.cancelWindow.findChild<QPushButton *>(QStringLiteral("cmdCancel"))->text(),
              QStringLiteral("中止"));
}

TEST(MainWindowFormTest, MenusHoldTheirEntriesInOrder) {
    WidgetFixture f;
    const QList<QAction *> bar = f.window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("File(&F)"));
    EXPECT_EQ(texts(bar[0]->menu()), QStringList({"Option(&O)", "End(&Q)"}));
    EXPECT_EQ(entries(bar[0]->menu()), QStringList({"munFileOption", "mnuEnd"}));
    EXPECT_EQ(bar[1]->text(), QStringLiteral("Index(&I)"));
    EXPECT_EQ(texts(bar[1]->menu()), QStringList({"Help(&H)", "Index(&I)"}));

    const QMenu *tray = f.window.trayMenu();
    EXPECT_EQ(tray->title(), QStringLiteral("ポップアップメニュー"));
    EXPECT_EQ(texts(tray), QStringList({"スタート",
                                        "-",
                                        "表示",
                                        "非表示",
                                        "-",
                                        "連続接続",
                                        "接続",
                                        "切断",
                                        "-",
                                        "IP取得",
                                        "IP FTP転送",
                                        "-",
                                        "ローカルIP取得",
                                        "ローカルIP FTP転送",
                                        "-",
                                        "検索",
                                        "環境設定",
                                        "-",
                                        "モニター表示",
                                        "情報表示",
                                        "ヘルプ",
                                        "-",
                                        "終了"}));
    EXPECT_EQ(
        entries(tray),
        QStringList({"munStartEntry", "munSep1",    "munShow",       "munHide",       "munSep2",
                     "munRenzoku",    "munConnect", "munDisconnect", "munSep3",       "munGetIP",
                     "munIPFTP",      "munSep4",    "munGetLocalIP", "munLocalIPFTP", "munSep5",
                     "munSearch",     "munOption",  "munSep6",       "munMonitor",    "munAbout",
                     "munHelp",       "munSep7",    "munEnd"}));
    const QMenu *start = tray->actions()[0]->menu();
    EXPECT_EQ(entries(start), QStringList({"munStartSep0", "munProgram1", "munProgram2",
                                           "munProgram3", "munProgram4", "munProgram5",
                                           "munStartSep1", "munGoStart", "munGoEnd"}));
    EXPECT_EQ(texts(start).mid(7), QStringList({"連動起動", "連動終了"}));

    EXPECT_EQ(f.window.ipMenu()->title(), QStringLiteral("IP取得"));
    EXPECT_EQ(texts(f.window.ipMenu()), QStringList({"-", "IP取得", "ローカルIP取得"}));
}

struct PollCase {
    int line;
    bool connectInProgress;
    QStringList enabled;
};

TEST(MainWindowFormTest, PollStatusEnablesTheEntriesOfEachLineState) {
    const QStringList toggled = {"cmdIN",         "cmdOut",        "cmdStart", "munRenzoku",
                                 "munConnect",    "munDisconnect", "munGetIP", "munIPFTP",
                                 "munLocalIPFTP", "munEnd",        "mnuGetIP"};
    const PollCase cases[] = {
        {LINE_OFF, false, {"munEnd"}},
        {LINE_IDLE, false, {"cmdIN", "cmdStart", "munRenzoku", "munConnect", "munEnd"}},
        // Mid-sequence the exit stays off too: the connect sequence turned it off.
        {LINE_IDLE, true, {}},
        {LINE_BUSY, false, {"munEnd"}},
        {LINE_CONNECTED,
         false,
         {"cmdOut", "munDisconnect", "munGetIP", "munIPFTP", "munLocalIPFTP", "munEnd",
          "mnuGetIP"}},
        {KZV_E_NO_ANSWER, false, {"munEnd"}},
    };
    for (const auto &c : cases) {
        WidgetFixture f;
        // Every command present, so that only the line decides.
        for (int i = 0; i <= static_cast<int>(Command::IpGetLocalIP); ++i)
            f.window.setCommandAvailable(static_cast<Command>(i), true);
        f.core.state.RouterTable[0].address = 0xC0A80001;
        f.core.state.DoneFlag = true;
        f.core.state.ConnectInProgress = c.connectInProgress;
        f.library.line = c.line;
        f.core.PollStatus(0);
        QStringList on;
        for (const QString &name : toggled) {
            const QObject *o = f.window.findChild<QObject *>(name);
            ASSERT_NE(o, nullptr) << name.toStdString();
            const bool enabled = qobject_cast<const QAction *>(o)
                                     ? qobject_cast<const QAction *>(o)->isEnabled()
                                     : qobject_cast<const QWidget *>(o)->isEnabled();
            if (enabled) on << name;
        }
        EXPECT_EQ(on, c.enabled) << "line " << c.line;
    }
}

TEST(MainWindowFormTest, EntriesOfCommandsNotInTheProgramStayDisabled) {
    WidgetFixture f;
    f.core.state.RouterTable[0].address = 0xC0A80001;
    f.core.state.DoneFlag = true;
    f.library.line = LINE_CONNECTED;
    f.core.PollStatus(0);
    EXPECT_TRUE(f.window.action(Command::TrayDisconnect)->isEnabled());
    EXPECT_FALSE(f.window.action(Command::TrayGetIP)->isEnabled());
    EXPECT_TRUE(f.window.requestedEnabled(Command::TrayGetIP));
    EXPECT_FALSE(f.window.action(Command::MnuAbout)->isEnabled());
    EXPECT_TRUE(f.window.action(Command::TrayHelp)->isEnabled());
}

TEST(MainWindowFormTest, TrayLeftClickTogglesTheWindow) {
    WidgetFixture f;
    f.core.HookWindow();
    f.window.show();
    f.windowMessages.post(MSG_TRAY, 1, WM_LBUTTONDOWN);
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.window.isVisible());
    EXPECT_TRUE(f.window.action(Command::TrayShow)->isEnabled());
    EXPECT_FALSE(f.window.action(Command::TrayHide)->isEnabled());

    f.windowMessages.post(MSG_TRAY, 1, WM_LBUTTONDOWN);
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.window.isMinimized());
    EXPECT_FALSE(f.window.action(Command::TrayShow)->isEnabled());
    EXPECT_TRUE(f.window.action(Command::TrayHide)->isEnabled());
}

TEST(MainWindowFormTest, HideDoesNothingWhileAnotherWindowOfTheProgramIsActive) {
    WidgetFixture f;
    f.window.show();
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    QWidget about; // stands in for the About and options windows
    about.setObjectName(QStringLiteral("frmAbout"));
    about.show();
    about.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about));

    f.window.action(Command::TrayHide)->trigger();
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.window.isMinimized());

    about.close();
    f.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.window));
    f.window.action(Command::TrayHide)->trigger();
    EXPECT_TRUE(f.window.isMinimized());
    EXPECT_FALSE(f.window.isVisible());
    f.window.action(Command::TrayShow)->trigger();
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_FALSE(f.window.isMinimized());
}

TEST(CancelWindowTest, CancelButtonAndUserCloseCancelButTheProgramsOwnCloseDoesNot) {
    WidgetFixture f;
    f.cancelWindow.show();
    QTest::mouseClick(f.cancelWindow.findChild<QPushButton *>(QStringLiteral("cmdCancel")),
                      Qt::LeftButton);
    EXPECT_TRUE(f.core.state.CancelFlag);

    f.core.state.CancelFlag = false;
    f.cancelWindow.unload();
    EXPECT_FALSE(f.core.state.CancelFlag);
    EXPECT_FALSE(f.cancelWindow.isVisible());

    f.cancelWindow.show();
    f.cancelWindow.close();
    EXPECT_TRUE(f.core.state.CancelFlag);
}

TEST(MainWindowFormTest, CloseBoxShutsTheProgramDown) {
    WidgetFixture f;
    f.core.Main();
    ASSERT_TRUE(f.window.isVisible());
    f.window.close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.core.state.ExitInProgress);
    EXPECT_EQ(f.services.quits, 1);
    EXPECT_EQ(f.library.cleanupCalls, 1);
    EXPECT_FALSE(f.window.isVisible());
}

TEST(MainWindowFormTest, RightClickOnTheAddressOpensTheIpMenu) {
    WidgetFixture f;
    f.window.show();
    QLabel *ip = f.window.findChild<QLabel *>(QStringLiteral("lblIp"));
    QTest::mousePress(ip, Qt::RightButton);
    EXPECT_TRUE(f.window.ipMenu()->isVisible());
    f.window.ipMenu()->hide();
    QTest::mousePress(f.window.findChild<QPushButton *>(QStringLiteral("cmdKensaku")),
                      Qt::RightButton);
    EXPECT_FALSE(f.window.ipMenu()->isVisible());
}

} // namespace
} // namespace tarvo::testing
