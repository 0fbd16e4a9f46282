// The settings store: defaults, group operations, their order, failures and effects.
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace settings_test;

class SettingsStore : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return folder_.path() / "InitData.ini"; }
    void writeFile(std::string_view bytes) { writeBytes(file(), bytes); }
    std::int16_t loadAll() {
        return static_cast<std::int16_t>(settings_.LoadStandard() |
                                         settings_.LoadConnectionStart() | settings_.LoadWatch() |
                                         settings_.LoadPopMun() | settings_.LoadOther());
    }

    TempFolder folder_{"store"};
    FakeEffects effects_;
    Settings settings_{folder_.path().string(), ProgramVersion{1, 2, 0}, effects_};
};

TEST_F(SettingsStore, WithoutAFileEveryKeyHasItsDefaultAndNoFileIsMade) {
    EXPECT_EQ(loadAll(), 0);
    const StandardKeys &s = settings_.Standard;
    EXPECT_EQ(s.Ver, "ﾊﾞｰｼﾞｮﾝ 1.2.0");
    EXPECT_EQ(s.Count, "1");
    EXPECT_EQ(s.AutoStart, 1);
    EXPECT_EQ(s.STime, 3);
    EXPECT_EQ(s.StartTime, "2300");
    EXPECT_EQ(s.EndTime, "0755");
    EXPECT_EQ(s.IP, "0.0.0.0");
    EXPECT_EQ(s.Mask, "255.255.255.0");
    EXPECT_EQ(s.Port, "0");
    EXPECT_EQ(s.EndType1, -1);
    EXPECT_EQ(s.IspType1, -1);
    EXPECT_EQ(s.RasType1, 0);
    const ConnectionStartKeys &c = settings_.ConnectionStart;
    EXPECT_EQ(c.Start, 1);
    EXPECT_EQ(c.TerehoStartFTP, 1);
    EXPECT_EQ(c.FTPPORT, "21");
    EXPECT_EQ(c.FTPFileName, "IPData.html");
    EXPECT_EQ(c.FTPFontColor, "&H00FFFFFF");
    EXPECT_EQ(c.FTPBackColor, "&H00000000");
    EXPECT_EQ(c.FTPPassword, "");
    for (const std::string &path : c.StartDirData)
        EXPECT_EQ(path, folder_.path().string());
    const WatchKeys &w = settings_.Watch;
    EXPECT_EQ(w.WatchTime, 600);
    EXPECT_EQ(w.WatchTime2, 600);
    EXPECT_EQ(w.WatchTime3, 10);
    EXPECT_EQ(w.Zisa, 9);
    EXPECT_EQ(w.AboutWatchTime, 30);
    EXPECT_EQ(w.CorvastineWatchTime, 30);
    EXPECT_EQ(settings_.PopMun.Start, 1);
    EXPECT_EQ(settings_.PopMun.MGetIP, 1);
    EXPECT_EQ(settings_.PopMun.MLocalIPFTP, 0);
    const OtherKeys &o = settings_.Other;
    EXPECT_EQ(o.TopDisp2, 1);
    EXPECT_EQ(o.MonitorPoint3, 6000);
    EXPECT_EQ(o.MonitorPoint4, 1500);
    EXPECT_EQ(o.MonitorPoint, 80);
    EXPECT_EQ(o.MonitorMaxNewSort, 1);
    EXPECT_EQ(o.MonitorType1, -1);

    using P = std::pair<WatchTimer, bool>;
    EXPECT_EQ(effects_.timerCalls, (std::vector<P>{{WatchTimer::Connection, false},
                                                   {WatchTimer::Clock, false},
                                                   {WatchTimer::RouterSearch, false}}));
    EXPECT_EQ(effects_.timeServerFills, 1);
    EXPECT_EQ(effects_.historyRecreations, std::vector<int>{80});
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(SettingsStore, EverySaveWritesVerFirstEvenIntoAnEmptyFile) {
    writeFile("");
    EXPECT_EQ(settings_.SaveWatch(), 0);
    const std::string head =
        "[Standard]\r\nVer=\xca\xde\xb0\xbc\xde\xae\xdd 1.2.0\r\n[Watch]\r\nWatch=0\r\n";
    EXPECT_EQ(readBytes(file()).substr(0, head.size()), head);
}

TEST_F(SettingsStore, SavesWriteTheWholeSectionInOrder) {
    ASSERT_EQ(loadAll(), 0);
    ASSERT_EQ(settings_.SaveOther(), 0);
    EXPECT_EQ(readBytes(file()),
              "[Standard]\r\nVer=\xca\xde\xb0\xbc\xde\xae\xdd 1.2.0\r\n"
              "[Other]\r\nLOG=0\r\nHyouzi=0\r\nTopDisp1=0\r\nTopDisp2=1\r\nMonitorAutoSave=0\r\n"
              "MonitorPoint1=0\r\nMonitorPoint2=0\r\nMonitorPoint3=6000\r\nMonitorPoint4=1500\r\n"
              "MonitorKakushi=0\r\nMonitorMaxNewSort=1\r\nMonitorPoint=80\r\nMonitorType1=-1\r\n"
              "MonitorType2=0\r\nMonitorType3=0\r\n");
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    std::string bytes = readBytes(file());
    std::size_t c1 = bytes.find("CStartDirData1="), c5 = bytes.find("CStartDirData5=");
    std::size_t d1 = bytes.find("\nStartDirData1="), o5 = bytes.find("StartOptData5=");
    EXPECT_TRUE(c1 < c5 && c5 < d1 && d1 < o5) << bytes;
    EXPECT_EQ(bytes.find("[Standard]"), bytes.rfind("[Standard]")) << "Ver is replaced, not added";
}

TEST_F(SettingsStore, PasswordIsStoredEncodedAndLoadsBackPlain) {
    settings_.ConnectionStart.FTPPassword = "abc";
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    EXPECT_NE(readBytes(file()).find("\r\nFTPPassword=126366\r\n"), std::string::npos);
    settings_.ConnectionStart.FTPPassword = "changed";
    EXPECT_EQ(settings_.LoadConnectionStart(), 0);
    EXPECT_EQ(settings_.ConnectionStart.FTPPassword, "abc");

    settings_.ConnectionStart.FTPPassword = "";
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    EXPECT_NE(readBytes(file()).find("\r\nFTPPassword=\r\n"), std::string::npos);
}

TEST_F(SettingsStore, NewlyCreatedFileIsOwnerOnly) {
    settings_.SaveStandard();
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsStore, RasType1ChoosesTheFourthDialEntry) {
    writeFile("[Standard]\r\nIspType1=0\r\nRasType1=-1\r\nUseNumber=3\r\n");
    EXPECT_EQ(settings_.LoadStandard(), 0);
    EXPECT_EQ(settings_.Standard.RasType1, -1);
    EXPECT_EQ(settings_.Standard.IspType1, 0);
    EXPECT_EQ(settings_.Standard.UseNumber, 3);
}

TEST_F(SettingsStore, OutOfRangeWatchTimeEndsLoadWatchThere) {
    settings_.Watch.WatchTime = 5;
    settings_.Watch.Zisa = 4;
    writeFile("[Watch]\r\nWatch=1\r\nTerehoSts=1\r\nWatchTime=70000\r\nZisa=2\r\n");
    EXPECT_EQ(settings_.LoadWatch(), -1);
    EXPECT_EQ(settings_.Watch.Watch, 1);
    EXPECT_EQ(settings_.Watch.TerehoSts, 1);
    EXPECT_EQ(settings_.Watch.WatchTime, 5);
    EXPECT_EQ(settings_.Watch.Zisa, 4);
    EXPECT_TRUE(effects_.untouched());
}

TEST_F(SettingsStore, SixteenBitRangeEdges) {
    const struct {
        const char *stored;
        std::int16_t status;
        std::int16_t value;
    } cases[] = {
        {"32767", 0, 32767}, {"-32768", 0, -32768}, {"32768", -1, 7},
        {"-32769", -1, 7},   {"4294967296", -1, 7}, // Windows would wrap this to 0 and take it
        {"", 0, 0},          {"   ", 0, 0},         {"abc", 0, 0},
        {"42A", 0, 42},      {"0x10", 0, 0},
    };
    for (const auto &c : cases) {
        writeFile(std::string("[Other]\r\nLOG=") + c.stored + "\r\n");
        settings_.Other.LOG = 7;
        EXPECT_EQ(settings_.LoadOther(), c.status) << c.stored;
        EXPECT_EQ(settings_.Other.LOG, c.value) << c.stored;
    }
}

TEST_F(SettingsStore, MonitorGeometryIsThirtyTwoBit) {
    writeFile("[Other]\r\nMonitorPoint1=-70000\r\nMonitorPoint3=2147483647\r\n");
    EXPECT_EQ(settings_.LoadOther(), 0);
    EXPECT_EQ(settings_.Other.MonitorPoint1, -70000);
    ASSERT_EQ(effects_.geometries.size(), 1u);
    EXPECT_EQ(effects_.geometries[0].left, -70000);
    EXPECT_EQ(effects_.geometries[0].width, 2147483647);
    EXPECT_EQ(effects_.geometries[0].height, 1500);

    writeFile("[Other]\r\nMonitorPoint1=3000000000\r\n");
    EXPECT_EQ(settings_.LoadOther(), -1);
    EXPECT_EQ(settings_.Other.MonitorPoint1, -70000);
    EXPECT_EQ(effects_.geometries.size(), 1u);
}

TEST_F(SettingsStore, EmptyValuesReadAsZeroOrEmptyNotTheDefault) {
    writeFile("[Standard]\r\nCount=\r\nAutoStart=\r\nStartTime=\r\n");
    EXPECT_EQ(settings_.LoadStandard(), 0);
    EXPECT_EQ(settings_.Standard.Count, "");
    EXPECT_EQ(settings_.Standard.AutoStart, 0);
    EXPECT_EQ(settings_.Standard.StartTime, "");
    EXPECT_EQ(settings_.Standard.STime, 3);
}

TEST_F(SettingsStore, TextsAreTrimmedAndDecodedButNotCut) {
    std::string longPath = "/srv/" + std::string(120, 'p') + "/tool";
    writeFile("[ConnectionStart]\r\nStartDirData1=" + longPath +
              "\r\nFTPName=  \x82\xa0 \r\n"
              "FTPll=\" /pub \"\r\n");
    EXPECT_EQ(settings_.LoadConnectionStart(), 0);
    EXPECT_EQ(settings_.ConnectionStart.StartDirData[0], longPath);
    EXPECT_EQ(settings_.ConnectionStart.FTPName, "あ");
    EXPECT_EQ(settings_.ConnectionStart.FTPll, "/pub");
}

TEST_F(SettingsStore, QuotedTextsSurviveASaveAndLoad) {
    const std::string options[] = {"\"my file.txt\"", "'x'", "\"", "\"a\" \"b\""};
    for (const std::string &o : options) {
        settings_.ConnectionStart.StartOptData[0] = o;
        ASSERT_EQ(settings_.SaveConnectionStart(), 0);
        settings_.ConnectionStart.StartOptData[0].clear();
        ASSERT_EQ(settings_.LoadConnectionStart(), 0);
        EXPECT_EQ(settings_.ConnectionStart.StartOptData[0], o);
    }
}

TEST_F(SettingsStore, UndecodablePasswordEndsTheLoadWithoutEffects) {
    settings_.ConnectionStart.FTPHOST = "previous";
    writeFile("[ConnectionStart]\r\nFTPName=new\r\nFTPPassword=12G366\r\nFTPHOST=later\r\n");
    EXPECT_EQ(settings_.LoadConnectionStart(), -1);
    EXPECT_EQ(settings_.ConnectionStart.FTPName, "new");
    EXPECT_EQ(settings_.ConnectionStart.FTPHOST, "previous");
    EXPECT_TRUE(effects_.startMenus.empty());
}

TEST_F(SettingsStore, ErrorsInOneGroupLeaveTheOthersLoading) {
    writeFile("[Standard]\r\nSTime=99999\r\n[PopMun]\r\nMonitor=1\r\n");
    EXPECT_EQ(settings_.LoadStandard(), -1);
    EXPECT_EQ(settings_.Standard.AutoStart, 1);
    EXPECT_EQ(settings_.Standard.STime, 0) << "at start-up a key after the error stays 0";
    EXPECT_EQ(settings_.LoadPopMun(), 0);
    EXPECT_TRUE(settings_.PopMun.Monitor == 1 && effects_.popupMenus.at(0).monitor);
}

TEST_F(SettingsStore, LoadWatchArmsAndStopsEachTimerBySwitch) {
    writeFile("[Watch]\r\nWatch=1\r\nWatch2=0\r\nCorvastineWatch=-1\r\n");
    EXPECT_EQ(settings_.LoadWatch(), 0);
    using P = std::pair<WatchTimer, bool>;
    EXPECT_EQ(effects_.timerCalls, (std::vector<P>{{WatchTimer::Connection, true},
                                                   {WatchTimer::Clock, false},
                                                   {WatchTimer::RouterSearch, true}}));
    EXPECT_EQ(effects_.timeServerFills, 1);
}

TEST_F(SettingsStore, FolderOrMissingFileHidesItsStartMenuEntry) {
    std::filesystem::create_directories(folder_.path() / "tools");
    writeBytes(folder_.path() / "tools" / "mailer", "x");
    const struct {
        std::string path;
        bool shown;
    } cases[] = {
        {(folder_.path() / "tools").string(), false},
        {(folder_.path() / "tools" / "gone").string(), false},
        {(folder_.path() / "tools" / "mailer").string(), true},
    };
    for (const auto &c : cases) {
        writeFile("[ConnectionStart]\r\nCStartDirData1=1\r\nStartDirData1=" + c.path + "\r\n");
        ASSERT_EQ(settings_.LoadConnectionStart(), 0);
        EXPECT_EQ(effects_.startMenus.back().programs[0].has_value(), c.shown) << c.path;
    }
    EXPECT_EQ(effects_.startMenus.back().programs[0], "mailer");
}

TEST_F(SettingsStore, RegisteredProgramDefaultIsTheFolderWithoutTrailingSeparator) {
    FakeEffects effects;
    Settings withSlash(folder_.path().string() + "/", ProgramVersion{1, 2, 0}, effects);
    ASSERT_EQ(withSlash.LoadConnectionStart(), 0);
    EXPECT_EQ(withSlash.ConnectionStart.StartDirData[4], folder_.path().string());
    EXPECT_EQ(withSlash.settingsPath(), file().string());
    EXPECT_EQ(settings_.settingsPath(), file().string());
}

TEST_F(SettingsStore, HistoryIsRecreatedOnlyWhenMonitorPointChanges) {
    ASSERT_EQ(settings_.LoadOther(), 0);
    EXPECT_EQ(effects_.historyRecreations, std::vector<int>{80});
    ASSERT_EQ(settings_.SaveOther(), 0);
    ASSERT_EQ(settings_.LoadOther(), 0);
    EXPECT_EQ(effects_.historyRecreations, std::vector<int>{80});
    settings_.Other.MonitorPoint = 120;
    ASSERT_EQ(settings_.SaveOther(), 0);
    ASSERT_EQ(settings_.LoadOther(), 0);
    EXPECT_EQ(effects_.historyRecreations, (std::vector<int>{80, 120}));
    EXPECT_EQ(effects_.geometries.size(), 3u) << "the geometry is copied on every load";
}

TEST_F(SettingsStore, NegativeMonitorPointKeepsTheHistory) {
    writeFile("[Other]\r\nMonitorPoint=-5\r\n");
    EXPECT_EQ(settings_.LoadOther(), -1);
    EXPECT_TRUE(effects_.historyRecreations.empty());
}

TEST_F(SettingsStore, SaveKeepsTheRestOfTheFile) {
    const std::string head = "; kept\r\n[Mine]\r\nx = 1\r\n\r\n[Standard]\r\nCount=4\r\n";
    const std::string tail = "\r\n[Other]\r\nLOG=1\r\n";
    writeFile(head + tail);
    settings_.LoadStandard();
    ASSERT_EQ(settings_.SaveStandard(), 0);
    std::string bytes = readBytes(file());
    EXPECT_EQ(bytes.substr(0, head.size()), head);
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST_F(SettingsStore, UnwritableFileGivesMinusOneAndKeepsTheFields) {
    // A folder in the file's place cannot be written even by root.
    std::filesystem::create_directories(file());
    settings_.Watch.Watch = 1;
    EXPECT_EQ(settings_.SaveWatch(), -1);
    EXPECT_EQ(settings_.Watch.Watch, 1);
    EXPECT_EQ(settings_.LoadWatch(), 0) << "an unreadable file reads as missing";
    EXPECT_EQ(settings_.Watch.Watch, 0);
    EXPECT_EQ(settings_.Watch.WatchTime, 600);
}

TEST_F(SettingsStore, TextWithoutShiftJisFormIsNotWrittenAndTheRestIs) {
    writeFile("[Standard]\r\nIP=192.168.1.1\r\n");
    settings_.LoadStandard();
    settings_.Standard.IP = "\xF0\x9F\x98\x80";
    settings_.Standard.AutoStart = 0;
    EXPECT_EQ(settings_.SaveStandard(), -1);
    settings_.LoadStandard();
    EXPECT_EQ(settings_.Standard.IP, "192.168.1.1");
    EXPECT_EQ(settings_.Standard.AutoStart, 0);
}

} // namespace
