// The publishing entries of the real main window, wired as the program wires them.
#include "form_commands.h"
#include "frm_main.h"
#include "frm_msg.h"
#include "ip_publisher.h"
#include "publish_commands.h"
#include "publish_fakes.h"
#include "qt_query_timer.h"
#include "real_window_core.h"
#include "upload_picture.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct PublishMenus : ::testing::Test, RealWindowCore {
    QTemporaryDir dir;
    FakeTransfer transfer;
    QtQueryTimer timerWatch4{window.timer(QStringLiteral("TimerWatch4"))};
    FakeClipboard clipboard;
    FakeLan lan;
    settings::ConnectionStartKeys keys;
    IpPublisher publisher{IpPublisher::Ports{transfer, timerWatch4, messages, clipboard, lan,
                                             window, core.state.Info, keys, settings, services,
                                             [this] {
                                                 services.upload = publisher.UploadBusy;
                                                 PollForUpload(core, publisher.UploadBusy);
                                             }}};

    PublishMenus() {
        services.folder = dir.path();
        keys.FTPHOST = "ftp.example.lab";
        keys.FTPPORT = "21";
        keys.FTPFontColor = "&H00FFFFFF";
        keys.FTPBackColor = "&H00000000";
        ConnectForms(window, cancelWindow, core);
        ConnectPublishCommands(window, publisher);
        tray.present = true;
        core.state.DoneFlag = true;
        // The router the settings name, as discovery would have found it.
        core.state.RouterTable[0].address = 0xC0A80001;
        library.ex.global_address = 0xCB007107; // 203.0.113.7
    }
    QAction *entry(const char *name) {
        return window.findChild<QAction *>(QString::fromLatin1(name));
    }
};

TEST_F(PublishMenus, EntriesFollowTheLine) {
    const char *lineBound[] = {"munGetIP", "munIPFTP", "munLocalIPFTP", "mnuGetIP"};
    const char *always[] = {"munGetLocalIP", "mnuGetLocalIP"};
    // Shown, as the PopMun keys GetLocalIP and MLocalIPFTP set to 1 show them: a hidden action
    // counts as disabled.
    for (const char *name : always)
        entry(name)->setVisible(true);
    for (int line : {LINE_CONNECTED, LINE_IDLE}) {
        library.line = line;
        core.PollStatus(0);
        for (const char *name : lineBound)
            EXPECT_EQ(entry(name)->isEnabled(), line == LINE_CONNECTED) << name << " " << line;
        for (const char *name : always)
            EXPECT_TRUE(entry(name)->isEnabled()) << name << " " << line;
    }
}

TEST_F(PublishMenus, EntriesRunTheirCommands) {
    library.line = LINE_CONNECTED;
    core.PollStatus(0);
    ASSERT_EQ(window.caption(), QStringLiteral("203.0.113.7"));

    entry("mnuGetIP")->trigger();
    EXPECT_EQ(clipboard.text, QStringLiteral("203.0.113.7"));
    entry("munGetLocalIP")->trigger();
    EXPECT_EQ(clipboard.text, QStringLiteral("192.168.0.10"));

    entry("munIPFTP")->trigger();
    ASSERT_EQ(transfer.started.size(), 1u);
    EXPECT_EQ(tray.pictures.back(), TRAY_UPLOADING);
    EXPECT_TRUE(window.timer(QStringLiteral("TimerWatch4"))->isActive());
    EXPECT_EQ(window.timer(QStringLiteral("TimerWatch4"))->interval(), 60000);
    transfer.report(FTP_COMPLETED);
    transfer.report(FTP_DISCONNECTED);
    EXPECT_EQ(tray.pictures.back(), TRAY_CONNECTED);
    EXPECT_FALSE(window.timer(QStringLiteral("TimerWatch4"))->isActive());

    entry("munLocalIPFTP")->trigger();
    ASSERT_EQ(transfer.started.size(), 2u);
    // The watchdog's timer drives the publisher: the fourth tick closes.
    for (int i = 0; i < 4; ++i)
        QMetaObject::invokeMethod(window.timer(QStringLiteral("TimerWatch4")), "timeout");
    EXPECT_EQ(transfer.closes, 2);
}

} // namespace
} // namespace tarvo::testing
