#include "user_runtime_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo {

namespace {

// Makes `path` with mode 0700 when it is missing (its parents as any folder) and checks that it
// is ours alone.
QString privateFolder(const QString &path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0) {
        QDir().mkpath(QFileInfo(path).path());
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
    }
    return IsPrivateFolder(path) ? path : QString();
}

} // namespace

bool IsPrivateFolder(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

QString UserRuntimeFolder(const QProcessEnvironment &env) {
    const QString runtime = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime)) return QDir::cleanPath(runtime);

    QString cache = env.value(QStringLiteral("XDG_CACHE_HOME"));
    if (!QDir::isAbsolutePath(cache)) {
        const QString home = env.value(QStringLiteral("HOME"));
        if (!QDir::isAbsolutePath(home)) return {};
        cache = home + QStringLiteral("/.cache");
    }
    return privateFolder(QDir::cleanPath(cache + QStringLiteral("/Tarvo")));
}

} // namespace tarvo
