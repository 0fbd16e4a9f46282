#include "ip_publisher.h"
#include "publish_fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct PublisherFixture : ::testing::Test {
    QTemporaryDir dir;
    FakeClock clock;
    FakeTransfer transfer;
    FakeTimer timer{clock};
    FakeMessages messages;
    FakeClipboard clipboard;
    FakeLan lan;
    FakeWindow window;
    ConnectionInfo info;
    settings::ConnectionStartKeys keys;
    FakeSettings coreSettings;
    FakeServices services;
    int polls = 0;
    std::vector<bool> busyAtPoll;
    IpPublisher publisher{IpPublisher::Ports{transfer, timer, messages, clipboard, lan, window,
                                             info, keys, coreSettings, services, [this] {
                                                 ++polls;
                                                 busyAtPoll.push_back(publisher.UploadBusy);
                                             }}};

    PublisherFixture() {
        services.folder = dir.path();
        timer.tick = [this] { publisher.TimerWatch4Tick(); };
        info.GlobalIpText = QStringLiteral("203.0.113.7");
        keys.FTPName = "tarvo";
        keys.FTPPassword = "s3cret";
        keys.FTPHOST = "ftp.example.lab";
        keys.FTPll = "public_html";
        keys.FTPPORT = "21";
        keys.FTPFileName = "IPData.html";
        keys.FTPFontColor = "&H00FFFFFF";
        keys.FTPBackColor = "&H00000000";
    }

    QByteArray pageFile(const char *name = "IPData.html") const {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    bool failureShown() const { return messages.contains(kUploadFailedText); }
};

const QByteArray kPlainPage =
    "<!doctype html public \"-//w3c//dtd html 4.01 transitional//en\">\r\n"
    "<html lang=\"ja\">\r\n<head>\r\n<title>ip</title>\r\n</head>\r\n"
    "<body bgcolor=\"#000000\"text=\"#FFFFFF\">\r\n"
    "%1<br>\r\n</body>\r\n</html>\r\n";

TEST_F(PublisherFixture, UploadWritesThePageAndStartsTheStore) {
    publisher.UploadIpPage(0);
    EXPECT_EQ(pageFile(), QByteArray(kPlainPage).replace("%1", "203.0.113.7"));
    ASSERT_EQ(transfer.started.size(), 1u);
    const FtpStore &r = transfer.started[0];
    EXPECT_EQ(r.url, "ftp://ftp.example.lab:21/public_html/IPData.html");
    EXPECT_EQ(r.user, "tarvo");
    EXPECT_EQ(r.password, "s3cret");
    EXPECT_EQ(r.url.find("s3cret"), std::string::npos);
    EXPECT_FALSE(r.requireTls);
    EXPECT_EQ(r.localFile, dir.filePath(QStringLiteral("IPData.html")).toStdString());
    EXPECT_TRUE(publisher.UploadBusy);
    EXPECT_EQ(timer.period, 60000);
    EXPECT_EQ(busyAtPoll, std::vector<bool>{true}); // the tray shows the upload at once
    EXPECT_TRUE(messages.shown.empty());

    transfer.report(FTP_COMPLETED);
    EXPECT_EQ(transfer.closes, 1);
    EXPECT_TRUE(publisher.UploadBusy);
    transfer.report(FTP_DISCONNECTED);
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_EQ(timer.period, 0);
    EXPECT_EQ(busyAtPoll, (std::vector<bool>{true, false}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PublisherFixture, LocalAddressPageWithTlsAndShiftJisNames) {
    keys.FTPTLS = 1;
    keys.FTPFileName = "アイピー.html";
    keys.FTPName = "ユーザ";
    coreSettings.ip = QStringLiteral("192.168.0.1");
    publisher.UploadIpPage(1);
    EXPECT_EQ(lan.askedFor, QStringLiteral("192.168.0.1"));
    QFile f(dir.filePath(QStringLiteral("アイピー.html")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(kPlainPage).replace("%1", "192.168.0.10"));
    ASSERT_EQ(transfer.started.size(), 1u);
    EXPECT_TRUE(transfer.started[0].requireTls);
    // ユーザ in CP932: 83 86 81 5B 83 55.
    EXPECT_EQ(transfer.started[0].user, "\x83\x86\x81\x5B\x83\x55");
    EXPECT_EQ(transfer.started[0].url,
              "ftp://ftp.example.lab:21/public_html/%83A%83C%83s%81%5B.html");
}

// A loaded password carries bytes that are not Shift-JIS as U+F700 + byte; the server gets the
// stored bytes: 8A BF (漢), 80, and ED 40, the second code of 纊 that converts back as FA 5C.
TEST_F(PublisherFixture, PasswordReachesTheServerAsItsStoredBytes) {
    keys.FTPPassword = "漢\xEF\x9E\x80\xEF\x9F\xAD@";
    publisher.UploadIpPage(0);
    ASSERT_EQ(transfer.started.size(), 1u);
    EXPECT_EQ(transfer.started[0].password, "\x8A\xBF\x80\xED\x40");
}

TEST_F(PublisherFixture, ExistingPageIsReplacedAndALinkIsNotFollowed) {
    const QString elsewhere = dir.filePath(QStringLiteral("victim"));
    QFile victim(elsewhere);
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("keep");
    victim.close();
    ASSERT_TRUE(QFile::link(elsewhere, dir.filePath(QStringLiteral("IPData.html"))));
    keys.FTPFontColor = "not a colour";
    publisher.UploadIpPage(0);
    EXPECT_EQ(pageFile(), QByteArray("EDIT ERROR!!!"));
    EXPECT_FALSE(QFileInfo(dir.filePath(QStringLiteral("IPData.html"))).isSymLink());
    EXPECT_EQ(pageFile("victim"), QByteArray("keep"));
    EXPECT_EQ(transfer.started.size(), 1u); // the error page is sent all the same
}

TEST_F(PublisherFixture, SecondRequestWhileOneRunsIsDropped) {
    publisher.UploadIpPage(0);
    info.GlobalIpText = QStringLiteral("198.51.100.1");
    publisher.UploadIpPage(0);
    publisher.UploadIpPage(1);
    EXPECT_EQ(transfer.started.size(), 1u);
    EXPECT_EQ(pageFile(), QByteArray(kPlainPage).replace("%1", "203.0.113.7"));
    transfer.report(FTP_COMPLETED);
    transfer.report(FTP_DISCONNECTED);
    publisher.UploadIpPage(0);
    EXPECT_EQ(transfer.started.size(), 2u);
    EXPECT_EQ(pageFile(), QByteArray(kPlainPage).replace("%1", "198.51.100.1"));
}

TEST_F(PublisherFixture, ServerErrorShowsTheBoxThenCloses) {
    publisher.UploadIpPage(0);
    transfer.report(FTP_ERROR);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kUploadFailedText);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("警告：Tarvo"));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(transfer.closes, 1);
    EXPECT_TRUE(publisher.UploadBusy);
    transfer.report(FTP_DISCONNECTED);
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_EQ(timer.period, 0);
}

TEST_F(PublisherFixture, BadSettingsFailAtOnceAndStayUntouched) {
    const struct {
        const char *host;
        const char *port;
        const char *fileName;
        bool refused;
    } cases[] = {
        {"ftp.example.lab", "ftp", "IPData.html", false},
        {"ftp.example.lab", "0", "IPData.html", false},
        {"ftp.example.lab", "70000", "IPData.html", false},
        {"", "21", "IPData.html", false},
        {"a@b", "21", "IPData.html", false},
        {"ftp.example.lab", "21", "../escape.html", false},
        {"ftp.example.lab", "21", "IPData.html", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.host) + " " + c.port + " " + c.fileName);
        messages.shown.clear();
        busyAtPoll.clear();
        keys.FTPHOST = c.host;
        keys.FTPPORT = c.port;
        keys.FTPFileName = c.fileName;
        transfer.refuse = c.refused;
        const settings::ConnectionStartKeys before = keys;
        publisher.UploadIpPage(0);
        EXPECT_TRUE(failureShown());
        EXPECT_FALSE(publisher.UploadBusy);
        EXPECT_EQ(publisher.UploadWatchCount, 0);
        EXPECT_EQ(timer.period, 0);
        ASSERT_FALSE(busyAtPoll.empty());
        EXPECT_FALSE(busyAtPoll.back());
        EXPECT_EQ(keys.FTPHOST, before.FTPHOST);
        EXPECT_EQ(keys.FTPPORT, before.FTPPORT);
        EXPECT_EQ(keys.FTPPassword, before.FTPPassword);
    }
    EXPECT_TRUE(transfer.started.empty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("../escape.html"))));
}

TEST_F(PublisherFixture, WatchdogClosesInTheFourthMinute) {
    publisher.UploadIpPage(0);
    timer.advance(3 * 60000);
    EXPECT_EQ(publisher.UploadWatchCount, 3);
    EXPECT_EQ(transfer.closes, 0);
    timer.advance(60000 - 1);
    EXPECT_EQ(transfer.closes, 0);
    timer.advance(1);
    EXPECT_EQ(transfer.closes, 1);
    EXPECT_EQ(timer.period, 0);
    EXPECT_EQ(publisher.UploadWatchCount, 0);
    EXPECT_TRUE(publisher.UploadBusy); // until the connection has ended
    transfer.report(FTP_DISCONNECTED);
    EXPECT_FALSE(publisher.UploadBusy);
}

TEST_F(PublisherFixture, WatchdogRetriesAFailedClose) {
    publisher.UploadIpPage(0);
    transfer.failingCloses = 3;
    timer.advance(4 * 60000);
    EXPECT_EQ(transfer.closes, 2); // issued once more at once
    EXPECT_EQ(timer.period, 60000);
    timer.advance(60000);
    EXPECT_EQ(transfer.closes, 4); // the next tick tries again, and gets through
    EXPECT_EQ(timer.period, 60000);
    timer.advance(60000);
    EXPECT_EQ(transfer.closes, 5);
    EXPECT_EQ(timer.period, 0);
}

TEST_F(PublisherFixture, WatchdogAfterTheEndOnlyStops) {
    publisher.UploadIpPage(0);
    timer.advance(2 * 60000);
    transfer.report(FTP_COMPLETED);
    transfer.report(FTP_DISCONNECTED);
    EXPECT_EQ(timer.period, 0);
    EXPECT_EQ(publisher.UploadWatchCount, 0);
    publisher.UploadIpPage(0);
    timer.advance(3 * 60000);
    EXPECT_EQ(transfer.closes, 1); // the first upload's completion only
}

TEST_F(PublisherFixture, CopyGlobalIp) {
    publisher.CopyGlobalIp();
    EXPECT_EQ(clipboard.text, QStringLiteral("before"));
    EXPECT_EQ(clipboard.clears, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("取得IPが見つかりません"));
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("注意"));

    window.captionText = QStringLiteral("203.0.113.7");
    publisher.CopyGlobalIp();
    EXPECT_EQ(clipboard.text, QStringLiteral("203.0.113.7"));
    EXPECT_EQ(clipboard.clears, 1);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(PublisherFixture, CopyLocalIp) {
    coreSettings.ip = QStringLiteral("10.77.1.2");
    publisher.CopyLocalIp();
    EXPECT_EQ(lan.askedFor, QStringLiteral("10.77.1.2"));
    EXPECT_EQ(clipboard.text, QStringLiteral("192.168.0.10"));
    lan.address.clear();
    publisher.CopyLocalIp();
    EXPECT_EQ(clipboard.text, QStringLiteral("192.168.0.10"));
    EXPECT_TRUE(messages.contains(QStringLiteral("取得IPが見つかりません")));
}

} // namespace
} // namespace tarvo::testing
