#include "config.h"
#include "control.h"

#include <gtest/gtest.h>

namespace qs::emulator {
namespace {

class EmulatorControl : public ::testing::Test {
  protected:
    void SetUp() override {
        auto config = parseConfig("[router a]\naddress = 10.77.1.1\nport0.state = 5\n"
                                  "port0.bytes_sent_rate = 100\n"
                                  "[router b]\naddress = 10.77.1.2\n");
        ASSERT_EQ(config.error, "");
        routers = config.routers;
    }

    std::string run(const std::string &line, int64_t nowMs = 0) {
        return handleControl(routers, log, line, nowMs).response;
    }

    std::vector<Router> routers;
    DatagramLog log;
};

TEST_F(EmulatorControl, AnswersEachCommand) {
    struct Case {
        const char *line;
        const char *response;
    };
    const Case cases[] = {
        {"ping", "ok pong\n"},
        {"ping\r", "ok pong\n"},
        {"routers", "ok 2\na 10.77.1.1\nb 10.77.1.2\n"},
        {"set a port1.state 0", "ok\n"},
        {"get a port1.state", "ok 0\n"},
        {"set b name  Two words ", "ok\n"},
        {"get b name", "ok Two words\n"},
        {"set * port0.dial_outcome refuse:2", "ok\n"},
        {"get b port0.dial_outcome", "ok refuse:2\n"},
        {"set c silent 1", "error no router 'c'\n"},
        {"set a", "error usage: set ROUTER|* KEY VALUE\n"},
        {"set a port0.state x", "error state: expected a 16-bit number\n"},
        {"get a nothing", "error unknown key 'nothing'\n"},
        {"get z name", "error no router 'z'\n"},
        {"log z", "error no router 'z'\n"},
        {"log", "ok 0\n"},
        {"clear_log", "ok\n"},
        {"fly", "error unknown command 'fly'\n"},
    };
    for (auto &c : cases)
        EXPECT_EQ(run(c.line), c.response) << c.line;
}

TEST_F(EmulatorControl, RefusedValueForAllRoutersChangesNone) {
    EXPECT_EQ(run("set * port0.site_registered 1,2"),
              "error site_registered: expected 4 comma-separated numbers\n");
    EXPECT_EQ(run("get a port0.site_registered"), "ok 0,0,0,0\n");
}

TEST_F(EmulatorControl, ChangesTakeEffectAtTheirMoment) {
    // Counters grown before a rate change keep the old rate; dropping the line stops them.
    EXPECT_EQ(run("set a port0.bytes_sent_rate 1000", 2000), "ok\n");
    EXPECT_EQ(run("get a port0.bytes_sent", 3000), "ok 1200\n");
    EXPECT_EQ(run("set a port0.state 3", 3000), "ok\n");
    EXPECT_EQ(run("get a port0.bytes_sent", 9000), "ok 1200\n");
}

TEST_F(EmulatorControl, SettingTheStateEndsADialInProgress) {
    routers[1].ports[0].state = kLineBusy;
    routers[1].ports[0].pending = true;
    routers[1].ports[0].pendingState = kLineConnected;
    routers[1].ports[0].dueMs = 5000;
    EXPECT_EQ(run("set b port0.state 3", 1000), "ok\n");
    EXPECT_EQ(run("get b port0.state", 6000), "ok 3\n");
}

TEST_F(EmulatorControl, LogListsDatagramsPerRouterUntilCleared) {
    log.add({"a", 12, 0x0A4D0002, 40000, true, {0x00, 0x01, 0xAB}});
    log.add({"b", 13, 0x0A4D0002, 40001, false, {}});
    log.add({"a", 14, 0x0A4D0002, 40002, false, {0xFF}});
    EXPECT_EQ(run("log a"),
              "ok 2\na 12 10.77.0.2:40000 bcast 3 0001ab\na 14 10.77.0.2:40002 ucast 1 ff\n");
    EXPECT_EQ(run("log"), "ok 3\na 12 10.77.0.2:40000 bcast 3 0001ab\n"
                          "b 13 10.77.0.2:40001 ucast 0 -\na 14 10.77.0.2:40002 ucast 1 ff\n");
    EXPECT_EQ(run("clear_log a"), "ok\n");
    EXPECT_EQ(run("log"), "ok 1\nb 13 10.77.0.2:40001 ucast 0 -\n");
}

TEST_F(EmulatorControl, ShutdownIsReportedToTheServer) {
    EXPECT_TRUE(handleControl(routers, log, "shutdown", 0).shutdown);
    EXPECT_FALSE(handleControl(routers, log, "ping", 0).shutdown);
}

TEST_F(EmulatorControl, ListsEveryKeyOnce) {
    std::string keys = run("keys");
    for (const char *key : {"\naddress\n", "\nsilent\n", "\nport0.state\n",
                            "\nport1.dial_outcome\n", "\nport1.connection_time_rate\n"})
        EXPECT_NE(keys.find(key), std::string::npos) << key;
}

} // namespace
} // namespace qs::emulator
