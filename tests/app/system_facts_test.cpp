// The About dialog's system port and the /proc texts it reads.
#include "qstring_printer.h"
#include "system_facts.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(SystemFactsTest, ProcTexts) {
    const QString cpuinfo = QStringLiteral("processor\t: 0\nvendor_id\t: GenuineIntel\n"
                                           "model name\t: Example CPU @ 2.00GHz  \nflags\t: fpu\n"
                                           "processor\t: 1\nmodel name\t: Second\n");
    EXPECT_EQ(CpuModelFromCpuinfo(cpuinfo), QStringLiteral("Example CPU @ 2.00GHz"));
    EXPECT_EQ(CpuModelFromCpuinfo(QStringLiteral("processor : 0\nHardware : BCM2835\n")),
              QString());
    EXPECT_EQ(CpuModelFromCpuinfo(QString()), QString());
    // An empty model name stays empty: the next line is not its value.
    EXPECT_EQ(CpuModelFromCpuinfo(QStringLiteral("model name\t:\nflags\t\t: fpu vme\n")),
              QString());

    const QString meminfo = QStringLiteral("MemTotal:       24683572 kB\nMemFree:  100 kB\n"
                                           "MemAvailable:   22951696 kB\n");
    EXPECT_EQ(KilobyteField(meminfo, QStringLiteral("MemTotal")), 24683572ULL * 1024);
    EXPECT_EQ(KilobyteField(meminfo, QStringLiteral("MemAvailable")), 22951696ULL * 1024);
    EXPECT_EQ(KilobyteField(meminfo, QStringLiteral("Mem")), std::nullopt);
    EXPECT_EQ(KilobyteField(QStringLiteral("VmSize:\t99999999999999999999 kB\n"),
                            QStringLiteral("VmSize")),
              std::nullopt); // beyond any real value: not taken
}

TEST(SystemFactsTest, ThisMachineDescribesItself) {
    const SystemFacts s = LinuxSystemFacts().read();
    EXPECT_EQ(s.systemName, QStringLiteral("Linux"));
    EXPECT_FALSE(s.kernelRelease.isEmpty());
    ASSERT_TRUE(s.physicalTotal.has_value());
    ASSERT_TRUE(s.addressSpaceTotal.has_value());
    ASSERT_TRUE(s.addressSpaceAvailable.has_value());
    EXPECT_LE(*s.addressSpaceAvailable, *s.addressSpaceTotal);
}

// The offscreen platform's screen has 800 x 800 pixels. Run again with QT_SCALE_FACTOR=2, where
// Qt itself calls it 400 x 400, the About dialog must still give the screen's own pixels.
TEST(SystemFactsTest, ScreenInTheScreensOwnPixels) {
    const SystemFacts s = LinuxSystemFacts().read();
    EXPECT_EQ(s.screenWidth, 800);
    EXPECT_EQ(s.screenHeight, 800);
}

} // namespace
} // namespace tarvo
