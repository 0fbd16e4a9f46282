// One tick of the traffic monitor (sample, draw off-screen, show) on the default 400 x 100 pixel
// window, with the history at 80 and at 9999 points. Prints the median and the 95th percentile;
// nothing is asserted.
#include "frm_monitor.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

class SteadyTraffic : public tarvo::MonitorEnvironment {
  public:
    long long received = 0, sent = 0;
    tarvo::MonitorOptions opts;
    tarvo::MonitorOptions options() const override { return opts; }
    void poll() override {
        received += 5400 + (received % 7) * 300;
        sent += 1200 + (sent % 5) * 100;
    }
    QString receivedBytesText() const override { return QString::number(received); }
    QString sentBytesText() const override { return QString::number(sent); }
    QPoint pointerPixels() const override { return {2000, 2000}; }
    void saveGeometry(const tarvo::TwipRect &) override {}
};

void measure(int points, bool lines, bool circles, int ticks) {
    tarvo::TrafficHistory history(points);
    SteadyTraffic env;
    env.opts.style = {lines, circles};
    tarvo::FrmMonitor window(history, env);
    window.load({1500, 1500, 6000, 1500});
    QApplication::processEvents();
    // Fill the history first: the graph costs most when every point has a value.
    for (int i = 0; i < std::min(points + 2, 20000); ++i)
        history.sample(env.receivedBytesText(), env.sentBytesText()), env.poll();
    std::vector<double> ms;
    for (int i = 0; i < ticks; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        window.tick();
        window.repaint(); // the visible window takes the new picture
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    const char *style = lines && circles ? "lines+circles" : circles ? "circles" : "lines";
    std::printf("monitor tick, 400x100 px, N = %d, %s: median %.3f ms, p95 %.3f ms (goal <= %s)\n",
                points, style, ms[ms.size() / 2], ms[ms.size() * 95 / 100],
                points <= 80 ? "1 ms" : "5 ms");
    window.unload();
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int points : {80, 9999})
        for (auto [lines, circles] : {std::pair{true, false}, {false, true}, {true, true}})
            measure(points, lines, circles, 300);
    return 0;
}
