#include "system_facts.h"

#include <QFile>
#include <QGuiApplication>
#include <QHostInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>

#include <sys/resource.h>
#include <sys/utsname.h>

namespace tarvo {

namespace {
QString readText(const char *path) {
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly)) return {};
    // /proc files report size 0: read to the end, bounded.
    return QString::fromUtf8(f.read(1 << 20));
}

// The user address space of the machine, for a process without an address-space limit.
std::uint64_t userAddressSpace() {
    return sizeof(void *) >= 8 ? (std::uint64_t{1} << 47) : (std::uint64_t{3} << 30);
}
} // namespace

QString CpuModelFromCpuinfo(const QString &cpuinfo) {
    static const QRegularExpression re(QStringLiteral("^model name[ \\t]*:[ \\t]*(.*)$"),
                                       QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(cpuinfo);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

std::optional<std::uint64_t> KilobyteField(const QString &text, const QString &key) {
    const QRegularExpression re(QStringLiteral("^") + QRegularExpression::escape(key) +
                                    QStringLiteral(":\\s*(\\d+)\\s*kB"),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    bool ok = false;
    const std::uint64_t kb = m.captured(1).toULongLong(&ok);
    if (!ok || kb > (std::uint64_t{1} << 53)) return std::nullopt;
    return kb * 1024;
}

SystemFacts LinuxSystemFacts::read() const {
    SystemFacts s;
    utsname u{};
    if (uname(&u) == 0) {
        s.systemName = QString::fromLatin1(u.sysname);
        s.kernelRelease = QString::fromLatin1(u.release);
    }
    s.cpuModel = CpuModelFromCpuinfo(readText("/proc/cpuinfo"));
    const QString meminfo = readText("/proc/meminfo");
    s.physicalTotal = KilobyteField(meminfo, QStringLiteral("MemTotal"));
    s.physicalAvailable = KilobyteField(meminfo, QStringLiteral("MemAvailable"));

    rlimit limit{};
    std::uint64_t space = userAddressSpace();
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        space = std::min<std::uint64_t>(space, limit.rlim_cur);
    s.addressSpaceTotal = space;
    if (const auto used = KilobyteField(readText("/proc/self/status"), QStringLiteral("VmSize")))
        s.addressSpaceAvailable = *used < space ? space - *used : 0;

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        // Qt measures a scaled screen in its own units: the screen's pixels are that many more.
        const qreal ratio = screen->devicePixelRatio();
        s.screenWidth = qRound(screen->size().width() * ratio);
        s.screenHeight = qRound(screen->size().height() * ratio);
    }
    s.hostName = QHostInfo::localHostName();
    return s;
}

QStringList DesktopSystemInfoTool::defaultCandidates() {
    return {QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"), QStringLiteral("xfce4-taskmanager")};
}

bool DesktopSystemInfoTool::start() {
    for (const QString &name : candidates_) {
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty()) continue;
        return QProcess::startDetached(path, {});
    }
    return false;
}

} // namespace tarvo
