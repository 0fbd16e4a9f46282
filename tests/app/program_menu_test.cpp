#include "cp932.h"
#include "frm_main.h"
#include "menu_settings_effects.h"
#include "program_menu.h"
#include "program_settings_view.h"
#include "registered_programs.h"
#include "settings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

class RecordingLauncher : public ProgramLauncher {
  public:
    std::int32_t launch(const QString &path, const QString &options) override {
        launched << path + QStringLiteral("|") + options;
        return 500 + static_cast<std::int32_t>(launched.size());
    }
    bool isPlainFile(const QString &) const override { return true; }
    void askToClose(const std::vector<std::int32_t> &pids) override { closed.push_back(pids); }
    QStringList launched;
    std::vector<std::vector<std::int32_t>> closed;
};

class RecordingTimer : public LaunchTimer {
  public:
    void setPeriod(int periodMs) override { periods.push_back(periodMs); }
    std::vector<int> periods;
};

// The window, the settings store it takes its menus from, and the programs behind the menu.
struct MenuFixture {
    QTemporaryDir folder;
    FrmMain window;
    MenuSettingsEffects effects{window};
    settings::Settings store{folder.path().toStdString(), settings::ProgramVersion{1, 2, 0},
                             effects};
    ProgramSettingsView programSettings{store};
    RecordingLauncher launcher;
    RecordingTimer timer;
    RegisteredPrograms programs{RegisteredPrograms::Ports{launcher, timer, programSettings}};

    MenuFixture() { ConnectProgramMenu(window, programs); }

    QString file(const QString &name) {
        QFile f(folder.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return f.fileName();
    }
    // InitData.ini as Windows writes it: Shift-JIS, CR LF.
    void writeSettings(const QString &text) {
        QString crlf = text;
        crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        const auto bytes = settings::cp932::fromUtf8(crlf.toStdString());
        ASSERT_TRUE(bytes.has_value());
        QFile ini(folder.filePath(QStringLiteral("InitData.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(bytes->data(), static_cast<qint64>(bytes->size()));
    }
    QAction *action(const char *name) const {
        return window.findChild<QAction *>(QString::fromLatin1(name));
    }
    // The visible entries of the "スタート" submenu, by caption, "-" for a separator.
    QStringList shownEntries() const {
        QStringList out;
        for (const QAction *a : window.findChild<QMenu *>(QStringLiteral("munStart"))->actions())
            if (a->isVisible()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
};

TEST(ProgramMenuTest, EntriesShowTheRegisteredFilesByNameAndStartTheirSlot) {
    MenuFixture f;
    const QString editor = f.file(QStringLiteral("editor"));
    const QString notListed = f.file(QStringLiteral("not-listed"));
    const QString mail = f.file(QStringLiteral("メール 送信"));
    QDir(f.folder.path()).mkdir(QStringLiteral("folder"));
    f.writeSettings(QStringLiteral("[ConnectionStart]\n"
                                   "Start=1\nEnd=1\nGoStart=1\nGoEnd=1\n"
                                   "CStartDirData1=1\nStartDirData1=%1\nStartOptData1=-n 'a b'\n"
                                   "CStartDirData2=0\nStartDirData2=%2\n"
                                   "CStartDirData3=1\nStartDirData3=%3\n"
                                   "CStartDirData4=1\nStartDirData4=%4\n"
                                   "CStartDirData5=1\nStartDirData5=%5\n")
                        .arg(editor, notListed, f.folder.filePath(QStringLiteral("folder")), mail,
                             f.folder.filePath(QStringLiteral("gone"))));
    ASSERT_EQ(f.store.LoadConnectionStart(), 0);

    EXPECT_EQ(
        f.shownEntries(),
        (QStringList{QStringLiteral("-"), QStringLiteral("editor"), QStringLiteral("メール 送信"),
                     QStringLiteral("-"), QStringLiteral("連動起動"), QStringLiteral("連動終了")}));
    for (const char *name : {"munProgram1", "munProgram4", "munGoStart", "munGoEnd"})
        EXPECT_TRUE(f.action(name)->isEnabled()) << name;

    f.action("munProgram4")->trigger();
    f.action("munProgram1")->trigger();
    EXPECT_EQ(f.launcher.launched,
              (QStringList{mail + QStringLiteral("|"), editor + QStringLiteral("|-n 'a b'")}));
    f.action("munGoStart")->trigger();
    EXPECT_EQ(f.timer.periods, std::vector<int>{1000});
    f.action("munGoEnd")->trigger();
    EXPECT_EQ(f.launcher.closed, (std::vector<std::vector<std::int32_t>>{{502, 501}}));
}

TEST(ProgramMenuTest, TheSettingsHideWhatTheyTurnOff) {
    const struct Case {
        const char *what;
        const char *keys;
        QStringList shown;
    } cases[] = {
        {"launching off hides every entry",
         "CStartDirData1=1\nStart=0\nEnd=1\nGoStart=1\nGoEnd=1\n",
         {QStringLiteral("-")}},
        {"連動終了 needs End",
         "CStartDirData1=1\nStart=1\nEnd=0\nGoStart=1\nGoEnd=1\n",
         {QStringLiteral("-"), QStringLiteral("editor"), QStringLiteral("-"),
          QStringLiteral("連動起動")}},
        {"neither Go key",
         "CStartDirData1=1\nStart=1\nEnd=1\nGoStart=0\nGoEnd=0\n",
         {QStringLiteral("-"), QStringLiteral("editor")}},
        {"the full list shows a slot that is off",
         "CStartDirData1=0\nStart=1\nStartMunDisp=1\n",
         {QStringLiteral("-"), QStringLiteral("editor")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        MenuFixture f;
        const QString editor = f.file(QStringLiteral("editor"));
        f.writeSettings(QStringLiteral("[ConnectionStart]\nStartDirData1=%1\n").arg(editor) +
                        QString::fromLatin1(c.keys));
        ASSERT_EQ(f.store.LoadConnectionStart(), 0);
        EXPECT_EQ(f.shownEntries(), c.shown);
    }
}

TEST(ProgramMenuTest, PopMunStartShowsOrHidesTheWholeSubmenu) {
    for (int start : {1, 0, 2}) {
        SCOPED_TRACE(start);
        MenuFixture f;
        f.writeSettings(QStringLiteral("[PopMun]\nStart=%1\n").arg(start));
        ASSERT_EQ(f.store.LoadPopMun(), 0);
        EXPECT_EQ(f.action("munStartEntry")->isVisible(), start == 1);
        EXPECT_EQ(f.action("munSep1")->isVisible(), start == 1);
    }
}

} // namespace
} // namespace tarvo
