#include "bas_main.h"
#include "single_instance.h"
#include "tarvo_program.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(tarvo::kApplicationTitle);
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVO_VERSION));
    // The program lives in the tray with its window hidden; only its shutdown ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second start only brings the first one forward: no settings read, no library touched.
    tarvo::SingleInstance instance(tarvo::kApplicationTitle);
    if (instance.activateRunning()) return 0;
    instance.listen();

    tarvo::TarvoProgram program;
    if (!program.start()) return 0;
    // Only now: a second start during start-up (the discovery wait, the missing-library box)
    // must not show a window whose settings are not loaded yet, or that never shows at all.
    QObject::connect(&instance, &tarvo::SingleInstance::activationRequested, &app,
                     [&program] { program.activate(); });
    return QApplication::exec();
}
