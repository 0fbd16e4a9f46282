// The About dialog's information text and its refresh counter.
#include "about_text.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(AboutTextTest, NumberForms) {
    EXPECT_EQ(LibraryVersionText(66048), QStringLiteral("1.0200"));
    EXPECT_EQ(LibraryVersionText(0x01020304), QStringLiteral("102.0304"));
    EXPECT_EQ(LibraryVersionText(0x0000ABCD), QStringLiteral("0.ABCD"));

    EXPECT_EQ(ConnectTimeDisplay(QStringLiteral("37250")), QStringLiteral("1時間02分05秒"));
    EXPECT_EQ(ConnectTimeDisplay(QStringLiteral("360009")), QStringLiteral("10時間00分00秒"));
    EXPECT_EQ(ConnectTimeDisplay(QStringLiteral("7")), QStringLiteral("0時間00分00秒"));
    EXPECT_EQ(ConnectTimeDisplay(QString()), QString());

    EXPECT_EQ(KernelVersionText(QStringLiteral("6.1.0-18-amd64")), QStringLiteral("6.1(Build:0)"));
    EXPECT_EQ(KernelVersionText(QStringLiteral("5.15.133+")), QStringLiteral("5.15(Build:133)"));
    EXPECT_EQ(KernelVersionText(QStringLiteral("6.8")), QStringLiteral("6.8(Build:0)"));

    EXPECT_EQ(KilobytesText(2048), QStringLiteral("2"));
    EXPECT_EQ(KilobytesText(1536), QStringLiteral("1.5"));
    EXPECT_EQ(KilobytesText(1025), QStringLiteral("1.0009765625"));
    EXPECT_EQ(KilobytesText(140737488355328ULL), QStringLiteral("137438953472"));
    EXPECT_EQ(KilobytesText(1023), QStringLiteral("0.9990234375"));
    EXPECT_EQ(KilobytesText(1024 + 512 + 256), QStringLiteral("1.75"));
    // Beyond 2^53 bytes: 18446744073709551615 = 18014398509481983 * 1024 + 1023.
    EXPECT_EQ(KilobytesText(18446744073709551615ULL),
              QStringLiteral("18014398509481983.9990234375"));
    EXPECT_EQ(KilobytesText((1ULL << 60) + 1), QStringLiteral("1125899906842624.0009765625"));
}

// Display columns as the labels were laid out: half-width characters one, the others two.
int columns(const QString &text) {
    int n = 0;
    for (QChar c : text)
        n += (c.unicode() < 0x80 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)) ? 1 : 2;
    return n;
}

AboutInputs connectedFixture() {
    AboutInputs in;
    in.system.systemName = QStringLiteral("Linux");
    in.system.kernelRelease = QStringLiteral("6.1.0-18-amd64");
    in.system.cpuModel = QStringLiteral("Example CPU @ 2.00GHz");
    in.system.physicalTotal = 8ULL * 1024 * 1024 * 1024;
    in.system.physicalAvailable = 1536;
    in.system.addressSpaceTotal = 4096;
    in.system.addressSpaceAvailable = 1024;
    in.system.screenWidth = 1024;
    in.system.screenHeight = 600;
    in.system.hostName = QStringLiteral("pc-lab");
    in.system.lanAddress = QStringLiteral("10.77.0.2");
    in.libraryFileName = QStringLiteral("libQuaystone.so");
    in.libraryVersion = 66048;
    in.info.ModeText = QStringLiteral("常時接続");
    in.info.LineText = QStringLiteral("ISDN");
    in.info.GlobalIpText = QStringLiteral("198.51.100.22");
    in.info.SentBytesText = QStringLiteral("1200");
    in.info.ReceivedBytesText = QStringLiteral("5400");
    in.info.SentPacketsText = QStringLiteral("3");
    in.info.ReceivedPacketsText = QStringLiteral("4");
    in.info.ErrorPacketsText = QStringLiteral("0");
    in.info.ConnectTimeText = QStringLiteral("37250");
    in.dataFolder = QStringLiteral("/home/user/.config/Tarvo");
    return in;
}

TEST(AboutTextTest, LinesInTheirPlaces) {
    const QStringList lines = AboutLines(connectedFixture());
    const QStringList expected = {
        QStringLiteral("Linux           : 6.1(Build:0)"),
        QStringLiteral("CPU             : Example CPU @ 2.00GHz"),
        QStringLiteral("物理ﾒﾓﾘ         : 8388608(KB)"),
        QStringLiteral("空き物理ﾒﾓﾘ     : 1.5(KB)"),
        QStringLiteral("仮想ﾒﾓﾘ         : 4(KB)"),
        QStringLiteral("空き仮想ﾒﾓﾘ     : 1(KB)"),
        QStringLiteral("Screen          : 1024×600"),
        QStringLiteral("libQuaystone.so : 1.0200"),
        QStringLiteral("LocalHostName   : PC-LAB"),
        QStringLiteral("LocalIP         : 10.77.0.2"),
        QString(),
        QStringLiteral("接続ﾓｰﾄﾞ        : 常時接続"),
        QStringLiteral("接続時の回線    : ISDN"),
        QStringLiteral("取得IPｱﾄﾞﾚｽ     : 198.51.100.22"),
        QStringLiteral("送信ﾊﾞｲﾄ数      : 1200"),
        QStringLiteral("受信ﾊﾞｲﾄ数      : 5400"),
        QStringLiteral("送信ﾊﾟｹｯﾄ数     : 3"),
        QStringLiteral("受信ﾊﾟｹｯﾄ数     : 4"),
        QStringLiteral("ｴﾗｰﾊﾟｹｯﾄ数      : 0"),
        QStringLiteral("接続時間        : 1時間02分05秒"),
        QStringLiteral("ﾃﾞｰﾀﾌｫﾙﾀﾞ       : /home/user/.config/Tarvo"),
    };
    EXPECT_EQ(lines, expected);
    for (const QString &line : lines) {
        if (line.isEmpty() || line.startsWith(QStringLiteral("libQuaystone"))) continue;
        EXPECT_EQ(columns(line.left(line.indexOf(QStringLiteral(": ")))), 16) << line.toStdString();
    }
    EXPECT_FALSE(AboutDescription(connectedFixture()).endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(AboutDescription(connectedFixture()).count(QStringLiteral("\r\n")), 20);
}

TEST(AboutTextTest, MissingValuesLeaveTheLabelAlone) {
    AboutInputs in = connectedFixture();
    in.libraryVersion = 0;
    in.info = ConnectionInfo{};
    in.system.cpuModel.clear();
    in.system.physicalTotal.reset();
    in.system.hostName.clear();
    in.system.lanAddress.clear();
    in.system.systemName.clear();
    const QStringList lines = AboutLines(in);
    EXPECT_EQ(lines[0], QStringLiteral("不明            : 6.1(Build:0)"));
    EXPECT_EQ(lines[1], QStringLiteral("CPU             : "));
    EXPECT_EQ(lines[2], QStringLiteral("物理ﾒﾓﾘ         : "));
    EXPECT_EQ(lines[7], QStringLiteral("libQuaystone.so : 「libQuaystone.so」が見つかりません"));
    EXPECT_EQ(lines[8], QStringLiteral("LocalHostName   : "));
    EXPECT_EQ(lines[9], QStringLiteral("LocalIP         : "));
    EXPECT_EQ(lines[19], QStringLiteral("接続時間        : "));
}

TEST(AboutRefreshCounterTest, RefreshesEveryAboutWatchTimeMinutes) {
    AboutRefreshCounter c;
    using A = AboutRefreshCounter::Action;
    std::vector<int> refreshedAt;
    for (int minute = 1; minute <= 90; ++minute)
        if (c.tick(1, 30) == A::Refresh) refreshedAt.push_back(minute);
    EXPECT_EQ(refreshedAt, (std::vector<int>{30, 60, 90}));
    for (int time : {1, 0, -5})
        EXPECT_EQ(c.tick(1, time), A::Refresh) << time;
    c.tick(1, 30);
    EXPECT_EQ(c.tick(0, 30), A::Stop);
    EXPECT_EQ(c.count(), 0);
}

} // namespace
} // namespace tarvo
