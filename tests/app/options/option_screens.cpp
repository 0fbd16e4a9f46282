// Saves a picture of each options page, filled with long names, for a person to look at:
//   tarvo_option_screens DIR     (under Xvfb, with the Japanese fonts installed)
#include "option_fixture.h"
#include "qt_option_pickers.h"

#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QTimer>

namespace tarvo::options::testing {
namespace {

class Screens : public OptionDialog {};

TEST_F(Screens, SaveEveryPage) {
    const QString dir = qEnvironmentVariable("TARVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "TARVO_SHOT_DIR not set";
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    addRouter(Router(0xC0A80002, 0xFFFFFF00, "Branch-Osaka", 0x3A0F1C));
    library.entries[0xC0A80001] =
        // Router names and entry names are CP932 bytes, as the routers send them.
        DialEntries({"\x83v\x83\x8d\x83o\x83"
                     "C\x83_\x82`",
                     "\x83v\x83\x8d\x83o\x83"
                     "C\x83_\x82"
                     "a",
                     "ISP-C", "RAS\x90\xda\x91\xb1\x90\xe6"},
                    {1, 1, 0, 1}, 0);
    store.Standard.IP = "192.168.0.1";
    store.ConnectionStart.FTP = 1;
    store.Watch.Watch = 1;
    store.Watch.Watch2 = 1;
    open();
    check("chkPopHelp")->click();
    QDir().mkpath(dir);
    for (int n = 0; n < 5; ++n) {
        showPage(n);
        QTest::qWait(100);
        dialog().grab().save(QStringLiteral("%1/page%2.png").arg(dir).arg(n));
    }
}

TEST_F(Screens, SaveThePickers) {
    const QString dir = qEnvironmentVariable("TARVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "TARVO_SHOT_DIR not set";
    QtOptionPickers pickers;
    const auto snapAndClose = [&](const QString &file) {
        QTimer::singleShot(800, [file] {
            if (QWidget *picker = QApplication::activeModalWidget()) {
                picker->grab().save(file);
                picker->close();
            }
        });
    };
    snapAndClose(dir + QStringLiteral("/program-picker.png"));
    EXPECT_FALSE(pickers.pickProgram(nullptr, QStringLiteral("/usr/bin")).has_value());
    snapAndClose(dir + QStringLiteral("/colour-picker.png"));
    EXPECT_FALSE(pickers.pickColour(nullptr, QColor(255, 255, 255)).has_value());
}

} // namespace
} // namespace tarvo::options::testing

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
