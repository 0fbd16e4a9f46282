// The profile functions on real files: creation, modes, failures and what a read returns.
#include "profile_file.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace settings_test;

mode_t modeOf(const std::filesystem::path &p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0);
    return st.st_mode & 07777;
}

class ProfileFile : public ::testing::Test {
  protected:
    TempFolder folder_{"profile"};
    std::filesystem::path file_ = folder_.path() / "InitData.ini";
};

TEST_F(ProfileFile, ReadsOfAMissingFileGiveDefaultsAndCreateNothing) {
    EXPECT_EQ(readProfileInt(file_, "Watch", "WatchTime", 600), 600);
    EXPECT_EQ(readProfileString(file_, "Standard", "IP", "0.0.0.0", 80), "0.0.0.0");
    EXPECT_FALSE(readProfileValue(file_, "Standard", "IP"));
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(ProfileFile, FirstWriteCreatesAnOwnerOnlyFileWhateverTheUmask) {
    mode_t old = ::umask(0);
    bool written = writeProfileString(file_, "ConnectionStart", "FTPPassword", "126366");
    ::umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(file_), 0600u);
    EXPECT_EQ(readBytes(file_), "[ConnectionStart]\r\nFTPPassword=126366\r\n");
}

// A write replaces the file by a new one (a new inode), which must look like the old to its user.
TEST_F(ProfileFile, ExistingFileKeepsItsModeAndOwner) {
    writeBytes(file_, "[a]\r\nx=1\r\n");
    ::chmod(file_.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file_.c_str(), 65534, 65534), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(file_.c_str(), &before), 0);
    ASSERT_TRUE(writeProfileString(file_, "a", "x", "2"));
    EXPECT_EQ(modeOf(file_), 0640u);
    struct stat after {};
    ASSERT_EQ(::stat(file_.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(readBytes(file_), "[a]\r\nx=2\r\n");
}

TEST_F(ProfileFile, ALinkedFileStaysLinkedAndItsTargetChanges) {
    std::filesystem::create_directories(folder_.path() / "real");
    const auto target = folder_.path() / "real" / "settings.ini";
    writeBytes(target, "[a]\r\nx=1\r\n");
    std::filesystem::create_symlink("real/settings.ini", file_);
    ASSERT_TRUE(writeProfileString(file_, "a", "x", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(readBytes(target), "[a]\r\nx=2\r\n");
}

TEST_F(ProfileFile, DeletingAKeyRemovesItsLineOnly) {
    writeBytes(file_, "[ConnectionStart]\r\nFTP=1\r\nFTPTLS=1\r\nFTPHOST=h\r\n");
    ASSERT_TRUE(deleteProfileKey(file_, "ConnectionStart", "ftptls"));
    EXPECT_EQ(readBytes(file_), "[ConnectionStart]\r\nFTP=1\r\nFTPHOST=h\r\n");
    EXPECT_TRUE(deleteProfileKey(file_, "ConnectionStart", "FTPTLS")) << "already gone";
}

TEST_F(ProfileFile, ShorterValueLeavesNoStaleTail) {
    writeBytes(file_, "[a]\r\nx=a-long-old-value\r\ny=1\r\n");
    ASSERT_TRUE(writeProfileString(file_, "a", "x", "s"));
    EXPECT_EQ(readBytes(file_), "[a]\r\nx=s\r\ny=1\r\n");
}

TEST_F(ProfileFile, UnwritableFileReportsFailureAndStaysAsItWas) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    writeBytes(file_, "[a]\r\nx=1\r\n");
    ::chmod(file_.c_str(), 0400);
    EXPECT_FALSE(writeProfileString(file_, "a", "x", "2"));
    EXPECT_EQ(readBytes(file_), "[a]\r\nx=1\r\n");
}

TEST_F(ProfileFile, MissingFolderReportsFailure) {
    EXPECT_FALSE(writeProfileString(folder_.path() / "gone" / "InitData.ini", "a", "x", "1"));
}

TEST_F(ProfileFile, ValueThatWouldInjectLinesIsRefused) {
    writeBytes(file_, "[Standard]\r\nIP=0.0.0.0\r\n");
    EXPECT_FALSE(writeProfileString(file_, "Other", "LOG", "1\r\n[Standard]\r\nIP=6.6.6.6"));
    EXPECT_EQ(readBytes(file_), "[Standard]\r\nIP=0.0.0.0\r\n");
}

TEST_F(ProfileFile, TextReadsFitTheCallersBuffer) {
    writeBytes(file_, "[a]\r\nv=0123456789\r\nw=ab\x82\xa0\r\n");
    EXPECT_EQ(readProfileString(file_, "a", "v", "", 80), "0123456789");
    EXPECT_EQ(readProfileString(file_, "a", "v", "", 5), "0123");
    EXPECT_EQ(readProfileString(file_, "a", "w", "", 4), "ab");
    EXPECT_EQ(readProfileString(file_, "a", "none", "fallback", 5), "fall");
    EXPECT_EQ(readProfileString(file_, "a", "v", "", 0), "");
}

TEST(LeadingNumber, DecimalDigitsWithTheirSign) {
    const struct {
        const char *text;
        std::int64_t value;
    } cases[] = {
        {"", 0},
        {"-7", -7},
        {"42A", 42},
        {"+1", 1},
        {"-", 0},
        {"abc", 0},
        {"0x10", 0},
        {"70000", 70000},
        {"-32769", -32769},
        {"4294967296", 4294967296},
        {"99999999999999999999999", 9223372036854775790}, // saturates: still out of range
    };
    for (const auto &c : cases)
        EXPECT_EQ(leadingNumber(c.text), c.value) << c.text;
}

} // namespace
