#include "core_fakes.h"
#include "registered_programs.h"

#include <gtest/gtest.h>
#include <set>

namespace tarvo::testing {
namespace {

struct Launch {
    std::int64_t atMs;
    QString path;
    QString options;
};

class FakeLauncher : public ProgramLauncher {
  public:
    explicit FakeLauncher(const FakeClock &clock) : clock_(clock) {}
    std::int32_t launch(const QString &path, const QString &options) override {
        launches.push_back({clock_.now, path, options});
        return failing.count(path) ? 0 : nextPid++;
    }
    bool isPlainFile(const QString &path) const override { return files.count(path) > 0; }
    void askToClose(const std::vector<std::int32_t> &pids) override {
        closeRequests.push_back(pids);
    }

    std::set<QString> files;
    std::set<QString> failing;
    std::int32_t nextPid = 101;
    std::vector<Launch> launches;
    std::vector<std::vector<std::int32_t>> closeRequests;

  private:
    const FakeClock &clock_;
};

// TimerStart on the fake clock: ticks every period until the period changes.
class FakeLaunchTimer : public LaunchTimer {
  public:
    FakeLaunchTimer(FakeEvents &events) : events_(events) {}
    void setPeriod(int periodMs) override {
        period = periodMs;
        ++generation_;
        if (periodMs > 0) arm(generation_);
    }
    std::function<void()> tick;
    int period = 0;

  private:
    void arm(int generation) {
        events_.after(period, [this, generation] {
            if (generation != generation_) return;
            tick();
            if (generation == generation_) arm(generation);
        });
    }
    FakeEvents &events_;
    int generation_ = 0;
};

class FakeProgramSettings : public ProgramSettings {
  public:
    int End() const override { return end; }
    int Time() const override { return time; }
    int CStartDirData(int slot) const override {
        return enabled.at(static_cast<std::size_t>(slot));
    }
    QString StartDirData(int slot) const override { return path(slot); }
    QString StartOptData(int slot) const override {
        return options.at(static_cast<std::size_t>(slot));
    }
    static QString path(int slot) { return QStringLiteral("/opt/p%1").arg(slot + 1); }

    int end = 0;
    int time = 0;
    std::array<int, 5> enabled{};
    std::array<QString, 5> options;
};

struct ProgramsFixture {
    FakeClock clock;
    FakeEvents events{clock};
    FakeLauncher launcher{clock};
    FakeLaunchTimer timer{events};
    FakeProgramSettings settings;
    RegisteredPrograms programs{RegisteredPrograms::Ports{launcher, timer, settings}};

    ProgramsFixture() {
        timer.tick = [this] { programs.LaunchTick(); };
        for (int slot = 0; slot < 5; ++slot)
            launcher.files.insert(FakeProgramSettings::path(slot));
    }
    void runUntil(std::int64_t ms) {
        while (clock.now < ms)
            events.waitForEvents(ms);
        events.pump();
    }
    std::vector<std::pair<std::int64_t, int>> launchedSlots() const {
        std::vector<std::pair<std::int64_t, int>> out;
        for (const Launch &l : launcher.launches)
            out.emplace_back(l.atMs, l.path.mid(6).toInt() - 1);
        return out;
    }
};

TEST(RegisteredProgramsTest, SequenceStartsEnabledExistingProgramsTimeApart) {
    using Starts = std::vector<std::pair<std::int64_t, int>>; // (ms, slot 0..4)
    const struct Case {
        const char *name;
        std::set<int> enabled;
        std::set<int> missing;
        int time;
        int firstPeriodMs; // 1 after a connection, 1000 from "連動起動"
        Starts expected;
    } cases[] = {
        {"slots 1 and 3, Time 5", {0, 2}, {}, 5, 1, {{1, 0}, {5001, 2}}},
        {"only slot 5", {4}, {}, 5, 1, {{1, 4}}},
        {"Time 0 starts the first only", {0, 1, 2}, {}, 0, 1, {{1, 0}}},
        {"a negative Time is no interval", {0, 1}, {}, -3, 1, {{1, 0}}},
        {"a missing path costs no turn", {0, 1, 3}, {0}, 5, 1, {{1, 1}, {5001, 3}}},
        {"a missing last slot ends at its turn", {0, 4}, {4}, 5, 1, {{1, 0}}},
        {"from the menu, after one second", {1, 2}, {}, 2, 1000, {{1000, 1}, {3000, 2}}},
        {"Time beyond 32 seconds", {0, 1}, {}, 40, 1, {{1, 0}, {40001, 1}}},
        {"nothing enabled", {}, {}, 5, 1, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProgramsFixture f;
        f.settings.time = c.time;
        for (int slot : c.enabled)
            f.settings.enabled[static_cast<std::size_t>(slot)] = 1;
        for (int slot : c.missing)
            f.launcher.files.erase(FakeProgramSettings::path(slot));
        f.programs.StartLaunchSequence(c.firstPeriodMs);
        f.runUntil(200000);
        EXPECT_EQ(f.launchedSlots(), c.expected);
        EXPECT_EQ(f.timer.period, 0) << "the sequence must stop its timer";
    }
}

TEST(RegisteredProgramsTest, OnlyAnEnabledSlotWithAPlainFileTakesPart) {
    ProgramsFixture f;
    f.settings.enabled = {2, 0, -1, 1, 0}; // only exactly 1 counts
    f.settings.time = 1;
    f.programs.StartLaunchSequence(1);
    f.runUntil(60000);
    EXPECT_EQ(f.launchedSlots(), (std::vector<std::pair<std::int64_t, int>>{{1, 3}}));
}

TEST(RegisteredProgramsTest, ARestartedSequenceBeginsAgainAtTheFirstSlot) {
    ProgramsFixture f;
    f.settings.enabled = {1, 1, 1, 0, 0};
    f.settings.time = 10;
    f.programs.StartLaunchSequence(1);
    f.runUntil(5000); // slot 1 started, slot 2 due at 10001
    f.programs.StartLaunchSequence(1000);
    f.runUntil(60000);
    EXPECT_EQ(f.launchedSlots(), (std::vector<std::pair<std::int64_t, int>>{
                                     {1, 0}, {6000, 0}, {16000, 1}, {26000, 2}}));
}

TEST(RegisteredProgramsTest, LaunchPassesPathAndOptionsAndKeepsTheLastPid) {
    ProgramsFixture f;
    f.settings.options[2] = QStringLiteral("-a \"b c\"");
    f.programs.LaunchProgram(2);
    f.programs.LaunchProgram(2);
    ASSERT_EQ(f.launcher.launches.size(), 2u);
    EXPECT_EQ(f.launcher.launches[0].path, QStringLiteral("/opt/p3"));
    EXPECT_EQ(f.launcher.launches[0].options, QStringLiteral("-a \"b c\""));
    // Started twice from the menu: only the second process is remembered.
    EXPECT_EQ(f.programs.LaunchedPid, (std::array<std::int32_t, 5>{0, 0, 102, 0, 0}));

    // The menu tries a slot even when its file is gone; the failure is silent.
    f.launcher.failing.insert(QStringLiteral("/opt/p1"));
    f.programs.LaunchProgram(0);
    EXPECT_EQ(f.launcher.launches.size(), 3u);
    EXPECT_EQ(f.programs.LaunchedPid[0], 0);
    // A failed start does not forget the slot's running program.
    f.launcher.failing.insert(QStringLiteral("/opt/p3"));
    f.programs.LaunchProgram(2);
    EXPECT_EQ(f.programs.LaunchedPid[2], 102);
}

TEST(RegisteredProgramsTest, EndProgramsAsksOnlyWhenEndIsOneAndOnlyForRememberedPids) {
    const struct Case {
        int end;
        bool launched;
        std::vector<std::vector<std::int32_t>> expected;
    } cases[] = {
        {0, true, {}}, {2, true, {}}, {-1, true, {}}, {1, false, {}}, {1, true, {{102, 103}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.end);
        ProgramsFixture f;
        f.settings.end = c.end;
        if (c.launched) {
            f.programs.LaunchProgram(1); // 101, then replaced
            f.programs.LaunchProgram(1); // 102
            f.programs.LaunchProgram(4); // 103
        }
        f.programs.EndPrograms();
        EXPECT_EQ(f.launcher.closeRequests, c.expected);
    }
}

TEST(RegisteredProgramsTest, SequenceLaunchesAreRememberedForEndPrograms) {
    ProgramsFixture f;
    f.settings.enabled = {1, 0, 1, 0, 0};
    f.settings.time = 1;
    f.settings.end = 1;
    f.programs.StartLaunchSequence(1);
    f.runUntil(10000);
    f.programs.EndPrograms();
    EXPECT_EQ(f.launcher.closeRequests, (std::vector<std::vector<std::int32_t>>{{101, 102}}));
}

} // namespace
} // namespace tarvo::testing
