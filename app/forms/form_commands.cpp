#include "form_commands.h"

#include "bas_main.h"
#include "frm_main.h"
#include "frm_msg.h"

namespace tarvo {

namespace {
void run(BasMain &core, Command command) {
    switch (command) {
    case Command::CmdStart:
    case Command::TrayRenzoku:
        core.CommandConnect(false, false);
        break;
    case Command::CmdIN:
        core.CommandConnect(true, true);
        break;
    case Command::TrayConnect:
        core.CommandConnect(true, false);
        break;
    case Command::CmdOut:
    case Command::TrayDisconnect:
        core.CommandDisconnect();
        break;
    case Command::CmdKensaku:
        core.CommandSearch();
        break;
    case Command::TraySearch:
        core.CommandRediscover();
        break;
    case Command::CmdEnd:
    case Command::MnuEnd:
    case Command::TrayEnd:
        core.ShutDown();
        break;
    case Command::MnuHelp:
    case Command::TrayHelp:
        core.ShowHelp();
        break;
    case Command::TrayShow:
        core.ShowWindowNormal();
        break;
    case Command::TrayHide:
        core.HideToTray();
        break;
    default:
        // The options, About, monitor, publishing and program-launch windows come later.
        break;
    }
}
} // namespace

void ConnectForms(FrmMain &main, FrmMsg &cancelWindow, BasMain &core) {
    QObject::connect(&main, &FrmMain::commandTriggered, &main,
                     [&core](Command command) { run(core, command); });
    QObject::connect(&main, &FrmMain::closeRequested, &main,
                     [&core] { core.MainWindowCloseRequested(); });
    QObject::connect(&main, &FrmMain::stateChanged, &main, [&core] { core.WindowResized(); });
    QObject::connect(&main, &FrmMain::iconTimerTick, &main, [&core] { core.TimerIconTick(); });
    QObject::connect(&cancelWindow, &FrmMsg::cancelRequested, &cancelWindow,
                     [&core] { core.CancelRequested(); });
}

} // namespace tarvo
