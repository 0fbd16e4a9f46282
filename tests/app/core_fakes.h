#pragma once

#include "bas_main.h"
#include "qstring_printer.h"

#include <array>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::testing {

class FakeClock : public Clock {
  public:
    std::int64_t now = 0;
    std::int64_t nowMs() const override { return now; }
};

// The PC's calendar clock, moving with the fake clock: `start` is the local time at 0 ms.
class FakeWallClock : public WallClock {
  public:
    explicit FakeWallClock(const FakeClock &clock) : clock_(clock) {}
    QDateTime start{QDate(2004, 1, 2), QTime(12, 0), Qt::UTC};
    // Puts the PC at `local` now.
    void set(const QDateTime &local) { start = local.addMSecs(-clock_.now); }
    void set(int h, int m, int s = 0) { set(QDateTime(start.date(), QTime(h, m, s), Qt::UTC)); }
    QDateTime localNow() const override { return start.addMSecs(clock_.now); }

  private:
    const FakeClock &clock_;
};

// Runs scripted events at their clock times; a wait moves the clock on to the next one.
class FakeEvents : public EventPump {
  public:
    explicit FakeEvents(FakeClock &clock) : clock_(clock) {}

    void at(std::int64_t timeMs, std::function<void()> action) {
        queue_.emplace(timeMs, std::move(action));
    }
    void after(std::int64_t delayMs, std::function<void()> action) {
        at(clock_.now + delayMs, std::move(action));
    }

    void pump() override {
        while (!queue_.empty() && queue_.begin()->first <= clock_.now)
            runFirst();
    }

    // The main event loop: handles everything due up to `timeMs`, in time order, and leaves the
    // clock there.
    void runUntil(std::int64_t timeMs) {
        while (!queue_.empty() && queue_.begin()->first <= timeMs) {
            clock_.now = std::max(clock_.now, queue_.begin()->first);
            runFirst();
        }
        clock_.now = std::max(clock_.now, timeMs);
    }
    bool pending() const { return !queue_.empty(); }
    std::int64_t now() const { return clock_.now; }

    void waitForEvents(std::optional<std::int64_t> deadlineMs) override {
        ++waits;
        if (!queue_.empty() && (!deadlineMs || queue_.begin()->first <= *deadlineMs)) {
            clock_.now = std::max(clock_.now, queue_.begin()->first);
            runFirst();
            return;
        }
        if (!deadlineMs) throw std::runtime_error("a wait without deadline would never end");
        clock_.now = std::max(clock_.now, *deadlineMs);
    }

    int waits = 0;

  private:
    void runFirst() {
        auto node = queue_.extract(queue_.begin());
        node.mapped()();
    }

    FakeClock &clock_;
    std::multimap<std::int64_t, std::function<void()>> queue_;
};

// A periodic timer as Qt runs them: a tick that falls due while the timer's own handler is still
// running (inside one of its waits) is dropped rather than nested, and a late timer does not
// catch up on the ticks it missed.
class FakePeriodicTimer {
  public:
    FakePeriodicTimer(FakeEvents &events, FakeClock &clock, std::int64_t periodMs,
                      std::function<void()> handler)
        : events_(events), clock_(clock), periodMs_(periodMs), handler_(std::move(handler)) {}

    void start() {
        ++generation_;
        next_ = clock_.now + periodMs_;
        schedule();
    }
    void stop() { ++generation_; }
    int dropped = 0;

  private:
    void schedule() {
        events_.at(next_, [this, g = generation_] {
            if (g == generation_) fire();
        });
    }
    void fire() {
        next_ += periodMs_;
        if (next_ <= clock_.now) next_ = clock_.now + periodMs_;
        schedule();
        if (active_) {
            ++dropped;
            return;
        }
        active_ = true;
        handler_();
        active_ = false;
    }

    FakeEvents &events_;
    FakeClock &clock_;
    std::int64_t periodMs_;
    std::function<void()> handler_;
    std::int64_t next_ = 0;
    int generation_ = 0;
    bool active_ = false;
};

class FakeWindowMessages : public WindowMessagesPort {
  public:
    std::uint32_t handle() const override { return 77; }
    void hook(HookProc proc) override { proc_ = std::move(proc); }
    void unhook() override { proc_ = nullptr; }
    bool hooked() const { return static_cast<bool>(proc_); }
    void post(std::uint32_t message, std::int32_t wParam = 0, std::int32_t lParam = 0) {
        if (proc_) proc_(77, message, wParam, lParam);
    }

  private:
    HookProc proc_;
};

// A router behind the library: a line that comes up when dialled, or never does.
class FakeLibrary : public RouterLibrary {
  public:
    FakeLibrary(FakeEvents &events, FakeClock &clock, FakeWindowMessages &messages)
        : events_(events), clock_(clock), messages_(messages) {}

    bool missing = false;
    bool connects = true;
    std::int64_t dialMs = 3000;
    std::int64_t hangUpMs = 500;
    std::int64_t findMs = 200;
    bool findAnswers = true;
    std::int32_t connectStart = KZV_OK;
    std::int32_t disconnectStart = KZV_OK;
    int line = LINE_IDLE;
    std::vector<std::uint32_t> routers{0xC0A80001};
    ConditionExRecord ex{};

    std::vector<std::int64_t> connectTimes;
    int conditionCalls = 0;
    int cleanupCalls = 0;
    int clearCalls = 0;
    int findCalls = 0;
    std::vector<std::uint32_t> connectedAddresses;
    // The routers each request went to: every call that names one, in order ("poll", "ex",
    // "site", "dial", "hangup", "clear").
    std::vector<std::pair<std::string, std::uint32_t>> requests;
    // Calls of any export after KZV_Cleanup.
    int callsAfterCleanup = 0;
    // Runs inside the next GetCondition, as a completion or a timer handled there would.
    std::function<void()> duringNextCondition;

    std::vector<std::uint32_t> addressesOf(const std::string &kind) const {
        std::vector<std::uint32_t> out;
        for (const auto &[k, a] : requests)
            if (k == kind) out.push_back(a);
        return out;
    }

    std::string fileName() const override { return "libQuaystone.so"; }
    std::int32_t GetDllVersion() override {
        use();
        return KZV_INTERFACE_VERSION;
    }
    std::int32_t Find(const NotifyTarget &, std::int32_t) override {
        use();
        ++findCalls;
        if (findAnswers) events_.after(findMs, [this] { messages_.post(MSG_FIND_DONE); });
        return KZV_OK;
    }
    std::int32_t GetInformation(RouterRecord *records, std::int32_t *count) override {
        use();
        const auto n = std::min<std::size_t>(routers.size(), static_cast<std::size_t>(*count));
        for (std::size_t i = 0; i < n; ++i) {
            records[i] = RouterRecord{};
            records[i].address = routers[i];
            records[i].model_code = 0x21000;
        }
        *count = static_cast<std::int32_t>(n);
        return KZV_OK;
    }
    std::int32_t Connect(const NotifyTarget &target, const RouterRecord &record,
                         std::int32_t) override {
        use();
        connectTimes.push_back(clock_.now);
        connectedAddresses.push_back(record.address);
        requests.emplace_back("dial", record.address);
        if (connectStart < 0) return connectStart;
        const std::uint32_t message = target.message;
        events_.after(dialMs, [this, message] {
            if (connects) line = LINE_CONNECTED;
            messages_.post(message, connects ? KZV_OK : KZV_E_CONNECT_STATE);
        });
        return KZV_OK;
    }
    std::int32_t Disconnect(const NotifyTarget &target, const RouterRecord &record,
                            std::int32_t) override {
        use();
        requests.emplace_back("hangup", record.address);
        if (disconnectStart < 0) return disconnectStart;
        const std::uint32_t message = target.message;
        events_.after(hangUpMs, [this, message] {
            line = LINE_IDLE;
            messages_.post(message);
        });
        return KZV_OK;
    }
    std::int32_t GetCondition(RouterRecord &record, std::int32_t) override {
        use();
        ++conditionCalls;
        requests.emplace_back("poll", record.address);
        if (auto during = std::exchange(duringNextCondition, nullptr)) during();
        return line;
    }
    std::int32_t ChangeSite(const RouterRecord &record, std::int32_t, std::int32_t) override {
        use();
        requests.emplace_back("site", record.address);
        return 0;
    }
    std::int32_t GetConditionEx(const RouterRecord &record, ConditionExRecord &out,
                                std::int32_t) override {
        use();
        requests.emplace_back("ex", record.address);
        out = ex;
        out.line_state = static_cast<std::uint16_t>(line);
        return line;
    }
    std::int32_t ClearCounter(const RouterRecord &record, std::int32_t) override {
        use();
        ++clearCalls;
        requests.emplace_back("clear", record.address);
        return 0;
    }
    std::int32_t Cleanup() override {
        use();
        ++cleanupCalls;
        return 0;
    }

  private:
    void use() {
        if (missing) throw LibraryUnavailable("libQuaystone.so");
        if (cleanupCalls > 0) ++callsAfterCleanup;
    }
    FakeEvents &events_;
    FakeClock &clock_;
    FakeWindowMessages &messages_;
};

class FakeWindow : public MainWindowPort {
  public:
    QRect geometry{100, 60, 320, 128};
    bool topmost = false;
    int placed = 0;
    QString captionText;
    std::map<Command, bool> enabled;
    QString status;
    std::vector<QString> countTexts;
    QString ipText;
    WindowState state = WindowState::Normal;
    bool visible = false;
    int shows = 0;
    bool active = true;
    int trayMenus = 0;
    int iconTimer = 0;
    bool unloaded = false;

    QRect geometryPixels() const override { return geometry; }
    void setWindowPos(bool top, const QRect &pixels) override {
        topmost = top;
        geometry = pixels;
        visible = true;
        ++placed;
    }
    void setCaption(const QString &text) override { captionText = text; }
    QString caption() const override { return captionText; }
    void setEnabled(Command c, bool on) override { enabled[c] = on; }
    void setStatusText(const QString &text) override { status = text; }
    void setCountText(const QString &text) override { countTexts.push_back(text); }
    void setIpText(const QString &text) override { ipText = text; }
    WindowState windowState() const override { return state; }
    void setWindowState(WindowState s) override { state = s; }
    void setVisible(bool v) override { visible = v; }
    void showForm() override {
        visible = true;
        ++shows;
    }
    bool isActiveForm() const override { return active; }
    void popupTrayMenu() override { ++trayMenus; }
    void setIconTimer(int periodMs) override { iconTimer = periodMs; }
    void unload() override {
        unloaded = true;
        visible = false;
    }
};

class FakeCancelWindow : public CancelWindowPort {
  public:
    bool loaded = false;
    bool topmost = false;
    QRect geometry{0, 0, 200, 80};
    int unloads = 0;
    QRect geometryPixels() const override { return geometry; }
    void setWindowPos(bool top, const QRect &pixels) override {
        loaded = true;
        topmost = top;
        geometry = pixels;
    }
    bool isLoaded() const override { return loaded; }
    void unload() override {
        if (loaded) ++unloads;
        loaded = false;
    }
};

struct ShownMessage {
    QString text;
    QString title;
    MessageIcon icon;
};

// Boxes that nobody clicks until the test says so. A box that waits for its OK lets the events
// run meanwhile (when given them), as a modal box's own event loop does.
class FakeMessages : public MessageBoxPort {
  public:
    std::vector<ShownMessage> shown;
    int open = 0;
    FakeEvents *events = nullptr;
    // How long a waiting box stays open before somebody comes by and clicks OK.
    std::int64_t userComesAfterMs = 12 * 3600 * 1000;

    void show(const QString &text, const QString &title, MessageIcon icon) override {
        shown.push_back({text, title, icon});
        ++open;
    }
    void showAndWait(const QString &text, const QString &title, MessageIcon icon) override {
        shown.push_back({text, title, icon});
        const int mine = ++open;
        const std::int64_t userComes = events ? events->now() + userComesAfterMs : 0;
        while (events && open >= mine && events->pending() && events->now() < userComes)
            events->waitForEvents(userComes);
        if (open >= mine) open = mine - 1;
    }
    // The user clicks OK on the newest box.
    void ok() {
        if (open > 0) --open;
    }
    bool contains(const QString &text) const {
        for (const auto &m : shown)
            if (m.text == text) return true;
        return false;
    }
};

class FakeTray : public TrayPort {
  public:
    bool available = true;
    int addCalls = 0;
    bool present = false;
    std::vector<int> pictures;
    bool add(int picture, const QString &) override {
        ++addCalls;
        if (!available) return false;
        present = true;
        pictures.push_back(picture);
        return true;
    }
    bool setPicture(int picture) override {
        pictures.push_back(picture);
        return present;
    }
    bool remove() override {
        const bool was = present;
        present = false;
        return was;
    }
};

class FakeHelp : public HelpViewer {
  public:
    std::optional<QString> failure;
    QString opened;
    std::optional<QString> open(const QString &path) override {
        opened = path;
        return failure;
    }
};

class FakeSettings : public CoreSettings {
  public:
    int loads = 0;
    QString ip = QStringLiteral("192.168.0.1");
    QString portText = QStringLiteral("0");
    QString count = QStringLiteral("1");
    int sTime = 3;
    int useNumber = 0;
    int log = 0;
    int start = 0;
    int terehoStart = 0;
    int ftp = 0;
    int terehoStartFtp = 1;
    int standardEnd = 0;
    int hyouzi = 0;
    int topDisp1 = 0;
    int autoStart = 1;
    QString startTime = QStringLiteral("2300");
    QString endTime = QStringLiteral("0755");
    int sEnd = 0;
    std::array<int, 5> endType{-1, 0, 0, 0, 0};
    int watch = 0;
    int terehoSts = 0;
    int watchTime = 600;
    int watchAutoStart = 0;
    int watch2 = 0;
    int terehoSts2 = 0;
    int watchTime2 = 600;
    int ntpIndex = 0;
    int corvastineWatchTime = 30;
    int watchTime3 = 10;
    int zisa = 9;

    void loadAll() override { ++loads; }
    QString IP() const override { return ip; }
    QString Port() const override { return portText; }
    QString Count() const override { return count; }
    int STime() const override { return sTime; }
    int UseNumber() const override { return useNumber; }
    int LOG() const override { return log; }
    int Start() const override { return start; }
    int TerehoStart() const override { return terehoStart; }
    int FTP() const override { return ftp; }
    int TerehoStartFTP() const override { return terehoStartFtp; }
    int StandardEnd() const override { return standardEnd; }
    int Hyouzi() const override { return hyouzi; }
    int TopDisp1() const override { return topDisp1; }
    int AutoStart() const override { return autoStart; }
    QString StartTime() const override { return startTime; }
    QString EndTime() const override { return endTime; }
    int SEnd() const override { return sEnd; }
    int EndType(int n) const override {
        return n >= 1 && n <= 5 ? endType[static_cast<std::size_t>(n - 1)] : 0;
    }
    int Watch() const override { return watch; }
    int TerehoSts() const override { return terehoSts; }
    int WatchTime() const override { return watchTime; }
    int WatchAutoStart() const override { return watchAutoStart; }
    int Watch2() const override { return watch2; }
    int TerehoSts2() const override { return terehoSts2; }
    int WatchTime2() const override { return watchTime2; }
    int NTPIndex() const override { return ntpIndex; }
    int CorvastineWatchTime() const override { return corvastineWatchTime; }
    int WatchTime3() const override { return watchTime3; }
    int Zisa() const override { return zisa; }
};

class FakeServices : public CoreServices {
  public:
    std::vector<LogKind> logs;
    std::vector<int> launches;
    std::vector<int> uploads;
    std::vector<int> clockCorrections;
    QString folder = QStringLiteral("/opt/tarvo");
    QString hostName = QStringLiteral("PC01");
    bool flatRate = false;
    bool upload = false;
    int endProgramsCalls = 0;
    int quits = 0;
    int terminations = 0;
    bool failOnStopMonitor = false;

    QString programFolder() const override { return folder; }
    QString localHostName() const override { return hostName; }
    void correctClock(int index) override { clockCorrections.push_back(index); }
    void stopTrafficMonitor() override {
        if (failOnStopMonitor) throw std::runtime_error("monitor");
    }
    void endPrograms() override { ++endProgramsCalls; }
    void writeLog(LogKind kind) override { logs.push_back(kind); }
    bool inFlatRateHours() override { return flatRate; }
    void startLaunchSequence(int index, int) override { launches.push_back(index); }
    void uploadIpPage(int which) override { uploads.push_back(which); }
    bool uploadBusy() const override { return upload; }
    void terminateNow() override { ++terminations; }
    void quit() override { ++quits; }
};

// Everything the core talks to, faked, with a core built on them.
struct CoreFixture {
    FakeClock clock;
    FakeEvents events{clock};
    FakeWindowMessages windowMessages;
    FakeLibrary library{events, clock, windowMessages};
    FakeWindow window;
    FakeCancelWindow cancelWindow;
    FakeMessages messages;
    FakeTray tray;
    FakeHelp help;
    FakeSettings settings;
    FakeServices services;
    BasMain core{CorePorts{library, window, cancelWindow, messages, clock, events, tray,
                           windowMessages, help, settings, services}};
};

} // namespace tarvo::testing
