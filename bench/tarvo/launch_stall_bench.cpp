// The user-interface thread while registered programs start and are asked to close: a 1 ms timer
// on the event loop notes the longest gap between its ticks (the longest stall), and each launch
// call is timed on its own. Printed, never judged.
//
//   tarvo_launch_stall_bench PROGRAM [COUNT]     (PROGRAM is started as "PROGRAM quiet RECORD")
#include "linux_program_launcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarvo_launch_stall_bench PROGRAM [COUNT]\n");
        return 64;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    QTemporaryDir dir;
    tarvo::LinuxProgramLauncher launcher;

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = 0, idleStall = 0, busyStall = 0, longestLaunch = 0;
    bool busy = false;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick == 0) {
            lastTick = now;
            return;
        }
        const qint64 gap = now - lastTick;
        lastTick = now;
        (busy ? busyStall : idleStall) = std::max(busy ? busyStall : idleStall, gap);
    });
    heartbeat.start(1);

    std::vector<std::int32_t> pids;
    std::vector<qint64> launchTimes;
    int launched = 0;
    QTimer step;
    QObject::connect(&step, &QTimer::timeout, [&] {
        busy = true;
        if (launched < count) {
            QElapsedTimer one;
            one.start();
            const std::int32_t pid = launcher.launch(
                program, QStringLiteral("quiet '%1/%2'").arg(dir.path()).arg(launched));
            launchTimes.push_back(one.nsecsElapsed());
            longestLaunch = std::max(longestLaunch, launchTimes.back());
            if (pid > 0) pids.push_back(pid);
            ++launched;
        } else if (!pids.empty()) {
            launcher.closePrograms(pids);
            pids.clear();
        } else if (launcher.children().size() == 0) {
            app.quit();
        }
    });
    // A quiet second first, for the loop's own jitter.
    QTimer::singleShot(1000, [&] { step.start(50); });
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    app.exec();

    std::printf("registered programs: %d launched and asked to close\n", launched);
    std::sort(launchTimes.begin(), launchTimes.end());
    const qint64 median = launchTimes.empty() ? 0 : launchTimes[launchTimes.size() / 2];
    std::printf("launch call: median %.2f ms, longest %.2f ms\n", median / 1e6,
                longestLaunch / 1e6);
    std::printf("longest UI-thread stall while launching and closing: %.2f ms (goal <= 20)\n",
                busyStall / 1e6);
    std::printf("longest UI-thread stall while idle (timer jitter): %.2f ms\n", idleStall / 1e6);
    return 0;
}
