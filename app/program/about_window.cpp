#include "about_window.h"

#include "bas_main.h"
#include "frm_main.h"
#include "system_facts.h"

#include <QCoreApplication>

namespace tarvo {

AboutWindow::~AboutWindow() {
    delete form_.data();
}

void AboutWindow::Show() {
    if (!form_) {
        form_ = new FrmAbout(*this, kApplicationTitle,
                             QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QCoreApplication::applicationVersion());
        QObject::connect(form_.data(), &FrmAbout::unloaded, &p_.main, [this] {
            // Closing the About window, by OK or otherwise, brings the main window up; not when
            // the program is ending and closes it itself.
            if (!p_.core.state.ExitInProgress) p_.main.showForm();
            if (form_) form_->deleteLater();
        });
    }
    form_->setWindowIcon(p_.main.windowIcon());
    form_->show();
    form_->raise();
    form_->activateWindow();
}

void AboutWindow::Unload() {
    if (form_) form_->close();
}

QString AboutWindow::description() {
    p_.core.CommandPollStatus();
    AboutInputs in;
    in.system = p_.system.read();
    in.system.lanAddress = p_.lanAddress.lanAddress(QString::fromStdString(p_.store.Standard.IP));
    in.libraryFileName = p_.libraryFileName;
    in.libraryVersion = p_.core.state.LibraryVersion;
    in.info = p_.core.state.Info;
    in.dataFolder = p_.services.dataFolder();
    return AboutDescription(in);
}

QIcon AboutWindow::mainIcon() const {
    return p_.main.windowIcon();
}

bool AboutWindow::startSystemInfo() {
    return p_.sysInfo.start();
}

void AboutWindow::showMessage(const QString &text) {
    p_.messages.show(text, kApplicationTitle, MessageIcon::None);
}

} // namespace tarvo
