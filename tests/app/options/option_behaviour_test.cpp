// What the controls do while the dialog is open: enabling rules, typing, leaving a field,
// pickers, fill-in buttons and the pop-up help.
#include "option_fixture.h"
#include "qt_option_pickers.h"
#include "up_down.h"

#include <QFile>
#include <QFileInfo>

#include <QFocusEvent>
#include <QGroupBox>
#include <QTest>

namespace tarvo::options::testing {
namespace {

class Behaviour : public OptionDialog {
  protected:
    void leave(const QString &name) const {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w(name), &out);
    }
};

const char *const kFtpFields[] = {"chkTerehoStartFTP", "chkFTPTLS",      "txtFTPName",
                                  "txtFTPPassword",    "txtFTPHOST",     "txtFTPll",
                                  "txtFTPPORT",        "txtFTPFileName", "cmdColor(0)",
                                  "cmdColor(1)",       "chkGotoIpPage"};

TEST_F(Behaviour, UploadFieldsNeedBothTheUploadAndTheProgramsSwitchedOn) {
    loadAll();
    store.ConnectionStart.Start = 0;
    store.ConnectionStart.FTP = 1;
    open();
    showPage(1);
    for (const char *name : kFtpFields)
        EXPECT_FALSE(usable(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(usable("chkStartData(0)"));
    EXPECT_FALSE(usable("txtOptionData(0)")) << "inside the disabled frame";
    EXPECT_TRUE(w("txtOptionData(0)")->testAttribute(Qt::WA_ForceDisabled) == false)
        << "keeps its own state";

    check("ChkStart")->click();
    for (const char *name : kFtpFields)
        EXPECT_TRUE(usable(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(usable("chkAutoGoto")) << "only with chkGotoIpPage checked";
    EXPECT_FALSE(usable("chkGoEnd")) << "follows chkAPIEnd";
    check("chkGotoIpPage")->click();
    EXPECT_TRUE(usable("chkAutoGoto"));
    check("chkAPIEnd")->click();
    EXPECT_TRUE(usable("chkGoEnd"));

    check("chkFTP")->click();
    for (const char *name : kFtpFields)
        EXPECT_FALSE(usable(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(usable("txtStartData(0)"));
}

TEST_F(Behaviour, AutoStartOverridesTheEndOptions) {
    loadAll();
    store.Standard.AutoStart = 1;
    store.Standard.End = 1;
    open();
    EXPECT_TRUE(usable("optEndType(2)"));
    check("chkAutoStart")->click();
    for (const char *name : {"optEndType(0)", "optEndType(4)", "chkSEnd", "chkEnd", "txtStartTime",
                             "cmdTime", "fraEndType"})
        EXPECT_FALSE(usable(QString::fromLatin1(name))) << name;
    // chkEnd is still checked, and its options still go dark on their own.
    EXPECT_TRUE(check("chkEnd")->isChecked());
    EXPECT_FALSE(w("optEndType(0)")->isEnabledTo(w("fraEndType")));
    check("chkAutoStart")->click();
    EXPECT_TRUE(usable("optEndType(0)"));
    check("chkEnd")->click();
    EXPECT_FALSE(usable("optEndType(0)"));
    check("chkAutoStart")->click();
    check("chkAutoStart")->click();
    EXPECT_FALSE(usable("optEndType(0)")) << "re-enabled only when chkEnd is checked";
    EXPECT_TRUE(usable("chkEnd"));
}

TEST_F(Behaviour, WatchRulesSwitchTheirFields) {
    loadAll();
    open();
    showPage(2);
    struct Rule {
        const char *trigger;
        std::vector<const char *> controls;
    };
    const Rule rules[] = {
        {"chkWatch",
         {"chkTerehoSts", "chkWatchAutoStart", "txtWatchTime", "UpDownWatchTime", "lblKMsg",
          "lblWatchTime"}},
        {"chkWatch2",
         {"txtWatchTime2", "UpDownWatchTimeTime", "chkTerehoSts2", "ComboIP", "txtWatchTime3",
          "txtTimeZisa", "UpDownTimeGosa", "cmdTimeSaver", "txtTimeSaver"}},
        {"chkAboutWatch", {"txtAboutWatch", "UpDownAboutWatch", "lblAboutWatch"}},
        {"chkCorvastineWatch", {"txtCorvastineWatch", "UpDownCorvastineWatch"}},
    };
    for (const Rule &r : rules) {
        for (const char *c : r.controls)
            EXPECT_FALSE(usable(QString::fromLatin1(c))) << r.trigger << " off: " << c;
        check(QString::fromLatin1(r.trigger))->click();
        for (const char *c : r.controls)
            EXPECT_TRUE(usable(QString::fromLatin1(c))) << r.trigger << " on: " << c;
    }
}

TEST_F(Behaviour, RasModeShowsTheRasEntryInsteadOfTheIspEntries) {
    loadAll();
    addRouter(Router(0x0A000001, 0xFF000000, "R", 0x22040));
    library.entries[0x0A000001] = DialEntries({"A", "B", "C", "D"}, {1, 1, 1, 1}, 0);
    store.Standard.IP = "10.0.0.1";
    store.Standard.IspType2 = -1;
    store.Standard.IspType1 = 0;
    open();
    dialog().show();
    ASSERT_TRUE(usable("chkRAS"));
    check("chkRAS")->click();
    EXPECT_EQ(w<QGroupBox>("fraISP")->title(), "RAS");
    EXPECT_FALSE(option("optDialList(0)")->isVisible());
    EXPECT_TRUE(option("optDialList(3)")->isVisible());
    EXPECT_TRUE(option("optDialList(1)")->isChecked()) << "the choice stays";
    check("chkRAS")->click();
    EXPECT_EQ(w<QGroupBox>("fraISP")->title(), "ISP");
    EXPECT_TRUE(option("optDialList(0)")->isVisible());
    EXPECT_FALSE(option("optDialList(3)")->isVisible());
}

TEST_F(Behaviour, OnlyThePageOnShowIsReachableOnceThePagesAreSwitched) {
    loadAll();
    open();
    for (int n = 0; n < 5; ++n)
        EXPECT_TRUE(w(Indexed("fraTab", n))->isEnabled()) << n;
    showPage(2);
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(w(Indexed("fraTab", n))->isEnabled(), n == 2) << n;
}

TEST_F(Behaviour, TypingIsFilteredPerBox) {
    loadAll();
    open();
    dialog().show();
    struct Case {
        const char *box;
        int page;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        {"txtSTime", 0, "1a", "1"},
        {"txtStartTime", 0, "2-3:0", "230"},
        {"txtCount", 0, "a1-", "a1"},
        {"txtFTPPassword", 1, "pw_1!", "pw1"},
        {"txtFTPHOST", 1, "ftp.x-y", "ftp.x-y"},
        {"txtFTPPORT", 1, "21a", "21"},
        {"txtMonitorPoint(1)", 4, "-12", "12"},
        {"txtWatchTime", 2, "9x9", "99"},
        {"txtTimeSaver", 2, "abc", ""},
    };
    for (const Case &c : cases) {
        showPage(c.page);
        QLineEdit *e = edit(QString::fromLatin1(c.box));
        e->setEnabled(true);
        e->clear();
        QTest::keyClicks(e, QString::fromLatin1(c.typed));
        EXPECT_EQ(e->text(), QString::fromLatin1(c.shown)) << c.box;
    }
    showPage(0);
    auto *port = w<QComboBox>("cmdPort");
    port->setEnabled(true);
    QTest::keyClicks(port, "1");
    EXPECT_EQ(port->currentText(), "0");
    showPage(2);
    auto *servers = w<QComboBox>("ComboIP");
    servers->setEnabled(true);
    servers->setCurrentIndex(2);
    QTest::keyClick(servers, Qt::Key_Down);
    QTest::keyClick(servers, 't');
    EXPECT_EQ(servers->currentIndex(), 2);
}

TEST_F(Behaviour, FieldsAreCorrectedWhenTheyLoseTheFocus) {
    loadAll();
    open();
    struct Case {
        const char *box;
        const char *text;
        const char *after;
    };
    const Case cases[] = {
        {"txtWatchTime", "", "1"},
        {"txtWatchTime", "00", "0"},
        {"txtStartTime", "730", "0730"},
        {"txtEndTime", "2575", "2575"},
        {"txtMonitorPointSu", "12", "80"},
        {"txtMonitorPointSu", "120", "120"},
        {"txtCount", "a", "1"},
        {"txtTimeZisa", "0", "1"},
        {"txtKStartTime", "", "0"},
        {"txtFTPPORT", "x", "0"},
        {"txtFTPFileName", "  ", "IPData.html"},
        {"txtFTPName", "", ""},
    };
    for (const Case &c : cases) {
        edit(QString::fromLatin1(c.box))->setText(QString::fromLatin1(c.text));
        leave(QString::fromLatin1(c.box));
        EXPECT_EQ(edit(QString::fromLatin1(c.box))->text(), QString::fromLatin1(c.after))
            << c.box << " '" << c.text << "'";
    }
    edit("txtWatchTime")->setText("00");
    leave("txtWatchTime");
    showPage(2);
    press("cmdSet");
    EXPECT_EQ(store.Watch.WatchTime, 0);
}

TEST_F(Behaviour, BoxesSelectTheirWholeTextWhenTheyGetTheFocus) {
    loadAll();
    open();
    for (const char *name : {"txtCount", "txtFTPHOST", "txtStartData(1)", "txtMonitorPoint(2)"}) {
        QLineEdit *e = edit(QString::fromLatin1(name));
        e->setText(QStringLiteral("1234"));
        e->deselect();
        QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(e, &in);
        QCoreApplication::processEvents();
        EXPECT_EQ(e->selectedText(), "1234") << name;
    }
    QLineEdit *unselected = edit("txtTimeSaver");
    unselected->setText(QStringLiteral("reply"));
    unselected->deselect();
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(unselected, &in);
    QCoreApplication::processEvents();
    EXPECT_EQ(unselected->selectedText(), "");
}

TEST_F(Behaviour, SpinnersStepWithinTheirBounds) {
    loadAll();
    open();
    struct Case {
        const char *spinner;
        const char *box;
        int minimum;
        int maximum;
    };
    const Case cases[] = {
        {"UpDown1", "txtCount", 1, 9999},
        {"UpDown2", "txtSTime", 0, 99},
        {"UpDownStartTime", "txtKStartTime", 0, 99},
        {"UpDownWatchTime", "txtWatchTime", 1, 9999},
        {"UpDownWatchTimeTime", "txtWatchTime2", 1, 9999},
        {"UpDownWatchTimeGosa", "txtWatchTime3", 1, 9999},
        {"UpDownTimeGosa", "txtTimeZisa", 1, 99},
        {"UpDownAboutWatch", "txtAboutWatch", 1, 9999},
        {"UpDownCorvastineWatch", "txtCorvastineWatch", 1, 9999},
        {"UpDown4", "txtMonitorPointSu", 80, 9999},
    };
    for (const Case &c : cases) {
        auto *spin = w<UpDown>(QString::fromLatin1(c.spinner));
        EXPECT_EQ(spin->buddy(), edit(QString::fromLatin1(c.box))) << c.spinner;
        EXPECT_EQ(spin->minimum(), c.minimum) << c.spinner;
        EXPECT_EQ(spin->maximum(), c.maximum) << c.spinner;
        spin->buddy()->setText(QString::number(c.maximum));
        spin->stepBy(1);
        EXPECT_EQ(spin->buddy()->text(), QString::number(c.maximum)) << c.spinner;
        spin->buddy()->setText(QString::number(c.minimum));
        spin->stepBy(-1);
        EXPECT_EQ(spin->buddy()->text(), QString::number(c.minimum)) << c.spinner;
        spin->stepBy(1);
        EXPECT_EQ(spin->buddy()->text(), QString::number(c.minimum + 1)) << c.spinner;
    }
    EXPECT_EQ(edit("txtCount")->maxLength(), 4);
    EXPECT_EQ(edit("txtSTime")->maxLength(), 2);
    EXPECT_EQ(edit("txtStartData(0)")->maxLength(), 80);
    EXPECT_EQ(edit("txtOptionData(4)")->maxLength(), 20);
    EXPECT_EQ(edit("txtFTPPORT")->maxLength(), 5);
    EXPECT_EQ(edit("txtMonitorPoint(3)")->maxLength(), 6);
}

TEST_F(Behaviour, ProgramPickerFillsThePathAndLeavesTheFocusThere) {
    loadAll();
    open();
    showPage(1);
    const QString chosen = host.folder + QStringLiteral("/bin/tool");
    pickers.program = chosen;
    press("cmdStartData(2)");
    EXPECT_EQ(pickers.programFolderAsked, host.folder);
    EXPECT_EQ(edit("txtStartData(2)")->text(), chosen);
    EXPECT_EQ(edit("txtStartData(2)")->toolTip(), "tool");
    EXPECT_EQ(dialog().focusWidget(), w("txtStartData(2)"));

    pickers.program.reset();
    press("cmdStartData(3)");
    EXPECT_EQ(edit("txtStartData(3)")->text(), host.folder) << "cancelled: unchanged";
    EXPECT_EQ(dialog().focusWidget(), w("txtStartData(3)"));

    // The chosen file does not exist: leaving the checked entry switches it off in red.
    check("chkStartData(2)")->setChecked(true);
    leave("txtStartData(2)");
    EXPECT_FALSE(check("chkStartData(2)")->isChecked());
    EXPECT_EQ(edit("txtStartData(2)")->palette().color(QPalette::Text), QColor(Qt::red));
    edit("txtStartData(2)")->clear();
    leave("txtStartData(2)");
    EXPECT_EQ(edit("txtStartData(2)")->text(), host.folder);
}

TEST_F(Behaviour, ProgramPickerListsExecutablesUnderItsFirstFilter) {
    const QString dir = host.folder;
    QFile program(dir + QStringLiteral("/run-me"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile text(dir + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.close();
    EXPECT_TRUE(ListedAsProgram(QFileInfo(program.fileName()), true));
    EXPECT_FALSE(ListedAsProgram(QFileInfo(text.fileName()), true));
    EXPECT_TRUE(ListedAsProgram(QFileInfo(dir), true)) << "folders stay to walk through";
    EXPECT_TRUE(ListedAsProgram(QFileInfo(text.fileName()), false));
}

TEST_F(Behaviour, ColourPickerChangesTheSwatchOnlyWhenConfirmed) {
    loadAll();
    store.ConnectionStart.FTP = 1;
    store.ConnectionStart.FTPHOST = "h";
    open();
    showPage(1);
    pickers.colour = QColor(0x12, 0x34, 0x56);
    press("cmdColor(1)");
    EXPECT_EQ(pickers.colourShown, QColor(0, 0, 0));
    pickers.colour.reset();
    press("cmdColor(0)");
    EXPECT_EQ(pickers.colourShown, QColor(255, 255, 255));
    press("cmdSet");
    EXPECT_EQ(store.ConnectionStart.FTPBackColor, std::to_string(0x563412));
    EXPECT_EQ(store.ConnectionStart.FTPFontColor, "16777215");
}

TEST_F(Behaviour, FillInButtons) {
    loadAll();
    store.Watch.Watch2 = 1;
    open();
    press("cmdTime");
    EXPECT_EQ(edit("txtStartTime")->text(), "2300");
    EXPECT_EQ(edit("txtEndTime")->text(), "0755");

    auto *servers = w<QComboBox>("ComboIP");
    edit("txtTimeSaver")->setText("old");
    servers->setCurrentIndex(-1);
    press("cmdTimeSaver");
    EXPECT_TRUE(host.timeTests.empty());
    EXPECT_EQ(edit("txtTimeSaver")->text(), "old");
    servers->setCurrentIndex(5);
    press("cmdTimeSaver");
    EXPECT_EQ(host.timeTests, std::vector<int>{5});
    EXPECT_EQ(edit("txtTimeSaver")->text(), "");
    opener.showTimeTestReply(QStringLiteral("60000 23-01-02 03:04:05 00 0 0 0.0 UTC(NIST) *"));
    EXPECT_EQ(edit("txtTimeSaver")->text(), "60000 23-01-02 03:04:05 00 0 0 0.0 UTC(NIST) *");

    monitor.geometry = settings::MonitorGeometry{150, -30, 7000, 2000};
    press("cmdMonitorSetPoint");
    const char *expected[] = {"150", "-30", "7000", "2000"};
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(edit(Indexed("txtMonitorPoint", n))->text(), expected[n]);
}

TEST_F(Behaviour, TheShownMonitorsGeometryComesFirstThenTheStoredOne) {
    loadAll();
    store.Other.MonitorPoint1 = 10;
    store.Other.MonitorPoint4 = 40;
    FakeMonitor live;
    StoredMonitorGeometry geometry(store, &live);
    auto g = geometry.currentGeometry();
    ASSERT_TRUE(g.has_value()) << "monitor not shown: the stored geometry";
    EXPECT_EQ(g->left, 10);
    EXPECT_EQ(g->width, 6000);
    EXPECT_EQ(g->height, 40);
    live.geometry = settings::MonitorGeometry{1, 2, 3, 4};
    g = geometry.currentGeometry();
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->left, 1);
    EXPECT_EQ(g->height, 4);
}

TEST_F(Behaviour, HelpTipsOnOffAndAfterReopening) {
    loadAll();
    open();
    showPage(1);
    pickers.program = QStringLiteral("/usr/bin/env");
    press("cmdStartData(0)");
    EXPECT_EQ(edit("txtStartData(0)")->toolTip(), "env");

    EXPECT_FALSE(check("chkPopHelp")->isChecked());
    check("chkPopHelp")->click();
    const std::pair<const char *, const char *> on[] = {
        {"chkPopHelp", "簡易ヘルプ"},
        {"txtStartData(0)", "実行するかファイルをフルパスで選択"},
        {"lblIP(3)", "使用するCorvastineNet用IP"},
        {"optDialList(2)", "使用する接続先"},
        {"optEndType(4)", "WINDOWSの電源を落とせるようにする"},
        {"cmdColor(1)", "IP情報表示時バックカラー"},
        {"chkmunStatus(4)", "ローカルＩＰ ＦＴＰ転送メニュー表示/非表示"},
        {"MSFlexGrid", "認識可能Corvastine一覧"},
        {"txtMonitorPointSu", "モニターに表示するデータ数"},
    };
    for (const auto &[name, text] : on)
        EXPECT_EQ(w(QString::fromLatin1(name))->toolTip(), QString::fromUtf8(text)) << name;
    for (const char *none : {"chkRAS", "optDialList(3)", "chkmunStatus(7)", "txtFTPColor(0)",
                             "cmdMonitorSetPoint", "lblKMsg", "cmdOK", "UpDown1"})
        EXPECT_EQ(w(QString::fromLatin1(none))->toolTip(), QString()) << none;

    check("chkPopHelp")->click();
    for (const auto &[name, text] : on)
        EXPECT_EQ(w(QString::fromLatin1(name))->toolTip(), QString()) << name;

    check("chkPopHelp")->click();
    dialog().close();
    flush();
    open();
    EXPECT_FALSE(check("chkPopHelp")->isChecked());
    for (const auto &[name, text] : on)
        EXPECT_EQ(w(QString::fromLatin1(name))->toolTip(), QString()) << name;
}

TEST_F(Behaviour, TabOrderEndsWithHelpAndTheThreeButtons) {
    loadAll();
    open();
    QWidget *tabs = w("SSTab");
    EXPECT_EQ(tabs->nextInFocusChain() != nullptr, true);
    QWidget *help = w("chkPopHelp");
    QWidget *ok = w("cmdOK");
    QWidget *set = w("cmdSet");
    QWidget *cancel = w("cmdCancel");
    const auto next = [](QWidget *from) {
        QWidget *n = from->nextInFocusChain();
        while (n->focusPolicy() == Qt::NoFocus)
            n = n->nextInFocusChain();
        return n;
    };
    EXPECT_EQ(next(help), ok);
    EXPECT_EQ(next(ok), set);
    EXPECT_EQ(next(set), cancel);
    const char *titles[] = {"基本設定", "連動設定", "監視設定", "ポップアップ", "その他"};
    for (int n = 0; n < 5; ++n)
        EXPECT_EQ(w<QTabWidget>("SSTab")->tabText(n), QString::fromUtf8(titles[n]));
}

} // namespace
} // namespace tarvo::options::testing

namespace tarvo::options::testing {
namespace {

// The program's end takes the dialog away without the closing actions: they would read the line
// from a library that is already cleaned up.
class Unloading : public OptionDialog {};

TEST_F(Unloading, AtTheEndTheDialogGoesWithoutItsClosingActions) {
    open();
    const std::size_t readsBefore = library.exCalls.size();
    opener.unload();
    flush();
    EXPECT_EQ(opener.dialog(), nullptr);
    EXPECT_EQ(host.closings, 0);
    EXPECT_EQ(library.exCalls.size(), readsBefore);
}

} // namespace
} // namespace tarvo::options::testing
