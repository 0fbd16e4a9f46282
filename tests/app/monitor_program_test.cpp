// The traffic monitor as the program runs it: the tray entry that toggles it with its caption
// and shown flag, the settings that place it and size its history, the position saved to the
// settings file on close.
#include "frm_main.h"
#include "frm_msg.h"
#include "menu_settings_effects.h"
#include "real_window_core.h"
#include "settings.h"
#include "traffic_monitor.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct ProgramFixture : RealWindowCore {
    QTemporaryDir folder;
    MenuSettingsEffects effects{window};
    settings::Settings store{folder.path().toStdString(), {1, 2, 3}, effects};
    TrafficMonitor monitor{store, core, window};

    ProgramFixture() {
        effects.monitorGeometry = [this](const settings::MonitorGeometry &g) {
            monitor.setPosition(g);
        };
        effects.trafficHistory = [this](int lastIndex) { monitor.recreateHistory(lastIndex); };
    }
    QString entry() const { return window.action(Command::TrayMonitor)->text(); }
    void writeIni(const char *text) {
        QFile f(folder.filePath(QStringLiteral("InitData.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray ini() const {
        QFile f(folder.filePath(QStringLiteral("InitData.ini")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST(MonitorProgramTest, EntryTogglesTheWindowCaptionAndFlag) {
    ProgramFixture f;
    EXPECT_EQ(f.entry(), QStringLiteral("モニター表示"));
    f.monitor.Toggle();
    ASSERT_NE(f.monitor.form(), nullptr);
    EXPECT_TRUE(f.monitor.form()->isVisible());
    EXPECT_EQ(f.monitor.form()->timer()->interval(), 1000);
    EXPECT_TRUE(f.monitor.form()->timer()->isActive());
    EXPECT_EQ(f.entry(), QStringLiteral("モニター非表示"));
    EXPECT_TRUE(f.monitor.shown());
    EXPECT_TRUE(f.monitor.currentGeometry().has_value());

    f.monitor.Toggle();
    f.settle();
    EXPECT_EQ(f.monitor.form(), nullptr);
    EXPECT_EQ(f.entry(), QStringLiteral("モニター表示"));
    EXPECT_FALSE(f.monitor.shown());
    EXPECT_FALSE(f.monitor.currentGeometry().has_value());

    // "モニター終了" in the window's own menu restores the entry the same way.
    f.monitor.Toggle();
    f.monitor.form()->popupMenu()->actions()[1]->trigger();
    f.settle();
    EXPECT_EQ(f.entry(), QStringLiteral("モニター表示"));
    EXPECT_FALSE(f.monitor.shown());
}

TEST(MonitorProgramTest, SettingsPlaceTheWindowAndSizeTheHistory) {
    ProgramFixture f;
    f.writeIni("[Other]\r\nMonitorPoint=30\r\nMonitorPoint1=1500\r\nMonitorPoint2=3000\r\n"
               "MonitorPoint3=7500\r\nMonitorPoint4=1200\r\nTopDisp2=0\r\n");
    ASSERT_EQ(f.store.LoadOther(), 0);
    EXPECT_EQ(f.monitor.history().points(), 30);
    EXPECT_EQ(f.monitor.history().received().size(), 31u);
    f.monitor.Toggle();
    EXPECT_EQ(f.monitor.form()->geometry(), QRect(100, 200, 500, 80));
    const auto g = f.monitor.currentGeometry();
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->left, 1500);
    EXPECT_EQ(g->top, 3000);
    EXPECT_EQ(g->width, 7500);
    EXPECT_EQ(g->height, 1200);
    EXPECT_FALSE(f.monitor.form()->windowFlags() & Qt::WindowStaysOnTopHint);
    f.monitor.Toggle();
}

TEST(MonitorProgramTest, AutoSaveWritesThePositionOnClose) {
    ProgramFixture f;
    f.writeIni("[Other]\r\nMonitorAutoSave=1\r\n");
    ASSERT_EQ(f.store.LoadOther(), 0);
    f.monitor.Toggle();
    f.monitor.form()->move(200, 300);
    f.monitor.Stop(); // as at program end
    f.settle();
    const QByteArray ini = f.ini();
    EXPECT_TRUE(ini.contains("MonitorPoint1=3000\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("MonitorPoint2=4500\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("MonitorPoint3=6000\r\n")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("MonitorPoint4=1500\r\n")) << ini.toStdString();
    EXPECT_EQ(f.store.Other.MonitorPoint1, 3000);
    EXPECT_FALSE(f.monitor.shown());
}

} // namespace
} // namespace tarvo::testing
