#pragma once

#include "about_text.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace tarvo {

// The PC as the About dialog describes it.
class SystemFactsPort {
  public:
    virtual ~SystemFactsPort() = default;
    // Everything but the LAN address, which the program's own address port gives.
    virtual SystemFacts read() const = 0;
};

class LinuxSystemFacts : public SystemFactsPort {
  public:
    SystemFacts read() const override;
};

// "model name" of the first processor in /proc/cpuinfo's text; empty without one.
QString CpuModelFromCpuinfo(const QString &cpuinfo);
// A "Key:   123 kB" value of /proc/meminfo or /proc/self/status, in bytes.
std::optional<std::uint64_t> KilobyteField(const QString &text, const QString &key);

// Starts the first desktop system-information tool found on PATH, detached from the program.
class SystemInfoTool {
  public:
    virtual ~SystemInfoTool() = default;
    // False when none could be started.
    virtual bool start() = 0;
};

class DesktopSystemInfoTool : public SystemInfoTool {
  public:
    explicit DesktopSystemInfoTool(QStringList candidates = defaultCandidates())
        : candidates_(std::move(candidates)) {}
    bool start() override;
    static QStringList defaultCandidates();

  private:
    QStringList candidates_;
};

} // namespace tarvo
