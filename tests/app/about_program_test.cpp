// The About window as the program opens it: the text built from the line's data after one poll,
// the system port and the LAN address towards the configured router; closing shows the main
// window again.
#include "about_window.h"
#include "frm_main.h"
#include "frm_msg.h"
#include "real_window_core.h"
#include "settings.h"
#include "system_facts.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

class FixedFacts : public SystemFactsPort {
  public:
    SystemFacts read() const override {
        SystemFacts s;
        s.systemName = QStringLiteral("Linux");
        s.kernelRelease = QStringLiteral("6.1.0-18-amd64");
        s.hostName = QStringLiteral("pc-lab");
        return s;
    }
};

class FakeLan : public LanAddressPort {
  public:
    mutable QStringList asked;
    QString lanAddress(const QString &router) const override {
        asked << router;
        return QStringLiteral("10.77.0.2");
    }
};

class FakeTool : public SystemInfoTool {
  public:
    bool start() override { return false; }
};

class NoEffects : public settings::SettingsEffects {
  public:
    void showStartMenu(const settings::StartMenuView &) override {}
    void fillTimeServerList() override {}
    void armWatchTimer(settings::WatchTimer) override {}
    void stopWatchTimer(settings::WatchTimer) override {}
    void showPopupMenus(const settings::PopupMenuView &) override {}
    void setMonitorGeometry(const settings::MonitorGeometry &) override {}
    void recreateTrafficHistory(int) override {}
};

struct AboutFixture : RealWindowCore {
    QTemporaryDir folder;
    NoEffects effects;
    settings::Settings store{folder.path().toStdString(), {1, 2, 3}, effects};
    FixedFacts facts;
    FakeLan lan;
    FakeTool tool;
    AboutWindow about{AboutWindow::Ports{store, core, window, facts, tool, messages, services, lan,
                                         QStringLiteral("libQuaystone.so")}};
};

TEST(AboutProgramTest, TextFromThePollTheSystemAndTheRoute) {
    AboutFixture f;
    f.store.Standard.IP = "10.77.1.2";
    f.core.state.LibraryVersion = 66048;
    f.core.state.Info.ConnectTimeText = QStringLiteral("37250");
    f.services.folder = QStringLiteral("/srv/tarvo");
    // The router the settings name, as discovery would have found it.
    f.core.state.RouterTable[0].address = 0xC0A80001;
    const int pollsBefore = f.library.conditionCalls;
    f.about.Show();
    ASSERT_NE(f.about.form(), nullptr);
    EXPECT_GT(f.library.conditionCalls, pollsBefore); // the line was polled first
    const QString text = f.about.form()
                             ->findChild<QPlainTextEdit *>(QStringLiteral("txtDescription"))
                             ->toPlainText();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 21) << text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Linux           : 6.1(Build:0)"));
    EXPECT_EQ(lines[7], QStringLiteral("libQuaystone.so : 1.0200"));
    EXPECT_EQ(lines[8], QStringLiteral("LocalHostName   : PC-LAB"));
    EXPECT_EQ(lines[9], QStringLiteral("LocalIP         : 10.77.0.2"));
    EXPECT_EQ(f.lan.asked.value(0), QStringLiteral("10.77.1.2"));
    EXPECT_EQ(lines[20], QStringLiteral("ﾃﾞｰﾀﾌｫﾙﾀﾞ       : /srv/tarvo"));
    EXPECT_EQ(f.about.form()->windowTitle(), QStringLiteral("Corvastine操作ﾂｰﾙのﾊﾞｰｼﾞｮﾝ情報"));
}

TEST(AboutProgramTest, ClosingShowsTheMainWindow) {
    AboutFixture f;
    f.window.hide();
    f.about.Show();
    f.about.form()->close();
    EXPECT_TRUE(f.window.isVisible());
}

} // namespace
} // namespace tarvo::testing
