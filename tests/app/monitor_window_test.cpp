// The monitor window driven tick by tick with a fake environment: captions, the pop-up menu,
// the minimum size, auto-hide at the top edge, the position saved on close.
#include "frm_monitor.h"
#include "qstring_printer.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

class FakeMonitorEnvironment : public MonitorEnvironment {
  public:
    MonitorOptions opts;
    QString received, sent;
    QPoint pointer{2000, 2000};
    std::vector<TwipRect> saved;
    std::function<void()> onPoll;
    int polls = 0;

    MonitorOptions options() const override { return opts; }
    void poll() override {
        ++polls;
        if (onPoll) onPoll();
    }
    QString receivedBytesText() const override { return received; }
    QString sentBytesText() const override { return sent; }
    QPoint pointerPixels() const override { return pointer; }
    void saveGeometry(const TwipRect &p) override { saved.push_back(p); }
};

QString text(const FrmMonitor &w, const char *name) {
    return w.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

struct MonitorFixture {
    TrafficHistory history{80};
    FakeMonitorEnvironment env;
    FrmMonitor window{history, env};

    void tick(const char *received, const char *sent) {
        env.received = QString::fromLatin1(received);
        env.sent = QString::fromLatin1(sent);
        window.tick();
    }
};

TEST(MonitorWindowTest, TicksSampleAndCaptionTheNewestValues) {
    MonitorFixture f;
    f.window.load({1500, 3000, 6000, 1500});
    EXPECT_EQ(text(f.window, "lblMAX"), QStringLiteral("0bps"));
    f.tick("5000", "1000"); // first reading: nothing yet
    EXPECT_EQ(text(f.window, "LabelZu"), QStringLiteral("0bps"));
    f.tick("6500", "1200");
    EXPECT_EQ(f.env.polls, 2);
    EXPECT_EQ(text(f.window, "LabelZu"), QStringLiteral("1500bps"));
    EXPECT_EQ(text(f.window, "LabelSo"), QStringLiteral("200bps"));
    EXPECT_EQ(text(f.window, "lblMAX"), QStringLiteral("1500bps"));
    const QString tip = f.window.findChild<QLabel *>(QStringLiteral("LabelZu"))->toolTip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("受信 1.5 kB/s (12 kbit/s)"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("受信 6.5 kB / 送信 1.2 kB"))) << tip.toStdString();

    // "モニター初期化" zeroes the graph; a quiet second then shows 0bps everywhere.
    QMenu *menu = f.window.popupMenu();
    ASSERT_EQ(menu->objectName(), QStringLiteral("munMonitor"));
    QStringList entries;
    for (QAction *a : menu->actions())
        entries << a->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("munMAX_ZERO=モニター初期化"),
                                    QStringLiteral("munEnd=モニター終了")}));
    menu->actions()[0]->trigger();
    f.tick("6500", "1200");
    EXPECT_EQ(text(f.window, "lblMAX"), QStringLiteral("0bps"));
    EXPECT_EQ(text(f.window, "LabelZu"), QStringLiteral("0bps"));
}

TEST(MonitorWindowTest, SizeAndPlacementFromTwips) {
    MonitorFixture f;
    f.window.load({1500, 3000, 600, 300}); // below the minimum of 1500 x 1000
    EXPECT_EQ(f.window.geometry(), QRect(100, 200, 100, 67));
    f.window.resize(40, 20);
    EXPECT_GE(f.window.width(), 100);
    EXPECT_GE(f.window.height(), 67);
    f.window.resize(400, 100);
    EXPECT_EQ(f.window.findChild<QWidget *>(QStringLiteral("PictureLay"))->geometry(),
              QRect(80, 0, 313, 93));
    EXPECT_EQ(f.window.findChild<QWidget *>(QStringLiteral("PictureZu"))->geometry(),
              QRect(0, 47, 80, 47));
}

TEST(MonitorWindowTest, NeverLargerThanTheDesktop) {
    // 999999 twips is what the options' six-digit fields allow: 66666 pixels, whose two
    // graph images alone would take gigabytes. The offscreen desktop is 800 x 800 pixels.
    MonitorFixture f;
    f.window.load({0, 0, 999999, 999999});
    EXPECT_EQ(f.window.size(), QSize(800, 800));
    f.tick("100", "100");
    f.tick("900", "900");
    EXPECT_EQ(text(f.window, "LabelZu"), QStringLiteral("800bps"));
    f.window.resize(5000, 5000);
    EXPECT_EQ(f.window.size(), QSize(800, 800));
}

TEST(MonitorWindowTest, DockedWindowHidesAtTheTopAndComesBack) {
    MonitorFixture f;
    f.env.opts.autoHide = true;
    f.window.load({1500, 0, 6000, 1500});
    f.env.pointer = {300, 50}; // over the window
    f.tick("0", "0");
    EXPECT_EQ(f.window.y(), 0);
    f.env.pointer = {300, 400};
    f.tick("0", "0");
    EXPECT_EQ(f.window.y(), -96);          // 60 - 1500 twips: a 4-pixel strip stays
    EXPECT_EQ(f.window.position().top, 0); // still counts as docked at the top
    f.env.pointer = {498, 2};              // on the strip, near its right edge
    f.tick("0", "0");
    EXPECT_EQ(f.window.y(), 0);
}

TEST(MonitorWindowTest, ClosingSavesThePositionWhenAsked) {
    MonitorFixture f;
    f.env.opts.autoSave = true;
    bool unloaded = false;
    QObject::connect(&f.window, &FrmMonitor::unloaded, [&] { unloaded = true; });
    f.window.load({1500, 3000, 6000, 1500});
    f.window.timer()->start(1000);
    f.window.popupMenu()->actions()[1]->trigger(); // "モニター終了"
    EXPECT_TRUE(unloaded);
    EXPECT_TRUE(f.window.closing());
    EXPECT_FALSE(f.window.timer()->isActive());
    ASSERT_EQ(f.env.saved.size(), 1u);
    EXPECT_EQ(f.env.saved[0].left, 1500);
    EXPECT_EQ(f.env.saved[0].top, 3000);
    EXPECT_EQ(f.env.saved[0].width, 6000);
    EXPECT_EQ(f.env.saved[0].height, 1500);

    MonitorFixture g; // without MonitorAutoSave nothing is stored
    g.window.load({0, 0, 6000, 1500});
    g.window.unload();
    EXPECT_TRUE(g.env.saved.empty());
}

TEST(MonitorWindowTest, CloseDuringThePollEndsTheTick) {
    MonitorFixture f;
    f.window.load({0, 3000, 6000, 1500});
    f.tick("100", "100");
    f.env.onPoll = [&] { f.window.unload(); };
    f.tick("900", "900");
    EXPECT_EQ(f.history.received().front(), 0); // nothing sampled after the close
    EXPECT_EQ(text(f.window, "LabelZu"), QStringLiteral("0bps"));
}

} // namespace
} // namespace tarvo
