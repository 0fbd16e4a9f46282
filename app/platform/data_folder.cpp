#include "data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo {

namespace {

// mkdir -p with mode 0700 for every folder it makes: the files inside hold the FTP password.
bool makePrivatePath(const QString &path) {
    if (QFileInfo(path).isDir()) return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivatePath(parent)) return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0) {
        ::chmod(QFile::encodeName(path).constData(), 0700); // whatever the umask took away
        return true;
    }
    return errno == EEXIST && QFileInfo(path).isDir();
}

} // namespace

bool IsWritableFolder(const QString &folder) {
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

QString UserConfigFolder(const QProcessEnvironment &env) {
    QString base = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (!QDir::isAbsolutePath(base)) {
        const QString home = env.value(QStringLiteral("HOME"));
        if (!QDir::isAbsolutePath(home)) return {};
        base = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(base + QStringLiteral("/Tarvo"));
}

QString ChooseDataFolder(const QString &programFolder, const QProcessEnvironment &env) {
    const bool installed =
        QFileInfo::exists(programFolder + QLatin1Char('/') + QLatin1String(kInstalledMarker));
    if (!installed && IsWritableFolder(programFolder)) return programFolder;
    const QString config = UserConfigFolder(env);
    // Without a folder of the user's, the program folder is all there is: reads still work,
    // and saves fail as they would have.
    if (config.isEmpty() || !makePrivatePath(config)) return programFolder;
    return config;
}

} // namespace tarvo
