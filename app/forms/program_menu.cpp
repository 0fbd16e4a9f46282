#include "program_menu.h"

#include "frm_main.h"
#include "registered_programs.h"

#include <QAction>

namespace tarvo {

namespace {
void onTriggered(FrmMain &main, const QString &name, std::function<void()> action) {
    QAction *a = main.findChild<QAction *>(name);
    if (!a) return;
    a->setEnabled(true);
    QObject::connect(a, &QAction::triggered, &main, std::move(action));
}
} // namespace

void ConnectProgramMenu(FrmMain &main, RegisteredPrograms &programs) {
    for (int slot = 0; slot < RegisteredPrograms::kSlots; ++slot)
        onTriggered(main, QStringLiteral("munProgram%1").arg(slot + 1),
                    [&programs, slot] { programs.LaunchProgram(slot); });
    // The first program of the sequence starts a second after the choice, not at once.
    onTriggered(main, QStringLiteral("munGoStart"),
                [&programs] { programs.StartLaunchSequence(1000); });
    onTriggered(main, QStringLiteral("munGoEnd"), [&programs] { programs.EndPrograms(); });
}

} // namespace tarvo
