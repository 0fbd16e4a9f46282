#include "connection_log.h"
#include "core_fakes.h"
#include "cp932.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tarvo::testing {
namespace {

// The log behind the core's sequences, in a folder of its own.
class LoggingServices : public FakeServices {
  public:
    ConnectionLog *log = nullptr;
    QString data; // empty: the program's folder
    QString dataFolder() const override { return data.isEmpty() ? folder : data; }
    void writeLog(LogKind kind) override {
        FakeServices::writeLog(kind);
        if (log) log->WriteLog(kind);
    }
};

QByteArray sjis(const char *utf8) {
    return QByteArray::fromStdString(*settings::cp932::fromUtf8(utf8));
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(LogLineTest, IsCodePage932WithCrLfAndTheTagOfItsKind) {
    const QDateTime at(QDate(2004, 1, 2), QTime(23, 0, 5));
    EXPECT_EQ(LogLine(0, at, QStringLiteral("PC01"), QStringLiteral("203.0.113.5")),
              sjis("[接続]2004/01/02 23:00:05/PC01/203.0.113.5\r\n"));
    EXPECT_EQ(LogLine(1, QDateTime(QDate(2004, 12, 31), QTime(7, 5, 9)), QStringLiteral("pc"), {}),
              sjis("[切断]2004/12/31 07:05:09/pc/\r\n"));
    EXPECT_EQ(LogLine(7, at, QStringLiteral("ホスト"), QStringLiteral("0.0.0.0")),
              sjis("[障害]2004/01/02 23:00:05/ホスト/0.0.0.0\r\n"));
    // A name the code page cannot hold is written as Windows would, not dropped.
    EXPECT_EQ(LogLine(0, at, QStringLiteral("pc-\u00e9\U0001F600"), QStringLiteral("1.2.3.4")),
              sjis("[接続]2004/01/02 23:00:05/pc-?"
                   "?/1.2.3.4\r\n"));
}

class ConnectionLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        services.folder = dir.path();
        services.log = &log;
        f.settings.log = 1;
        ASSERT_EQ(core.StartUp(), 0);
        wall.start = QDateTime(QDate(2004, 1, 2), QTime(23, 0, 0), Qt::UTC).addMSecs(-f.clock.now);
    }
    QString path() const { return dir.path() + QStringLiteral("/Tarvo.log"); }

    QTemporaryDir dir;
    CoreFixture f;
    LoggingServices services;
    FakeWallClock wall{f.clock};
    BasMain core{CorePorts{f.library, f.window, f.cancelWindow, f.messages, f.clock, f.events,
                           f.tray, f.windowMessages, f.help, f.settings, services}};
    ConnectionLog log{core.state, wall, services};
};

TEST_F(ConnectionLogTest, TheFirstEntryCreatesTheFileWithExactlyThatLine) {
    ASSERT_FALSE(QFile::exists(path()));
    core.state.Info.GlobalIpText = QStringLiteral("203.0.113.5");
    wall.set(QDateTime(QDate(2004, 1, 2), QTime(23, 0, 5), Qt::UTC));
    log.WriteLog(0);
    EXPECT_EQ(readAll(path()), sjis("[接続]2004/01/02 23:00:05/PC01/203.0.113.5\r\n"));
}

TEST_F(ConnectionLogTest, AnInstalledCopyLogsIntoItsDataFolder) {
    QTemporaryDir data;
    services.data = data.path();
    log.WriteLog(1);
    EXPECT_FALSE(QFile::exists(path()));
    EXPECT_TRUE(readAll(data.path() + QStringLiteral("/Tarvo.log")).startsWith(sjis("[切断]")));
}

TEST_F(ConnectionLogTest, TwoConnectsAndADisconnectGiveThreeLinesAndTheLastAddress) {
    f.library.ex.global_address = 0xCB007105; // 203.0.113.5
    f.library.dialMs = 2000;
    ASSERT_TRUE(core.CommandConnect(true, false));
    f.library.line = LINE_IDLE; // dropped by the other end
    ASSERT_TRUE(core.CommandPollStatus());
    f.library.ex.global_address = 0xCB007107;
    ASSERT_TRUE(core.CommandConnect(true, false));
    ASSERT_TRUE(core.CommandDisconnect());
    ASSERT_EQ(services.logs.size(), 3u);

    const QList<QByteArray> lines = readAll(path()).split('\n');
    ASSERT_EQ(lines.size(), 4); // three lines and what follows the last line end
    EXPECT_TRUE(lines[3].isEmpty());
    const char *tags[] = {"[接続]", "[接続]", "[切断]"};
    const char *addresses[] = {"203.0.113.5", "203.0.113.7", "203.0.113.7"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(lines[i].startsWith(sjis(tags[i])));
        EXPECT_TRUE(lines[i].endsWith(QByteArray("/PC01/") + addresses[i] + '\r'));
    }
}

TEST_F(ConnectionLogTest, AnEntryGoesAtTheEndAfterTheLastByteOfWhatIsThere) {
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old line without end");
    }
    log.WriteLog(1);
    EXPECT_EQ(readAll(path()),
              QByteArray("old line without end") + sjis("[切断]2004/01/02 23:00:00/PC01/\r\n"));
}

TEST_F(ConnectionLogTest, AnUnwritableLogLosesTheEntryAndTheSequenceGoesOn) {
    if (::geteuid() == 0) {
        // Root writes into read-only folders; a log that is a folder cannot be opened by anyone.
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Tarvo.log")));
    } else {
        ASSERT_TRUE(
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    ASSERT_TRUE(core.CommandConnect(true, false));
    EXPECT_TRUE(core.state.LineUpFlag);
    EXPECT_EQ(services.logs.size(), 1u);
    ASSERT_TRUE(core.CommandDisconnect());
    EXPECT_EQ(f.library.clearCalls, 1);
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(QFileInfo(path()).isFile());
}

TEST_F(ConnectionLogTest, AFullDiskLeavesNoHalfLine) {
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), path()));
    log.WriteLog(0); // must return, not throw or stop
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
}

} // namespace
} // namespace tarvo::testing
