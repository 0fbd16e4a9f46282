#include "publish_commands.h"

#include "frm_main.h"
#include "ip_publisher.h"

#include <QTimer>

namespace tarvo {

void ConnectPublishCommands(FrmMain &window, IpPublisher &publisher) {
    for (Command c : {Command::TrayGetIP, Command::TrayIPFTP, Command::TrayGetLocalIP,
                      Command::TrayLocalIPFTP, Command::IpGetIP, Command::IpGetLocalIP})
        window.setCommandAvailable(c, true);
    QObject::connect(&window, &FrmMain::commandTriggered, &window, [&publisher](Command c) {
        switch (c) {
        case Command::TrayGetIP:
        case Command::IpGetIP:
            publisher.CopyGlobalIp();
            break;
        case Command::TrayGetLocalIP:
        case Command::IpGetLocalIP:
            publisher.CopyLocalIp();
            break;
        case Command::TrayIPFTP:
            publisher.UploadIpPage(0);
            break;
        case Command::TrayLocalIPFTP:
            publisher.UploadIpPage(1);
            break;
        default:
            break;
        }
    });
    QObject::connect(window.timer(QStringLiteral("TimerWatch4")), &QTimer::timeout, &window,
                     [&publisher] { publisher.TimerWatch4Tick(); });
}

} // namespace tarvo
