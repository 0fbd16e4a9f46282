#include "program_services.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <cstdlib>

namespace tarvo {

QString ProgramServices::programFolder() const {
    return QCoreApplication::applicationDirPath();
}

QString ProgramServices::localHostName() const {
    return QHostInfo::localHostName();
}

void ProgramServices::stopMainTimer() {
    if (mainTimer_) mainTimer_->stop();
}

void ProgramServices::terminateNow() {
    std::_Exit(EXIT_FAILURE);
}

void ProgramServices::quit() {
    QCoreApplication::quit();
}

} // namespace tarvo
