#include "ip_publisher.h"

#include "bas_main.h"
#include "cp932.h"
#include "ftp_address.h"
#include "ip_page.h"
#include "password_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvo {

IpPublisher::IpPublisher(Ports ports) : p_(std::move(ports)) {
    p_.transfer.stateChanged = [this](int state) { InetStateChanged(state); };
}

QString IpPublisher::pagePath() const {
    const QString name = PageFileName(QString::fromStdString(p_.keys.FTPFileName));
    return QDir(p_.services.dataFolder()).filePath(name);
}

namespace {
// The page's name comes from the settings file; it names a file in the data folder and nothing
// else.
bool plainFileName(const QString &name) {
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

bool writePage(const QString &path, const QByteArray &bytes) {
    // Removed first, so that a link left at that name is replaced, not followed.
    if (QFile::exists(path) || QFileInfo(path).isSymLink()) QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}
} // namespace

void IpPublisher::UploadIpPage(int which) {
    if (UploadBusy) return;
    const auto &k = p_.keys;
    const QString ip =
        which != 0 ? p_.lanAddress.lanAddress(p_.settings.IP()) : p_.info.GlobalIpText;
    const QString page =
        BuildIpPage(QString::fromStdString(k.FTPBackColor), QString::fromStdString(k.FTPFontColor),
                    k.FTPGotoIpPage, k.FTPAutoGoto, ip);
    const QString name = PageFileName(QString::fromStdString(k.FTPFileName));
    const std::optional<std::string> pageBytes = settings::cp932::fromUtf8(page.toStdString());
    if (!plainFileName(name) || !pageBytes ||
        !writePage(pagePath(), QByteArray::fromStdString(*pageBytes))) {
        failed();
        return;
    }
    const QString remote = RemoteFolder(QString::fromStdString(k.FTPll)) + name;

    UploadBusy = true;
    UploadWatchCount = 0;
    p_.timerWatch4.setPeriod(kWatchPeriodMs);
    if (p_.pollStatus) p_.pollStatus();

    const std::optional<int> port = FtpPortNumber(QString::fromStdString(k.FTPPORT));
    const std::optional<std::string> url =
        port ? FtpUrl(QString::fromStdString(k.FTPHOST), *port, remote) : std::nullopt;
    // The server gets the names as the settings file holds them: CP932 bytes.
    std::optional<std::string> user = settings::cp932::fromUtf8(k.FTPName);
    std::optional<std::string> password = settings::passwordBytes(k.FTPPassword);
    if (!url || !user || !password) {
        failed();
        return;
    }
    FtpStore request;
    request.url = *url;
    request.user = std::move(*user);
    request.password = std::move(*password);
    request.requireTls = k.FTPTLS == 1;
    request.localFile = QFile::encodeName(pagePath()).toStdString();
    if (!p_.transfer.start(std::move(request))) failed();
}

void IpPublisher::failed() {
    p_.messages.show(kUploadFailedText, kWarningTitle, MessageIcon::Stop);
    idle();
}

void IpPublisher::idle() {
    UploadBusy = false;
    p_.timerWatch4.setPeriod(0);
    UploadWatchCount = 0;
    if (p_.pollStatus) p_.pollStatus();
}

void IpPublisher::InetStateChanged(int state) {
    switch (state) {
    case FTP_COMPLETED:
        p_.transfer.close();
        break;
    case FTP_ERROR:
        p_.messages.show(kUploadFailedText, kWarningTitle, MessageIcon::Stop);
        p_.transfer.close();
        break;
    case FTP_DISCONNECTED:
        idle();
        break;
    default:
        break;
    }
}

void IpPublisher::TimerWatch4Tick() {
    if (UploadWatchCount < 3) {
        ++UploadWatchCount;
        return;
    }
    if (UploadBusy && !p_.transfer.close()) {
        // Once more now; should that fail too, the next tick tries again.
        p_.transfer.close();
        return;
    }
    p_.timerWatch4.setPeriod(0);
    UploadWatchCount = 0;
}

void IpPublisher::CopyGlobalIp() {
    const QString ip = p_.window.caption();
    if (ip.isEmpty()) {
        p_.messages.show(kNoIpText, kNoteTitle, MessageIcon::None);
        return;
    }
    p_.clipboard.clear();
    p_.clipboard.setText(ip);
}

void IpPublisher::CopyLocalIp() {
    const QString ip = p_.lanAddress.lanAddress(p_.settings.IP());
    if (ip.isEmpty()) {
        p_.messages.show(kNoIpText, kNoteTitle, MessageIcon::None);
        return;
    }
    p_.clipboard.clear();
    p_.clipboard.setText(ip);
}

void IpPublisher::CancelTransfer() {
    if (UploadBusy) p_.transfer.close();
}

} // namespace tarvo
