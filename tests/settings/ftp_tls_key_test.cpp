// FTPTLS, the one key a file of an older version never has: stored only while it is on, and gone
// from the file again when it goes back off.
#include "ini_text.h"
#include "profile_file.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

namespace {

using namespace settings_test;

// A file as a save of ConnectionStart leaves it, written out by hand. "ﾊﾞｰｼﾞｮﾝ" is CA DE B0 BC DE
// AE DD in CP932.
std::string savedFile(const std::string &extraLine) {
    std::string s = "[Standard]\r\nVer=\xCA\xDE\xB0\xBC\xDE\xAE\xDD 1.2.0\r\n"
                    "[ConnectionStart]\r\n"
                    "Start=1\r\nEnd=0\r\nTerehoStart=0\r\nTime=0\r\n";
    for (int i = 1; i <= 5; ++i)
        s += "CStartDirData" + std::to_string(i) + "=0\r\n";
    for (int i = 1; i <= 5; ++i)
        s += "StartDirData" + std::to_string(i) + "=/opt/p" + std::to_string(i) + "\r\n";
    for (int i = 1; i <= 5; ++i)
        s += "StartOptData" + std::to_string(i) + "=\r\n";
    s += "GoStart=0\r\nGoEnd=0\r\nStartMunDisp=0\r\nFTP=1\r\nTerehoStartFTP=0\r\n"
         "FTPName=user\r\nFTPPassword=126366\r\nFTPHOST=ftp.example.lab\r\nFTPll=public_html\r\n"
         "FTPPORT=21\r\nFTPFileName=IPData.html\r\nFTPFontColor=&H00FFFFFF\r\n"
         "FTPBackColor=&H00000000\r\nFTPGotoIpPage=0\r\nFTPAutoGoto=0\r\n";
    s += extraLine;
    s += "[PopMun]\r\nStart=1\r\n";
    return s;
}

class FtpTlsKey : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return folder_.path() / "InitData.ini"; }
    TempFolder folder_{"ftptls"};
    FakeEffects effects_;
    Settings settings_{folder_.path().string(), ProgramVersion{1, 2, 0}, effects_};
};

TEST_F(FtpTlsKey, OffStaysOutOfTheFileAndOnGoesInAndOutAgain) {
    const std::string original = savedFile("");
    writeBytes(file(), original);
    ASSERT_EQ(settings_.LoadConnectionStart(), 0);
    EXPECT_EQ(settings_.ConnectionStart.FTPTLS, 0);
    EXPECT_EQ(settings_.ConnectionStart.FTPPassword, "abc");
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    EXPECT_EQ(readBytes(file()), original);

    settings_.ConnectionStart.FTPTLS = 1;
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    EXPECT_EQ(readBytes(file()), savedFile("FTPTLS=1\r\n"));
    settings_.ConnectionStart.FTPTLS = 0;
    ASSERT_EQ(settings_.LoadConnectionStart(), 0);
    EXPECT_EQ(settings_.ConnectionStart.FTPTLS, 1);

    settings_.ConnectionStart.FTPTLS = 0;
    ASSERT_EQ(settings_.SaveConnectionStart(), 0);
    EXPECT_EQ(readBytes(file()), original);
}

TEST_F(FtpTlsKey, LoadsLikeAnyNumberAndRefusesOutOfRange) {
    const struct {
        const char *line;
        std::int16_t value;
        std::int16_t status;
    } cases[] = {
        {"FTPTLS=1\r\n", 1, 0},   {"ftptls = 1\r\n", 1, 0},    {"FTPTLS=\r\n", 0, 0},
        {"FTPTLS=yes\r\n", 0, 0}, {"FTPTLS=40000\r\n", 7, -1}, // the field keeps what it had
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        writeBytes(file(), savedFile(c.line));
        settings_.ConnectionStart.FTPTLS = 7;
        EXPECT_EQ(settings_.LoadConnectionStart(), c.status);
        EXPECT_EQ(settings_.ConnectionStart.FTPTLS, c.value);
    }
}

TEST(IniRemoveKey, TakesOutEveryLineOfTheKeyAndNothingElse) {
    const struct {
        const char *file;
        const char *section;
        const char *key;
        const char *expected;
    } cases[] = {
        {"[A]\r\nx=1\r\nk=2\r\ny=3\r\n", "A", "k", "[A]\r\nx=1\r\ny=3\r\n"},
        {"[a]\r\nK = 2\r\n[B]\r\nk=9\r\n", "A", "k", "[a]\r\n[B]\r\nk=9\r\n"},
        {"[A]\r\nk=1\r\nk=2\r\n", "A", "k", "[A]\r\n"},
        {"[A]\r\nx=1\r\nk=2", "A", "k", "[A]\r\nx=1\r\n"},
        {"[A]\nk=2\n;k=3\n", "A", "k", "[A]\n;k=3\n"},
        {"[A]\r\nkk=2\r\n", "A", "k", "[A]\r\nkk=2\r\n"},
        {"[B]\r\nk=2\r\n", "A", "k", "[B]\r\nk=2\r\n"},
        {"", "A", "k", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(tarvo::settings::ini::removeKey(c.file, c.section, c.key), c.expected) << c.file;
}

TEST(DeleteProfileKey, MissingFileStaysMissing) {
    TempFolder folder("ftptls_missing");
    EXPECT_TRUE(deleteProfileKey(folder.path() / "InitData.ini", "ConnectionStart", "FTPTLS"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "InitData.ini"));
}

} // namespace
