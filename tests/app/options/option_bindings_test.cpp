// Each page three ways: the file into the controls, the controls into the store, the store into
// the file's bytes; and only the page on show is ever stored.
#include "option_fixture.h"

namespace tarvo::options::testing {
namespace {

using settings_test::writeBytes;

class PageBindings : public OptionDialog {};

TEST_F(PageBindings, StandardPageRoundTripStoresOnlyThatPage) {
    writeFile(
        "[Standard]\r\nCount=3\r\nAutoStart=1\r\nSTime=5\r\nStartTime=2330\r\nEndTime=0600\r\n"
        "IP=10.0.0.2\r\nMask=255.0.0.0\r\nPort=1\r\nRAS=0\r\nUseNumber=1\r\nEnd=1\r\n"
        "EndType1=0\r\nEndType2=-1\r\nSEnd=1\r\nIspType1=0\r\nIspType2=-1\r\n");
    loadAll();
    addRouter(Router(0x0A000001, 0xFF000000, "Office", 0x22040));
    addRouter(Router(0x0A000002, 0xFF000000, "Branch", 0x22040));
    library.entries[0x0A000002] = DialEntries({"A", "B", "C", "R"}, {1, 1, 0, 1}, 0);
    open();

    EXPECT_EQ(edit("txtCount")->text(), "3");
    EXPECT_TRUE(check("chkAutoStart")->isChecked());
    EXPECT_EQ(edit("txtSTime")->text(), "5");
    EXPECT_EQ(edit("txtStartTime")->text(), "2330");
    EXPECT_EQ(edit("txtEndTime")->text(), "0600");
    const char *ip[] = {"10", "0", "0", "2"};
    const char *mask[] = {"255", "0", "0", "0"};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(w<QLabel>(Indexed("lblIP", n))->text(), ip[n]);
        EXPECT_EQ(w<QLabel>(Indexed("lblMask", n))->text(), mask[n]);
    }
    EXPECT_EQ(w<QComboBox>("cmdPort")->currentText(), "1");
    EXPECT_TRUE(option("optEndType(1)")->isChecked());
    EXPECT_TRUE(check("chkEnd")->isChecked());
    EXPECT_TRUE(check("chkSEnd")->isChecked());
    EXPECT_TRUE(option("optDialList(1)")->isChecked());
    // The router chosen is second in the list: its own entries, read on its own port.
    ASSERT_FALSE(library.exCalls.empty());
    EXPECT_EQ(library.exCalls.back().address, 0x0A000002u);
    EXPECT_EQ(library.exCalls.back().port, 1);
    EXPECT_EQ(option("optDialList(3)")->text(), "R");
    EXPECT_FALSE(option("optDialList(2)")->isEnabled());
    EXPECT_FALSE(check("chkRAS")->isChecked());
    EXPECT_TRUE(check("chkRAS")->isEnabled());

    edit("txtCount")->setText("7");
    check("chkAutoStart")->click();
    option("optEndType(4)")->setChecked(true);
    option("optDialList(0)")->setChecked(true);
    check("chkRAS")->click();
    showPage(2);
    edit("txtWatchTime")->setText("77");
    showPage(0);
    press("cmdSet");

    const settings::StandardKeys &s = store.Standard;
    EXPECT_EQ(s.Count, "7");
    EXPECT_EQ(s.AutoStart, 0);
    EXPECT_EQ(s.RAS, 1);
    EXPECT_EQ(s.UseNumber, 0);
    EXPECT_EQ(s.EndType5, -1);
    EXPECT_EQ(s.EndType2, 0);
    EXPECT_EQ(s.IspType1, -1);
    EXPECT_EQ(store.Watch.WatchTime, 600) << "the watch page was not on show";
    EXPECT_EQ(
        fileBytes(),
        "[Standard]\r\nCount=7\r\nAutoStart=0\r\nSTime=5\r\nStartTime=2330\r\nEndTime=0600\r\n"
        "IP=10.0.0.2\r\nMask=255.0.0.0\r\nPort=1\r\nRAS=1\r\nUseNumber=0\r\nEnd=1\r\n"
        "EndType1=0\r\nEndType2=0\r\nSEnd=1\r\nIspType1=-1\r\nIspType2=0\r\n" +
            kVer + "EndType3=0\r\nEndType4=0\r\nEndType5=-1\r\nIspType3=0\r\nRasType1=0\r\n");
}

TEST_F(PageBindings, NoDialEntryChosenKeepsUseNumberAndStoresNoChoice) {
    writeFile("[Standard]\r\nUseNumber=2\r\nIspType1=0\r\n");
    loadAll();
    open();
    for (int n = 0; n < 4; ++n)
        EXPECT_FALSE(option(Indexed("optDialList", n))->isChecked());
    press("cmdSet");
    EXPECT_EQ(store.Standard.UseNumber, 2);
    EXPECT_NE(section("Standard").find("UseNumber=2\r\nIspType1=0\r\n"), std::string::npos);
    EXPECT_NE(section("Standard").find("IspType2=0\r\nIspType3=0\r\nRasType1=0\r\n"),
              std::string::npos);
}

TEST_F(PageBindings, ConnectionStartPageRoundTrip) {
    const std::string dir = folder.path().string();
    const std::string program = dir + "/prog.sh";
    writeBytes(program, "#!/bin/sh\n");
    writeFile("[ConnectionStart]\r\nStart=1\r\nEnd=1\r\nTime=4\r\nCStartDirData1=1\r\n"
              "StartDirData1=" +
              program +
              "\r\nStartOptData1=-x\r\nCStartDirData2=1\r\n"
              "StartDirData2=/nonexistent/prog\r\nFTP=1\r\nFTPName=user\r\nFTPPassword=126366\r\n"
              "FTPHOST=ftp.example\r\nFTPll=/www\r\nFTPPORT=2121\r\nFTPFileName=ip.html\r\n"
              "FTPBackColor=&H000000FF\r\nFTPGotoIpPage=1\r\n");
    loadAll();
    const std::string before = fileBytes();
    open();

    EXPECT_TRUE(check("ChkStart")->isChecked());
    EXPECT_TRUE(check("chkAPIEnd")->isChecked());
    EXPECT_EQ(edit("txtKStartTime")->text(), "4");
    EXPECT_TRUE(check("chkStartData(0)")->isChecked());
    EXPECT_EQ(edit("txtStartData(0)")->text().toStdString(), program);
    EXPECT_EQ(edit("txtOptionData(0)")->text(), "-x");
    EXPECT_EQ(edit("txtStartData(0)")->palette().color(QPalette::Text), QColor(Qt::black));
    // The second program's file has gone: shown red and switched off.
    EXPECT_FALSE(check("chkStartData(1)")->isChecked());
    EXPECT_EQ(edit("txtStartData(1)")->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(edit("txtOptionData(1)")->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(edit("txtStartData(2)")->text().toStdString(), dir);
    EXPECT_TRUE(check("chkFTP")->isChecked());
    EXPECT_TRUE(check("chkTerehoStartFTP")->isChecked());
    EXPECT_EQ(edit("txtFTPPassword")->text(), "abc");
    EXPECT_EQ(edit("txtFTPPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit("txtFTPPORT")->text(), "2121");
    EXPECT_TRUE(check("chkGotoIpPage")->isChecked());

    showPage(1);
    edit("txtFTPName")->setText("");
    edit("txtFTPPassword")->setText("");
    edit("txtFTPHOST")->setText("  ");
    press("cmdSet");
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(host.warnings[0].first, "FTP設定項目に未入力があります。");
    EXPECT_EQ(host.warnings[0].second, "警告：Tarvo");
    EXPECT_EQ(store.ConnectionStart.FTPName, "user");
    EXPECT_EQ(fileBytes(), before);
    ASSERT_NE(opener.dialog(), nullptr) << "SET leaves the dialog open for correction";

    edit("txtFTPPassword")->setText("abc");
    check("chkFTPTLS")->click();
    press("cmdSet");
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(store.ConnectionStart.FTPTLS, 1);
    EXPECT_EQ(store.ConnectionStart.FTPFontColor, "16777215");
    EXPECT_EQ(section("ConnectionStart"),
              "[ConnectionStart]\r\nStart=1\r\nEnd=1\r\nTime=4\r\nCStartDirData1=1\r\n"
              "StartDirData1=" +
                  program +
                  "\r\nStartOptData1=-x\r\nCStartDirData2=0\r\n"
                  "StartDirData2=/nonexistent/prog\r\nFTP=1\r\nFTPName=\r\nFTPPassword=126366\r\n"
                  "FTPHOST=  \r\nFTPll=/www\r\nFTPPORT=2121\r\nFTPFileName=ip.html\r\n"
                  "FTPBackColor=255\r\nFTPGotoIpPage=1\r\nTerehoStart=0\r\nCStartDirData3=0\r\n"
                  "CStartDirData4=0\r\nCStartDirData5=0\r\nStartDirData3=" +
                  dir +
                  "\r\n"
                  "StartDirData4=" +
                  dir + "\r\nStartDirData5=" + dir +
                  "\r\nStartOptData2=\r\n"
                  "StartOptData3=\r\nStartOptData4=\r\nStartOptData5=\r\nGoStart=0\r\nGoEnd=0\r\n"
                  "StartMunDisp=0\r\nTerehoStartFTP=1\r\nFTPFontColor=16777215\r\nFTPAutoGoto=0\r\n"
                  "FTPTLS=1\r\n");
    EXPECT_EQ(section("Standard"), "[Standard]\r\n" + kVer);
}

TEST_F(PageBindings, WatchPageRoundTripArmsItsTimersAtOnce) {
    writeFile("[Watch]\r\nWatch=1\r\nWatchTime=45\r\nWatch2=1\r\nNTPIndex=3\r\nZisa=8\r\n"
              "CorvastineWatch=1\r\n");
    loadAll();
    open();
    EXPECT_TRUE(check("chkWatch")->isChecked());
    EXPECT_EQ(edit("txtWatchTime")->text(), "45");
    EXPECT_EQ(edit("txtWatchTime2")->text(), "600");
    EXPECT_EQ(w<QComboBox>("ComboIP")->currentIndex(), 3);
    EXPECT_EQ(w<QComboBox>("ComboIP")->count(), 17);
    EXPECT_EQ(edit("txtTimeZisa")->text(), "8");
    EXPECT_EQ(edit("txtCorvastineWatch")->text(), "30");

    showPage(2);
    check("chkWatch")->click();
    edit("txtWatchTime2")->setText("90");
    w<QComboBox>("ComboIP")->setCurrentIndex(16);
    effects.timerCalls.clear();
    press("cmdSet");
    EXPECT_EQ(store.Watch.Watch, 0);
    EXPECT_EQ(store.Watch.NTPIndex, 16);
    EXPECT_EQ(section("Watch"),
              "[Watch]\r\nWatch=0\r\nWatchTime=45\r\nWatch2=1\r\nNTPIndex=16\r\nZisa=8\r\n"
              "CorvastineWatch=1\r\nTerehoSts=0\r\nWatchAutoStart=0\r\nTerehoSts2=0\r\n"
              "WatchTime2=90\r\nWatchTime3=10\r\nAboutWatch=0\r\nAboutWatchTime=30\r\n"
              "CorvastineWatchTime=30\r\n");
    using T = settings::WatchTimer;
    EXPECT_EQ(effects.timerCalls,
              (std::vector<std::pair<T, bool>>{
                  {T::Connection, false}, {T::Clock, true}, {T::RouterSearch, true}}));
    EXPECT_EQ(section("Standard"), "[Standard]\r\n" + kVer);
}

TEST_F(PageBindings, PopMunPageRoundTripShowsItsMenusAtOnce) {
    writeFile("[PopMun]\r\nMonitor=1\r\nHelp=0\r\n");
    loadAll();
    open();
    EXPECT_TRUE(check("chkmunStatus(7)")->isChecked());
    EXPECT_FALSE(check("chkmunStatus(6)")->isChecked());
    EXPECT_TRUE(check("chkmunStatus(0)")->isChecked());
    EXPECT_FALSE(check("chkMainmunStatus(1)")->isChecked());

    showPage(3);
    check("chkmunStatus(7)")->click();
    check("chkMainmunStatus(1)")->click();
    press("cmdOK");
    EXPECT_EQ(opener.dialog(), nullptr);
    EXPECT_EQ(section("PopMun"),
              "[PopMun]\r\nMonitor=0\r\nHelp=0\r\nStart=1\r\nGetIP=1\r\nIPFTP=1\r\nGetLocalIP=0\r\n"
              "LocalIPFTP=0\r\nAbout=1\r\nMGetIP=1\r\nMLocalIPFTP=1\r\n");
    ASSERT_FALSE(effects.popupMenus.empty());
    EXPECT_FALSE(effects.popupMenus.back().monitor);
    EXPECT_TRUE(effects.popupMenus.back().ipMenuGetLocalIp);
}

TEST_F(PageBindings, OtherPageRoundTripResizesTheMonitorAtOnce) {
    writeFile("[Other]\r\nMonitorPoint1=-300\r\nMonitorPoint3=120000\r\nMonitorType2=-1\r\n"
              "MonitorType1=0\r\n");
    loadAll();
    open();
    EXPECT_EQ(edit("txtMonitorPoint(0)")->text(), "-300");
    EXPECT_EQ(edit("txtMonitorPoint(2)")->text(), "120000");
    EXPECT_EQ(edit("txtMonitorPoint(3)")->text(), "1500");
    EXPECT_TRUE(option("OptMonitorType(1)")->isChecked());
    EXPECT_TRUE(check("chkTopMonitor")->isChecked());
    EXPECT_EQ(edit("txtMonitorPointSu")->text(), "80");

    showPage(4);
    edit("txtMonitorPointSu")->setText("120");
    option("OptMonitorType(2)")->setChecked(true);
    check("chkLOG")->click();
    press("cmdSet");
    EXPECT_EQ(section("Other"),
              "[Other]\r\nMonitorPoint1=-300\r\nMonitorPoint3=120000\r\nMonitorType2=0\r\n"
              "MonitorType1=0\r\nLOG=1\r\nHyouzi=0\r\nTopDisp1=0\r\nTopDisp2=1\r\n"
              "MonitorAutoSave=0\r\nMonitorPoint2=0\r\nMonitorPoint4=1500\r\nMonitorKakushi=0\r\n"
              "MonitorMaxNewSort=1\r\nMonitorPoint=120\r\nMonitorType3=-1\r\n");
    ASSERT_FALSE(effects.historyRecreations.empty());
    EXPECT_EQ(effects.historyRecreations.back(), 120);
    ASSERT_FALSE(effects.geometries.empty());
    EXPECT_EQ(effects.geometries.back().width, 120000);
}

TEST_F(PageBindings, EditsOnOtherPagesAreNotStoredAndReopeningShowsTheFile) {
    writeFile("[ConnectionStart]\r\nTime=4\r\n[Watch]\r\nWatchTime=45\r\n");
    loadAll();
    open();
    showPage(1);
    edit("txtKStartTime")->setText("9");
    showPage(2);
    edit("txtWatchTime")->setText("50");
    press("cmdOK");
    EXPECT_EQ(store.ConnectionStart.Time, 4);
    EXPECT_EQ(section("ConnectionStart"), "[ConnectionStart]\r\nTime=4\r\n");
    EXPECT_EQ(store.Watch.WatchTime, 50);
    open();
    EXPECT_EQ(edit("txtKStartTime")->text(), "4");
    EXPECT_EQ(w<QTabWidget>("SSTab")->currentIndex(), 0);
}

TEST_F(PageBindings, CancelTakesBackAGridChoiceAndTheCloseBoxKeepsItUnsaved) {
    writeFile("[Standard]\r\nIP=10.0.0.1\r\nMask=255.255.0.0\r\n");
    loadAll();
    addRouter(Router(0x0A000001, 0xFFFF0000, "Office", 0x22040));
    addRouter(Router(0x0A000002, 0xFFFFFF00, "Branch", 0x22040));
    const std::string before = fileBytes();

    open();
    w<QTableWidget>("MSFlexGrid")->setCurrentCell(1, 1);
    emit w<QTableWidget>("MSFlexGrid")->cellClicked(1, 1);
    EXPECT_EQ(store.Standard.IP, "10.0.0.2") << "a click goes into the store at once";
    EXPECT_EQ(store.Standard.Mask, "255.255.255.0");
    press("cmdCancel");
    EXPECT_EQ(opener.dialog(), nullptr);
    EXPECT_EQ(store.Standard.IP, "10.0.0.1");
    EXPECT_EQ(store.Standard.Mask, "255.255.0.0");
    EXPECT_EQ(host.closings, 1);

    open();
    emit w<QTableWidget>("MSFlexGrid")->cellClicked(1, 2);
    dialog().close();
    flush();
    EXPECT_EQ(opener.dialog(), nullptr);
    EXPECT_EQ(store.Standard.IP, "10.0.0.2");
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(host.closings, 2);
}

TEST_F(PageBindings, OkClosesEvenWhenTheUploadEntriesAreRefused) {
    loadAll();
    store.ConnectionStart.FTP = 1;
    open();
    showPage(1);
    press("cmdOK");
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(opener.dialog(), nullptr);
    EXPECT_EQ(host.closings, 1);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(PageBindings, OpeningAgainWhileShownRefillsTheSameDialog) {
    loadAll();
    host.duringLookUp = [this] { opener.ShowOptions(); };
    FrmOption *first = &open();
    EXPECT_EQ(host.lookUps, 1);
    edit("txtCount")->setText("9");
    FrmOption *second = &open();
    EXPECT_EQ(first, second);
    EXPECT_EQ(host.lookUps, 1) << "made once, even with a second click while it was being made";
    int dialogs = 0;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == "frmOption") ++dialogs;
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(edit("txtCount")->text(), "1");
    EXPECT_EQ(dialog().windowTitle(), "OPTION");
    EXPECT_EQ(dialog().size(), QSize(601, 420));
    EXPECT_FALSE(dialog().isModal());
}

} // namespace
} // namespace tarvo::options::testing
