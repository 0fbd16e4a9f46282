// The IP page upload against the lab's FTP server (tools/lab/ftp-setup.sh): plain FTP, FTPS with
// a trusted and an untrusted certificate, a wrong password, a missing folder, a silent server.
#include "core_fakes.h"
#include "curl_ftp_transfer.h"
#include "ip_publisher.h"
#include "route_lan_address.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

QString env(const char *name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

class IdleTimer : public QueryTimer {
  public:
    int period = 0;
    void setPeriod(int ms) override { period = ms; }
};

class NoClipboard : public ClipboardPort {
  public:
    void clear() override {}
    void setText(const QString &) override {}
};

class PcAddress : public LanAddressPort {
  public:
    QString lanAddress(const QString &) const override { return env("QS_LAB_PC_ADDRESS"); }
};

struct LabUpload : ::testing::Test {
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QS_LAB_FTP_ROOT"))
            GTEST_SKIP() << "runs in the lab only (tools/lab/ftp-setup.sh)";
    }

    explicit LabUpload(std::chrono::seconds timeout = std::chrono::seconds(2)) : transfer(timeout) {
        services.folder = dir.path();
        info.GlobalIpText = QStringLiteral("198.51.100.22");
        keys.FTPName = env("QS_LAB_FTP_USER").toStdString();
        keys.FTPPassword = env("QS_LAB_FTP_PASSWORD").toStdString();
        keys.FTPHOST = env("QS_LAB_FTP_HOST").toStdString();
        keys.FTPll = "public_html";
        keys.FTPPORT = "21";
        keys.FTPFileName = "IPData.html";
        keys.FTPFontColor = "&H00FFFFFF";
        keys.FTPBackColor = "&H00000000";
        const auto inner = transfer.stateChanged;
        transfer.stateChanged = [this, inner](int s) {
            states.push_back(s);
            inner(s);
        };
    }

    // Runs the event loop until the upload has ended, at most `limitMs`; the time it took.
    qint64 runUpload(int which = 0, int limitMs = 15000) {
        QElapsedTimer t;
        t.start();
        publisher.UploadIpPage(which);
        waitIdle(t, limitMs);
        return t.elapsed();
    }
    void waitIdle(const QElapsedTimer &t, int limitMs) {
        while (publisher.UploadBusy && t.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }

    QByteArray stored(const QString &relative) const {
        QFile f(QDir(env("QS_LAB_FTP_ROOT")).filePath(relative));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(not stored)");
    }
    QByteArray local() const {
        QFile f(publisher.pagePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no page)");
    }
    int failureBoxes() const {
        int n = 0;
        for (const auto &m : messages.shown)
            n += m.text == kUploadFailedText;
        return n;
    }

    QTemporaryDir dir;
    CurlFtpTransfer transfer;
    IdleTimer timer;
    FakeMessages messages;
    NoClipboard clipboard;
    PcAddress lan;
    FakeWindow window;
    ConnectionInfo info;
    settings::ConnectionStartKeys keys;
    FakeSettings coreSettings;
    FakeServices services;
    std::vector<int> states;
    IpPublisher publisher{IpPublisher::Ports{
        transfer, timer, messages, clipboard, lan, window, info, keys, coreSettings, services, {}}};
};

const QByteArray kPage = "<!doctype html public \"-//w3c//dtd html 4.01 transitional//en\">\r\n"
                         "<html lang=\"ja\">\r\n<head>\r\n<title>ip</title>\r\n</head>\r\n"
                         "<body bgcolor=\"#000000\"text=\"#FFFFFF\">\r\n"
                         "198.51.100.22<br>\r\n</body>\r\n</html>\r\n";

TEST_F(LabUpload, StoresThePageByteForByte) {
    const qint64 ms = runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_COMPLETED, FTP_DISCONNECTED}));
    EXPECT_EQ(stored(QStringLiteral("public_html/IPData.html")), kPage);
    EXPECT_EQ(local(), kPage);
    EXPECT_EQ(failureBoxes(), 0);
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_EQ(timer.period, 0);
    std::printf("plain FTP upload: %lld ms\n", static_cast<long long>(ms));

    // The server's root, the folder given from the root, and a Shift-JIS file name.
    states.clear();
    keys.FTPll = "";
    keys.FTPFileName = "表示.html";
    runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_COMPLETED, FTP_DISCONNECTED}));
    // The lab's server reads names as CP932, so only the right bytes give this name.
    EXPECT_EQ(stored(QStringLiteral("表示.html")), kPage);
    states.clear();
    keys.FTPll = "/public_html/";
    keys.FTPFileName = "abs.html";
    runUpload();
    EXPECT_EQ(stored(QStringLiteral("public_html/abs.html")), kPage);
}

TEST_F(LabUpload, WrongPasswordShowsTheBoxAndEnds) {
    keys.FTPPassword = "wrong";
    runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_ERROR, FTP_DISCONNECTED}));
    EXPECT_EQ(failureBoxes(), 1);
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_EQ(keys.FTPPassword, "wrong"); // the settings stay as they were
    for (const auto &m : messages.shown)
        EXPECT_FALSE(m.text.contains(QStringLiteral("wrong")));
}

TEST_F(LabUpload, MissingFolderIsAnErrorAndIsNotCreated) {
    keys.FTPll = "nosuch/deeper";
    runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_ERROR, FTP_DISCONNECTED}));
    EXPECT_EQ(failureBoxes(), 1);
    EXPECT_FALSE(QDir(env("QS_LAB_FTP_ROOT")).exists(QStringLiteral("nosuch")));
}

TEST_F(LabUpload, UnknownHostIsAnError) {
    keys.FTPHOST = "nowhere.tarvo.lab";
    runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_ERROR, FTP_DISCONNECTED}));
    EXPECT_EQ(failureBoxes(), 1);
}

TEST_F(LabUpload, SecondRequestWhileOneRunsIsDroppedAndTheNextWorks) {
    keys.FTPFileName = "twice.html";
    QElapsedTimer t;
    t.start();
    publisher.UploadIpPage(0);
    info.GlobalIpText = QStringLiteral("203.0.113.9");
    publisher.UploadIpPage(0);
    waitIdle(t, 15000);
    EXPECT_EQ(states, (std::vector<int>{FTP_COMPLETED, FTP_DISCONNECTED}));
    EXPECT_EQ(stored(QStringLiteral("public_html/twice.html")), kPage);

    states.clear();
    runUpload(1); // the LAN address this time
    EXPECT_EQ(states, (std::vector<int>{FTP_COMPLETED, FTP_DISCONNECTED}));
    EXPECT_EQ(stored(QStringLiteral("public_html/twice.html")),
              QByteArray(kPage).replace("198.51.100.22", env("QS_LAB_PC_ADDRESS").toLatin1()));
}

TEST_F(LabUpload, TlsWithTheLabsCertificateStores) {
    keys.FTPTLS = 1;
    keys.FTPPORT = "2121";
    keys.FTPFileName = "tls.html";
    const qint64 ms = runUpload();
    EXPECT_EQ(states, (std::vector<int>{FTP_COMPLETED, FTP_DISCONNECTED}));
    EXPECT_EQ(stored(QStringLiteral("public_html/tls.html")), kPage);
    std::printf("FTPS upload: %lld ms\n", static_cast<long long>(ms));
}

TEST_F(LabUpload, TlsRefusesWhatItCannotTrust) {
    const struct {
        const char *port;
        const char *why;
    } cases[] = {
        {"2122", "a certificate of no known CA"},
        {"21", "a server without TLS"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        states.clear();
        messages.shown.clear();
        keys.FTPTLS = 1;
        keys.FTPPORT = c.port;
        keys.FTPFileName = std::string("refused") + c.port + ".html";
        runUpload();
        EXPECT_EQ(states, (std::vector<int>{FTP_ERROR, FTP_DISCONNECTED}));
        EXPECT_EQ(failureBoxes(), 1);
        EXPECT_EQ(stored(QString::fromStdString("public_html/" + keys.FTPFileName)),
                  QByteArray("(not stored)"));
    }
}

TEST_F(LabUpload, SilentServerEndsByTheRequestTimeOut) {
    keys.FTPPORT = "2123";
    const qint64 ms = runUpload(0, 20000);
    EXPECT_EQ(states, (std::vector<int>{FTP_ERROR, FTP_DISCONNECTED}));
    EXPECT_EQ(failureBoxes(), 1);
    // The time-out is 2 s here; curl checks it about once a second.
    EXPECT_GE(ms, 1900);
    EXPECT_LT(ms, 6000);
}

struct LabUploadPatient : LabUpload {
    LabUploadPatient() : LabUpload(std::chrono::seconds(60)) {}
};

TEST_F(LabUploadPatient, CloseAbortsARunningStoreAtOnce) {
    keys.FTPPORT = "2123";
    QElapsedTimer t;
    t.start();
    publisher.UploadIpPage(0);
    while (t.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(publisher.UploadBusy);
    EXPECT_TRUE(transfer.close());
    const qint64 closedAt = t.elapsed();
    waitIdle(t, 10000);
    EXPECT_EQ(states, std::vector<int>{FTP_DISCONNECTED});
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_LT(t.elapsed() - closedAt, 500);
    EXPECT_EQ(failureBoxes(), 0);
}

// The server on port 2124 takes the page and then leaves QUIT unanswered for a few seconds, as one
// behind a line that has just dropped would. Only the transfer's own thread waits for it: a
// close meanwhile returns at once, and the end is reported once the server has hung up.
TEST_F(LabUploadPatient, CloseNeverWaitsForTheServersGoodbye) {
    keys.FTPPORT = "2124";
    keys.FTPFileName = "quiet.html";
    QElapsedTimer t;
    t.start();
    publisher.UploadIpPage(0);
    while (stored(QStringLiteral("public_html/quiet.html")) != kPage && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_EQ(stored(QStringLiteral("public_html/quiet.html")), kPage);
    const qint64 storedAt = t.elapsed();
    while (t.elapsed() < storedAt + 500)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(publisher.UploadBusy) << "the goodbye should still be outstanding";

    QElapsedTimer closing;
    closing.start();
    EXPECT_TRUE(transfer.close());
    EXPECT_LT(closing.elapsed(), 200);

    waitIdle(t, 20000);
    EXPECT_EQ(states, std::vector<int>{FTP_DISCONNECTED});
    EXPECT_FALSE(publisher.UploadBusy);
    EXPECT_EQ(failureBoxes(), 0);
}

// The lab's PC has one address besides loopback, on the link to the routers.
TEST(LabLanAddress, IsTheAddressTowardsTheRouter) {
    if (qEnvironmentVariableIsEmpty("QS_LAB_PC_ADDRESS")) GTEST_SKIP() << "runs in the lab only";
    const QString pc = env("QS_LAB_PC_ADDRESS");
    RouteLanAddress lan;
    EXPECT_EQ(lan.lanAddress(QStringLiteral("10.77.1.2")), pc);
    EXPECT_EQ(lan.lanAddress(QStringLiteral("0.0.0.0")), pc); // no router: the first one
    EXPECT_EQ(lan.lanAddress(QStringLiteral("127.0.0.1")), QStringLiteral("127.0.0.1"));
}

// With the route to the router gone (a router in a subnet the PC cannot reach), the PC still has
// its address: the first one that is not loopback, as when no router is chosen. Nothing is sent.
TEST(LabLanAddress, WithoutARouteToTheRouterIsTheFirstAddress) {
    if (qEnvironmentVariableIsEmpty("QS_LAB_PC_ADDRESS")) GTEST_SKIP() << "runs in the lab only";
    ASSERT_EQ(std::system("ip route del default dev pc0"), 0);
    const QString address = RouteLanAddress().lanAddress(QStringLiteral("192.0.2.1"));
    EXPECT_EQ(std::system("ip route add default dev pc0"), 0);
    EXPECT_EQ(address, env("QS_LAB_PC_ADDRESS"));
}

} // namespace
} // namespace tarvo::testing

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
