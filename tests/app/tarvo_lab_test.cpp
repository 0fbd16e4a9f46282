// Tarvo in the virtual LAN, on a private display, driven through its widgets (see
// lab_program.h). Each test is one ctest entry: the program quits the application when it ends.
#include "lab_program.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace tarvo::testing {
namespace {

using qs::emulator::ControlClient;

const QString kConnected = QStringLiteral("接続完了");
const QString kDisconnected = QStringLiteral("切断しました。");
// "[接続]" and "[切断]" in code page 932, as Python's cp932 codec gives them.
const QByteArray kConnectTag = QByteArray::fromHex("5b90da91b15d");
const QByteArray kDisconnectTag = QByteArray::fromHex("5b90d892665d");

std::string state(const ControlClient &c, const char *router) {
    return c.get(router, "port0.state");
}

bool isDiscovery(const qs::emulator::ReceivedDatagram &d) {
    // The search (broadcast) and the information request that discovery sends each router.
    return d.commandWord() == 0x4101 || d.commandWord() == 0x4104;
}

// Everything `router` received that discovery did not send, as "command word from sender".
std::set<std::string> beyondDiscovery(const ControlClient &c, const char *router) {
    std::set<std::string> out;
    for (const auto &d : c.log(router))
        if (!isDiscovery(d))
            out.insert(std::to_string(d.commandWord()) + " from " + d.senderAddress);
    return out;
}

// The default day: far from the schedule's 23:00 and 07:55.
const QTime kNoon(12, 0);

TEST(TarvoLabTest, DialsTheConfiguredRouterOfTwoAndHangsUp) {
    const ControlClient lab = LabProgram::emulator();
    // TARVO_INI_EXTRA: more settings, such as the lab's FTP server to publish the address to.
    LabProgram tarvo("[Standard]\r\nIP=10.77.1.2\r\n" + qgetenv("TARVO_INI_EXTRA"));
    tarvo.wall.set(kNoon);
    // A second start of the program asks this one to show itself while discovery still waits:
    // the window must not appear before the settings are loaded.
    std::optional<bool> shownDuringStartUp;
    QTimer::singleShot(0, [&] {
        tarvo.program().activate();
        shownDuringStartUp = LabProgram::mainWindow()->isVisible();
    });
    ASSERT_TRUE(tarvo.start());
    EXPECT_EQ(shownDuringStartUp, std::optional<bool>(false));
    const QString initial = LabProgram::caption();
    EXPECT_NE(initial, QStringLiteral("198.51.100.22"));
    EXPECT_EQ(LabProgram::find<QLabel>(QStringLiteral("lblIp"))->text(),
              QStringLiteral("10.77.1.2"));
    ASSERT_EQ(state(lab, "branch"), "3");
    ASSERT_EQ(state(lab, "office"), "3");
    LabProgram::screenshot(QStringLiteral("main"));

    ASSERT_TRUE(LabProgram::click("cmdIN"));
    ASSERT_TRUE(LabProgram::waitUntil(
        [] { return LabProgram::caption() == QStringLiteral("198.51.100.22"); }, 20000));
    EXPECT_EQ(state(lab, "branch"), "5");
    EXPECT_EQ(state(lab, "office"), "3");
    ASSERT_TRUE(LabProgram::waitUntil([] { return LabProgram::openBox(kConnected) != nullptr; }));
    LabProgram::screenshot(QStringLiteral("connected"));
    LabProgram::clickOk(LabProgram::openBox(kConnected));

    // With the lab's FTP server (tools/lab/ftp-setup.sh), the connection publishes the address.
    if (const QString root = qEnvironmentVariable("QS_LAB_FTP_ROOT"); !root.isEmpty()) {
        const QString page = root + QStringLiteral("/public_html/IPData.html");
        const auto published = [&] {
            QFile file(page);
            if (!file.open(QIODevice::ReadOnly)) return false;
            for (const QByteArray &line : file.readAll().split('\n'))
                if (line.startsWith("198.51.100.22<br>")) return true;
            return false;
        };
        EXPECT_TRUE(LabProgram::waitUntil(published, 10000)) << "no IP page on the FTP server";
    }

    // The tray menu, where most commands live.
    auto *main = LabProgram::mainWindow();
    QMenu *tray = main->findChild<QMenu *>(QStringLiteral("munPopup"));
    ASSERT_NE(tray, nullptr);
    tray->popup(main->mapToGlobal(QPoint(main->width() / 2, main->height() / 3)));
    LabProgram::screenshot(QStringLiteral("tray-menu"));
    tray->close();

    ASSERT_TRUE(LabProgram::click("cmdOut"));
    ASSERT_TRUE(LabProgram::waitUntil([&] { return LabProgram::caption() == initial; }, 20000));
    EXPECT_EQ(state(lab, "branch"), "3");
    ASSERT_TRUE(
        LabProgram::waitUntil([] { return LabProgram::openBox(kDisconnected) != nullptr; }));
    LabProgram::clickOk(LabProgram::openBox(kDisconnected));
    LabProgram::screenshot(QStringLiteral("disconnected"));
    EXPECT_TRUE(beyondDiscovery(lab, "office").empty());

    ASSERT_TRUE(LabProgram::click("cmdEnd"));
    EXPECT_TRUE(LabProgram::waitUntil([&] { return tarvo.ended(); }));
}

TEST(TarvoLabTest, AConnectBoxLeftOpenDoesNotStopTheScheduledHangUpAndEnd) {
    const ControlClient lab = LabProgram::emulator();
    LabProgram tarvo("[Standard]\r\nIP=10.77.1.2\r\nAutoStart=1\r\nStartTime=2300\r\n"
                     "EndTime=0755\r\nEnd=1\r\nSEnd=0\r\nEndType1=-1\r\n"
                     "[Other]\r\nLOG=1\r\nHyouzi=0\r\n");
    tarvo.wall.set(kNoon);
    ASSERT_TRUE(tarvo.start());
    // Should a box hold the program up after all, somebody comes by at last and clicks it, so
    // that this test fails on what it checks instead of hanging.
    QTimer userComes;
    userComes.setSingleShot(true);
    QObject::connect(&userComes, &QTimer::timeout, [] {
        for (QMessageBox *box : LabProgram::openBoxes())
            LabProgram::clickOk(box);
    });
    userComes.start(45000);

    tarvo.wall.set(QTime(22, 59, 59));
    ASSERT_TRUE(LabProgram::waitUntil([&] { return state(lab, "branch") == "5"; }, 20000));
    ASSERT_TRUE(LabProgram::waitUntil([] { return LabProgram::openBox(kConnected) != nullptr; }));
    QPointer<QMessageBox> box = LabProgram::openBox(kConnected);
    EXPECT_TRUE(tarvo.logBytes().startsWith(kConnectTag));
    LabProgram::screenshot(QStringLiteral("box-open-at-night"));

    // Nobody clicks OK. Morning comes.
    tarvo.wall.set(QTime(7, 54, 58), 1);
    ASSERT_TRUE(LabProgram::waitUntil([&] { return state(lab, "branch") == "3"; }, 20000));
    EXPECT_TRUE(box && box->isVisible()); // the box never got its OK
    ASSERT_TRUE(LabProgram::waitUntil([&] { return tarvo.ended(); }));
    EXPECT_EQ(tarvo.sessionEnd.requests, std::vector<EndRequest>{EndRequest::PowerOff});
    const QList<QByteArray> lines = tarvo.logBytes().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(kDisconnectTag)) << lines[1].toStdString();
    EXPECT_TRUE(beyondDiscovery(lab, "office").empty());
}

TEST(TarvoLabTest, WithTheConfiguredRouterAbsentNoOtherIsTouchedUntilItAnswers) {
    const ControlClient lab = LabProgram::emulator();
    lab.set("third", "silent", "1");
    lab.clearLog();
    LabProgram tarvo("[Standard]\r\nIP=10.77.1.3\r\nAutoStart=0\r\n"
                     "[Watch]\r\nCorvastineWatch=1\r\nCorvastineWatchTime=1\r\n");
    tarvo.wall.set(kNoon);
    ASSERT_TRUE(tarvo.start());
    EXPECT_FALSE(LabProgram::find<QPushButton>(QStringLiteral("cmdIN"))->isEnabled());
    EXPECT_FALSE(LabProgram::find<QPushButton>(QStringLiteral("cmdStart"))->isEnabled());
    EXPECT_EQ(LabProgram::caption(), QString());
    // The buttons do nothing either.
    EXPECT_FALSE(LabProgram::click("cmdIN"));

    // The router watch runs every minute; the test does not wait whole minutes for it.
    QTimer *watch5 = LabProgram::find<QWidget>(QStringLiteral("frmMain"))
                         ->findChild<QTimer *>(QStringLiteral("TimerWatch5"));
    ASSERT_NE(watch5, nullptr);
    ASSERT_TRUE(watch5->isActive());
    watch5->start(1000);
    const auto searches = [&] {
        int n = 0;
        for (const auto &d : lab.log("office"))
            n += d.commandWord() == 0x4101 ? 1 : 0;
        return n;
    };
    const int before = searches();
    ASSERT_TRUE(LabProgram::waitUntil([&] { return searches() >= before + 2; }, 20000));
    EXPECT_FALSE(LabProgram::find<QPushButton>(QStringLiteral("cmdIN"))->isEnabled());

    // C comes up; the next search finds it, and it is the one polled and dialled.
    lab.set("third", "silent", "0");
    ASSERT_TRUE(LabProgram::waitUntil(
        [] { return LabProgram::find<QPushButton>(QStringLiteral("cmdIN"))->isEnabled(); }, 20000));
    watch5->start(60000);
    ASSERT_TRUE(LabProgram::click("cmdIN"));
    ASSERT_TRUE(LabProgram::waitUntil([&] { return state(lab, "third") == "5"; }, 20000));
    ASSERT_TRUE(LabProgram::waitUntil(
        [] { return LabProgram::caption() == QStringLiteral("203.0.113.33"); }, 10000));
    EXPECT_EQ(state(lab, "office"), "3");
    EXPECT_EQ(state(lab, "branch"), "3");
    LabProgram::screenshot(QStringLiteral("absent-router-found"));

    EXPECT_EQ(beyondDiscovery(lab, "office"), std::set<std::string>{});
    EXPECT_EQ(beyondDiscovery(lab, "branch"), std::set<std::string>{});
    EXPECT_FALSE(beyondDiscovery(lab, "third").empty());
}

} // namespace
} // namespace tarvo::testing

int main(int argc, char **argv) {
    // The lab shares the machine's file system: its system bus must stay out of reach, so that
    // no request can reach the real logind or timedated.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tarvo-lab-no-system-bus");
    const bool required = qEnvironmentVariableIntValue("QS_LAB_REQUIRE") == 1;
    if (qEnvironmentVariable("QS_LAB") != QStringLiteral("1") ||
        qEnvironmentVariable("DISPLAY").isEmpty()) {
        std::fprintf(stderr, "tarvo_lab_test: runs only inside the lab, on a display\n");
        return required ? 1 : 77;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
