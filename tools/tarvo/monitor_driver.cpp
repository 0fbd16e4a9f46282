// Runs the whole program in-process on the lab's PC host and drives its monitor and About
// windows by object name: screenshots for people to look at, or the running costs with the
// monitor shown. Copied into a program folder of its own (see monitor-session.sh), like Tarvo.
//
//   tarvo_monitor_driver shots OUT_DIR PREFIX    the monitor after some seconds of traffic
//   tarvo_monitor_driver hide OUT_DIR            docked at the top, then hidden, then back
//   tarvo_monitor_driver about OUT_DIR           the About window
//   tarvo_monitor_driver bench SECONDS           CPU and memory with the monitor shown
#include "bas_main.h"
#include "tarvo_program.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

namespace {

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QWidget *topLevel(const char *name) {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) return w;
    return nullptr;
}

bool trigger(const char *window, const char *action) {
    QWidget *w = topLevel(window);
    QAction *a = w ? w->findChild<QAction *>(QString::fromLatin1(action)) : nullptr;
    if (!a) {
        std::fprintf(stderr, "driver: no %s in %s\n", action, window);
        return false;
    }
    a->trigger();
    return true;
}

bool shoot(const QString &path) {
    QApplication::processEvents();
    const QPixmap screen = QApplication::primaryScreen()->grabWindow(0);
    const bool ok = screen.save(path);
    std::fprintf(stderr, "driver: %s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

// utime + stime of this process in clock ticks.
long long cpuTicks() {
    QFile f(QStringLiteral("/proc/self/stat"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(')').last().trimmed().split(' ');
    // Fields after the command: state is [0], utime [11], stime [12].
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

double residentMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

int drive(const QStringList &args) {
    const QString mode = args.value(1);
    const QString out = args.value(2);
    if (mode == QLatin1String("shots")) {
        if (!trigger("frmMain", "munMonitor")) return 1;
        runFor(25000); // some seconds of traffic across the graph
        QWidget *monitor = topLevel("frmMonitor");
        if (!monitor) return 1;
        return shoot(out + QLatin1Char('/') + args.value(3) + QStringLiteral(".png")) ? 0 : 1;
    }
    if (mode == QLatin1String("hide")) {
        if (!trigger("frmMain", "munMonitor")) return 1;
        QWidget *monitor = topLevel("frmMonitor");
        if (!monitor) return 1;
        QCursor::setPos(monitor->geometry().center());
        runFor(4000);
        shoot(out + QStringLiteral("/monitor-docked.png"));
        QCursor::setPos(600, 500);
        runFor(2500);
        std::fprintf(stderr, "driver: hidden at y = %d\n", monitor->y());
        shoot(out + QStringLiteral("/monitor-hidden.png"));
        QCursor::setPos(monitor->x() + 50, 1);
        runFor(2500);
        std::fprintf(stderr, "driver: back at y = %d\n", monitor->y());
        return shoot(out + QStringLiteral("/monitor-back.png")) ? 0 : 1;
    }
    if (mode == QLatin1String("about")) {
        runFor(1500);
        if (!trigger("frmMain", "munAbout")) return 1;
        runFor(1500);
        if (QWidget *about = topLevel("frmAbout")) about->move(20, 20);
        runFor(500);
        return shoot(out + QStringLiteral("/about.png")) ? 0 : 1;
    }
    if (mode == QLatin1String("bench")) {
        const int seconds = args.value(2).toInt() > 0 ? args.value(2).toInt() : 60;
        if (!trigger("frmMain", "munMonitor")) return 1;
        runFor(3000);
        const long long before = cpuTicks();
        QElapsedTimer clock;
        clock.start();
        runFor(seconds * 1000);
        const double used = double(cpuTicks() - before) / double(sysconf(_SC_CLK_TCK));
        std::printf("CPU with the monitor shown over %d s: %.3f %% of a core (goal <= 0.5)\n",
                    seconds, 100.0 * used / (clock.elapsed() / 1000.0));
        std::printf("resident memory with the monitor shown: %.1f MB (goal <= 50)\n", residentMb());
        return 0;
    }
    std::fprintf(stderr, "usage: tarvo_monitor_driver shots|hide|about|bench ...\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(tarvo::kApplicationTitle);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVO_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList args = QCoreApplication::arguments();
    tarvo::TarvoProgram program;
    if (!program.start()) return 1;
    int status = 1;
    QTimer::singleShot(0, &app, [&] {
        status = drive(args);
        QApplication::exit(0);
    });
    QApplication::exec();
    return status;
}
