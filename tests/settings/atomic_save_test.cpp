// Saves replace the settings file as a whole: a failure part-way, a full disk or a file made
// read-only leave the old file byte for byte, and a save leaves no temporary file behind.
#include "atomic_file.h"
#include "profile_file.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace settings_test;

std::vector<std::string> entriesOf(const std::filesystem::path &folder) {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::string kOldFile = "; the user's own notes\r\n"
                             "[Standard]\r\nVer=old\r\nCount=4\r\nIP=10.0.0.1\r\n"
                             "\r\n[Other]\r\nLOG=1\r\nHyouzi=1\r\n";

// Lets `budget` bytes through, then fails as a disk does when it fills or breaks.
std::size_t g_budget = 0;
ssize_t failingWrite(int fd, const void *data, std::size_t size) {
    if (g_budget == 0) {
        errno = EIO;
        return -1;
    }
    std::size_t n = std::min(size, g_budget);
    g_budget -= n;
    return ::write(fd, data, n);
}

class AtomicSave : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return folder_.path() / "InitData.ini"; }

    TempFolder folder_{"atomic"};
    FakeEffects effects_;
    Settings settings_{folder_.path().string(), ProgramVersion{1, 2, 0}, effects_};
};

TEST_F(AtomicSave, AGroupSaveIsOneReplaceThatKeepsEveryOtherByte) {
    writeBytes(file(), kOldFile);
    ::chmod(file().c_str(), 0640);
    ASSERT_EQ(settings_.LoadOther(), 0);
    settings_.Other.Hyouzi = 0;
    ASSERT_EQ(settings_.SaveOther(), 0);
    // Worked out by hand: Ver replaced in place, the two keys present rewritten where they are,
    // the rest of the section appended after its last key.
    EXPECT_EQ(readBytes(file()), "; the user's own notes\r\n"
                                 "[Standard]\r\nVer=\xca\xde\xb0\xbc\xde\xae\xdd 1.2.0\r\n"
                                 "Count=4\r\nIP=10.0.0.1\r\n"
                                 "\r\n[Other]\r\nLOG=1\r\nHyouzi=0\r\nTopDisp1=0\r\nTopDisp2=1\r\n"
                                 "MonitorAutoSave=0\r\nMonitorPoint1=0\r\nMonitorPoint2=0\r\n"
                                 "MonitorPoint3=6000\r\nMonitorPoint4=1500\r\nMonitorKakushi=0\r\n"
                                 "MonitorMaxNewSort=1\r\nMonitorPoint=80\r\nMonitorType1=-1\r\n"
                                 "MonitorType2=0\r\nMonitorType3=0\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(folder_.path()), std::vector<std::string>{"InitData.ini"});
}

// Every point of the write, from the first byte to the last but one: the save fails with -1 and
// the file on disk is the old one, whole.
TEST_F(AtomicSave, AWriteFailingPartWayLeavesTheOldFileWhole) {
    writeBytes(file(), kOldFile);
    settings_.LoadStandard();
    settings_.Standard.IP = "192.168.7.1";
    const std::size_t newSize = [&] {
        TempFolder other{"atomic_size"};
        FakeEffects e;
        Settings s{other.path().string(), ProgramVersion{1, 2, 0}, e};
        writeBytes(other.path() / "InitData.ini", kOldFile);
        s.LoadStandard();
        s.Standard.IP = "192.168.7.1";
        EXPECT_EQ(s.SaveStandard(), 0);
        return readBytes(other.path() / "InitData.ini").size();
    }();
    for (std::size_t budget : {std::size_t{0}, std::size_t{1}, newSize / 2, newSize - 1}) {
        g_budget = budget;
        {
            ScopedWriteCall failing(failingWrite);
            EXPECT_EQ(settings_.SaveStandard(), -1) << "after " << budget << " bytes";
        }
        EXPECT_EQ(readBytes(file()), kOldFile) << "after " << budget << " bytes";
        EXPECT_EQ(entriesOf(folder_.path()), std::vector<std::string>{"InitData.ini"});
    }
    EXPECT_EQ(settings_.SaveStandard(), 0) << "the next save, with a sound disk, goes through";
    EXPECT_NE(readBytes(file()).find("\r\nIP=192.168.7.1\r\n"), std::string::npos);
}

TEST_F(AtomicSave, AFailedFirstSaveCreatesNoFile) {
    g_budget = 10;
    ScopedWriteCall failing(failingWrite);
    EXPECT_EQ(settings_.SaveWatch(), -1);
    EXPECT_TRUE(entriesOf(folder_.path()).empty());
}

TEST_F(AtomicSave, AReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    writeBytes(file(), kOldFile);
    ::chmod(file().c_str(), 0400);
    EXPECT_EQ(settings_.SaveOther(), -1);
    EXPECT_EQ(readBytes(file()), kOldFile);
}

// A small file system of its own, filled up, in a mount namespace of the test's own so that
// nothing of it is seen outside.
class FullDisk : public AtomicSave {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";
        if (::unshare(CLONE_NEWNS) != 0) GTEST_SKIP() << "no mount namespace: " << errno;
        ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        ASSERT_EQ(::mount("tarvo-test", folder_.path().c_str(), "tmpfs", 0, "size=64k,mode=0700"),
                  0)
            << errno;
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount2(folder_.path().c_str(), MNT_DETACH);
    }
    // Fills every free block, so that no file can grow.
    void fill() {
        const std::string block(4096, 'x');
        FILE *f = std::fopen((folder_.path() / "filler").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::setvbuf(f, nullptr, _IONBF, 0);
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
        }
        std::fwrite(block.data(), 1, 1, f);
        std::fclose(f);
    }
    bool mounted_ = false;
};

TEST_F(FullDisk, ASaveOnAFullDiskFailsAndKeepsTheOldFile) {
    writeBytes(file(), kOldFile);
    fill();
    settings_.LoadConnectionStart();
    settings_.ConnectionStart.FTPHOST = std::string(200, 'h');
    EXPECT_EQ(settings_.SaveConnectionStart(), -1);
    EXPECT_EQ(readBytes(file()), kOldFile);
    EXPECT_EQ(entriesOf(folder_.path()), (std::vector<std::string>{"InitData.ini", "filler"}));

    std::filesystem::remove(folder_.path() / "filler");
    EXPECT_EQ(settings_.SaveConnectionStart(), 0);
    settings_.ConnectionStart.FTPHOST.clear();
    settings_.LoadConnectionStart();
    EXPECT_EQ(settings_.ConnectionStart.FTPHOST, std::string(200, 'h'));
}

} // namespace
