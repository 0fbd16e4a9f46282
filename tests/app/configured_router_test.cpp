// Only the router the settings name is ever asked anything: with it absent, nobody is.
#include "configured_router.h"
#include "core_fakes.h"
#include "schedule.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

using WatchTimer = settings::WatchTimer;

constexpr std::uint32_t kA = 0xC0A80001; // 192.168.0.1
constexpr std::uint32_t kB = 0xC0A80002;
constexpr std::uint32_t kC = 0xC0A80003;

class NoSessionEnd : public SessionEndPort {
  public:
    void request(EndRequest) override {}
};

class AbsentRouterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        f.settings.ip = QStringLiteral("192.168.0.3");
        f.settings.count = QStringLiteral("0");
        f.settings.corvastineWatchTime = 2;
        f.settings.watchAutoStart = 1;
        f.settings.watchTime = 1;
        f.library.routers = {kA, kB};
        ASSERT_EQ(f.core.StartUp(), 0);
    }
    void minuteTicks(WatchTimer timer, int minutes) {
        for (int i = 0; i < minutes; ++i) {
            f.clock.now += 60000;
            schedule.WatchTick(timer);
        }
    }
    bool dialCommandsEnabled() {
        for (Command c : {Command::CmdIN, Command::CmdStart, Command::TrayConnect,
                          Command::TrayRenzoku, Command::CmdOut, Command::TrayDisconnect})
            if (f.window.enabled[c]) return true;
        return false;
    }

    CoreFixture f;
    FakeWallClock wall{f.clock};
    NoSessionEnd sessionEnd;
    Schedule schedule{Schedule::Ports{f.core, f.window, f.cancelWindow, f.settings, wall,
                                      f.services, sessionEnd}};
};

TEST_F(AbsentRouterTest, NothingButDiscoveryReachesTheOtherRouters) {
    EXPECT_EQ(f.core.state.SelectedRouter, -1);
    EXPECT_EQ(f.core.state.LinkState, LINK_UNKNOWN);
    EXPECT_EQ(f.tray.pictures.back(), TRAY_UNKNOWN);
    EXPECT_FALSE(dialCommandsEnabled());

    // Everything that could act on a router, by hand and on its own.
    f.core.CommandConnect(true, false);
    f.core.CommandConnect(false, true);
    f.core.CommandDisconnect();
    f.core.CommandPollStatus();
    f.core.RefreshMainWindow();
    f.core.state.LinkState = LINK_CONNECTED; // as a stale view of the line could say
    wall.set(7, 55);
    schedule.ScheduleTick();
    f.core.state.LinkState = LINK_IDLE;
    wall.set(23, 0);
    schedule.ScheduleTick();
    minuteTicks(WatchTimer::Connection, 2);
    minuteTicks(WatchTimer::Clock, 2);

    EXPECT_TRUE(f.library.requests.empty());
    EXPECT_EQ(f.window.caption(), QString());
    EXPECT_FALSE(dialCommandsEnabled());
}

// A hang-up with the router gone asks nobody, but the programs started with the line are still
// closed, as after any hang-up.
TEST_F(AbsentRouterTest, AHangUpWithTheRouterGoneStillEndsThePrograms) {
    const int before = f.services.endProgramsCalls;
    f.core.Disconnect();
    EXPECT_EQ(f.services.endProgramsCalls, before + 1);
    EXPECT_TRUE(f.library.requests.empty());
}

TEST_F(AbsentRouterTest, TheRouterWatchSearchesUntilTheRouterAnswersThenUsesIt) {
    schedule.ArmCounter(WatchTimer::RouterSearch);
    const int finds = f.library.findCalls;
    minuteTicks(WatchTimer::RouterSearch, 2);
    EXPECT_EQ(f.library.findCalls, finds + 1);
    EXPECT_EQ(f.core.state.SelectedRouter, -1);
    minuteTicks(WatchTimer::RouterSearch, 2);
    EXPECT_EQ(f.library.findCalls, finds + 2);

    // C comes up, answering after the others.
    f.library.routers = {kA, kB, kC};
    minuteTicks(WatchTimer::RouterSearch, 2);
    EXPECT_EQ(f.library.findCalls, finds + 3);
    EXPECT_EQ(f.core.state.SelectedRouter, 2);
    EXPECT_EQ(f.core.state.LinkState, LINK_IDLE);
    EXPECT_TRUE(f.window.enabled[Command::CmdIN]);

    f.core.CommandConnect(true, false);
    f.core.CommandDisconnect();
    ASSERT_FALSE(f.library.requests.empty());
    for (const auto &[kind, address] : f.library.requests)
        EXPECT_EQ(address, kC) << kind;
    EXPECT_EQ(f.library.addressesOf("dial"), std::vector<std::uint32_t>{kC});
    EXPECT_EQ(f.library.addressesOf("clear"), std::vector<std::uint32_t>{kC});

    // Found and idle: the watch rests again.
    minuteTicks(WatchTimer::RouterSearch, 2);
    EXPECT_EQ(f.library.findCalls, finds + 3);
}

TEST_F(AbsentRouterTest, ARouterThatLeavesWithTheNextSearchIsDroppedNotReplaced) {
    f.library.routers = {kC, kA};
    ASSERT_TRUE(f.core.CommandRediscover());
    EXPECT_EQ(f.core.state.SelectedRouter, 0);
    f.library.requests.clear();

    f.library.routers = {kA, kB};
    ASSERT_TRUE(f.core.CommandSearch());
    EXPECT_EQ(f.core.state.SelectedRouter, -1);
    EXPECT_EQ(f.core.state.LinkState, LINK_UNKNOWN);
    f.core.CommandConnect(true, false);
    EXPECT_TRUE(f.library.requests.empty());
}

TEST(ConfiguredRouterTest, AnEntryCountsOnlyWhenItIsTheOneTheSettingNames) {
    std::array<RouterRecord, ROUTER_TABLE_SIZE> table{};
    table[0].address = kA;
    table[1].address = kC;
    const struct {
        int index;
        const char *ip;
        bool found;
    } cases[] = {
        {1, "192.168.0.3", true},   {0, "192.168.0.3", false},  {0, "192.168.0.1", true},
        {-1, "192.168.0.3", false}, {32, "192.168.0.3", false}, {2, "0.0.0.0", false},
        {0, "0.0.0.0", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ConfiguredRouter(table, c.index, QString::fromLatin1(c.ip)) != nullptr, c.found)
            << c.index << " " << c.ip;

    CoreState state;
    state.RouterTable = table;
    state.SelectedRouter = -1;
    EXPECT_TRUE(ConfiguredRouterMissing(state, QStringLiteral("192.168.0.3")));
    EXPECT_FALSE(ConfiguredRouterMissing(state, QStringLiteral("0.0.0.0")));
    state.SelectedRouter = 1;
    EXPECT_FALSE(ConfiguredRouterMissing(state, QStringLiteral("192.168.0.3")));
    // The options named another router since the last search.
    EXPECT_TRUE(ConfiguredRouterMissing(state, QStringLiteral("192.168.0.9")));
}

TEST(ConfiguredRouterTest, NoRouterAddressNeitherSearchesNorAsksAnyone) {
    CoreFixture f;
    f.settings.ip = QStringLiteral("0.0.0.0");
    f.library.routers = {kA};
    ASSERT_EQ(f.core.StartUp(), 0);
    FakeWallClock wall{f.clock};
    NoSessionEnd end;
    Schedule schedule{
        Schedule::Ports{f.core, f.window, f.cancelWindow, f.settings, wall, f.services, end}};
    f.settings.corvastineWatchTime = 1;
    schedule.ArmCounter(WatchTimer::RouterSearch);
    const int finds = f.library.findCalls;
    f.clock.now += 60000;
    schedule.WatchTick(WatchTimer::RouterSearch);
    EXPECT_EQ(f.library.findCalls, finds);
    f.core.CommandConnect(true, false);
    EXPECT_TRUE(f.library.requests.empty());
    EXPECT_EQ(f.core.state.LinkState, LINK_UNKNOWN);
}

} // namespace
} // namespace tarvo::testing
