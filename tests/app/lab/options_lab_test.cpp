// The whole program on the lab's LAN with two emulated routers: the options dialog opened from
// the menu picks the other router, and the next dial goes to it.
#include "tarvo_program.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QWidget *topLevel(const QString &name) {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

bool waitUntil(const std::function<bool()> &done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QTest::qWait(50);
    }
    return true;
}

QStringList emulator(const QStringList &args) {
    QProcess ctl;
    ctl.start(qEnvironmentVariable("QS_EMULATOR_CTL"),
              QStringList{qEnvironmentVariable("QS_LAB_CONTROL")} + args);
    ctl.waitForFinished(5000);
    return QString::fromLatin1(ctl.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QString lineState(const QString &router) {
    const QStringList answer =
        emulator({QStringLiteral("get"), router, QStringLiteral("port0.state")});
    return answer.isEmpty() ? QString() : answer.first().section(' ', -1);
}

// Unicast datagrams a router received since its log was cleared (broadcast searches aside).
int unicasts(const QString &router) {
    int n = 0;
    for (const QString &line : emulator({QStringLiteral("log"), router}))
        if (line.contains(QStringLiteral(" ucast "))) ++n;
    return n;
}

TEST(OptionsLab, ChoosingTheOtherRouterMovesTheAddressAndTheNextDial) {
    tarvo::TarvoProgram program;
    ASSERT_TRUE(program.start());
    QWidget *main = topLevel(QStringLiteral("frmMain"));
    ASSERT_NE(main, nullptr);
    auto *address = main->findChild<QLabel *>(QStringLiteral("lblIp"));
    ASSERT_EQ(address->text(), "10.77.1.1");

    // Message boxes of the line sequences are answered as a user would.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (QWidget *box = QApplication::activeModalWidget()) box->close();
    });
    answer.start(300);

    main->findChild<QAction *>(QStringLiteral("munFileOption"))->trigger();
    ASSERT_TRUE(waitUntil([] { return topLevel(QStringLiteral("frmOption")) != nullptr; }, 5000));
    QWidget *dialog = topLevel(QStringLiteral("frmOption"));
    auto *grid = dialog->findChild<QTableWidget *>(QStringLiteral("MSFlexGrid"));
    ASSERT_EQ(grid->rowCount(), 2);
    int other = -1;
    for (int r = 0; r < 2; ++r)
        if (grid->item(r, 2)->text() == "10.77.1.2") other = r;
    ASSERT_GE(other, 0);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(other, 1)).center());
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([] { return topLevel(QStringLiteral("frmOption")) == nullptr; }, 5000));
    ASSERT_TRUE(waitUntil([&] { return address->text() == "10.77.1.2"; }, 5000))
        << address->text().toStdString();

    emulator({QStringLiteral("clear_log"), QStringLiteral("office")});
    emulator({QStringLiteral("clear_log"), QStringLiteral("branch")});
    main->findChild<QPushButton *>(QStringLiteral("cmdStart"))->click();
    EXPECT_TRUE(waitUntil([] { return lineState(QStringLiteral("branch")) == "5"; }, 20000));
    EXPECT_EQ(lineState(QStringLiteral("office")), "3");
    EXPECT_GT(unicasts(QStringLiteral("branch")), 0);
    EXPECT_EQ(unicasts(QStringLiteral("office")), 0) << "nothing was sent to the old router";

    main->findChild<QPushButton *>(QStringLiteral("cmdOut"))->click();
    EXPECT_TRUE(waitUntil([] { return lineState(QStringLiteral("branch")) == "3"; }, 20000));
    answer.stop();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
