// The texts the traffic monitor and the About dialog read: the router's counter texts, its
// connection time, the kernel release and the /proc files. On any bytes: no fault, rings that
// keep their size, a highest value that is never negative, and the fixed shapes of the outputs.
#include "about_text.h"
#include "system_facts.h"
#include "traffic_history.h"

#include <QRegularExpression>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

// Input: texts separated by NUL bytes; pairs of them are fed to the history as counters.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char *>(data), size);
    QStringList texts;
    while (!in.empty() && texts.size() < 64) {
        const std::size_t end = std::min(in.find('\0'), in.size());
        texts << QString::fromUtf8(in.data(), static_cast<qsizetype>(end));
        in.remove_prefix(std::min(end + 1, in.size()));
    }
    tarvo::TrafficHistory history(5);
    for (qsizetype i = 0; i + 1 < texts.size(); i += 2) {
        history.sample(texts[i], texts[i + 1]);
        check(history.received().size() == 6 && history.sent().size() == 6);
        check(history.highest() >= 0);
        const std::int64_t c = tarvo::CounterValue(texts[i]);
        check(c >= 0 && c <= 4294967295LL);
    }
    history.recomputeHighest();
    check(history.highest() >= 0);

    static const QRegularExpression time(QStringLiteral("^\\d+時間\\d\\d分\\d\\d秒$"));
    static const QRegularExpression version(QStringLiteral("^\\d+\\.\\d+\\(Build:\\d+\\)$"));
    for (const QString &t : texts) {
        const QString shown = tarvo::ConnectTimeDisplay(t);
        check(t.isEmpty() ? shown.isEmpty() : time.match(shown).hasMatch());
        check(version.match(tarvo::KernelVersionText(t)).hasMatch());
        const QString model = tarvo::CpuModelFromCpuinfo(t);
        check(!model.contains(QLatin1Char('\n')));
        if (const auto bytes = tarvo::KilobyteField(t, QStringLiteral("MemTotal")))
            check(*bytes % 1024 == 0);
    }
    return 0;
}
