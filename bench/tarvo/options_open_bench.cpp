// Time from the menu entry "Option(&O)" to the options dialog on screen, in the running program
// on the lab's LAN. Prints figures; never a pass or fail.
#include "tarvo_program.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
QWidget *shown(const QString &name) {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    tarvo::TarvoProgram program;
    if (!program.start()) return 1;
    QWidget *main = shown(QStringLiteral("frmMain"));
    if (main == nullptr) return 1;
    QAction *entry = main->findChild<QAction *>(QStringLiteral("munFileOption"));

    std::vector<double> ms;
    int routers = 0;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        entry->trigger();
        QWidget *dialog = shown(QStringLiteral("frmOption"));
        if (dialog == nullptr || !QTest::qWaitForWindowExposed(dialog, 5000)) return 1;
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        routers = dialog->findChild<QTableWidget *>(QStringLiteral("MSFlexGrid"))->rowCount();
        dialog->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        QTest::qWait(50);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("options dialog, menu entry to shown window, %d routers listed, %d openings: "
                "median %.1f ms, min %.1f ms, max %.1f ms (goal <= 150 ms median)\n",
                routers, rounds, ms[ms.size() / 2], ms.front(), ms.back());
    return 0;
}
