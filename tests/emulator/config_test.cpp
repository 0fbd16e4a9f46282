#include "config.h"
#include "fields.h"

#include <gtest/gtest.h>

namespace qs::emulator {
namespace {

constexpr const char *kExample = R"(# two routers
[lab]
pc_address = 10.77.0.2/16

[router first]
address = 10.77.1.1
mask = 255.255.0.0
model = 0x23090
name = Office router
key_id = 0xFFFE
second_id = 513
capability = 0x0021
info_raw = 01 a2 03 04 05 ff
info_30 = 30 31
info_32 = 0x12345678
info_38 = 38 39
info_40 = fe 01
reply_delay_ms = 250
wrong_length = -3
port0.state = 5
port0.status_flags = 0x80000001
port0.site = 2
port0.site_names = Head office, Branch ,Backup
port0.site_registered = 1,0,1,0
port0.line_type = 4
port0.connection_mode = 2
port0.global_address = 192.0.2.7
port0.timer_kind = 1
port0.timer_time = 23:59:58
port0.status_text1 = provider text
port0.dial_delay = 1.25
port0.dial_outcome = refuse:9
port0.hangup_outcome = stay_busy
port0.bytes_sent_rate = 1500
port1.state = 21
port1.timer_kind = 2
port1.timer_value = 4000000000
port1.dial_outcome = end:3
port1.hangup_outcome = hangup

; a second router with nothing but its address
[router second]
address = 10.77.1.2
model = 140000
)";

TEST(EmulatorConfig, ReadsEveryKindOfSetting) {
    auto config = parseConfig(kExample);
    ASSERT_EQ(config.error, "");
    ASSERT_EQ(config.routers.size(), 2u);

    struct Case {
        size_t router;
        const char *key;
        const char *text;
    };
    const Case cases[] = {
        {0, "address", "10.77.1.1"},
        {0, "mask", "255.255.0.0"},
        {0, "model", "143504"},
        {0, "name", "Office router"},
        {0, "key_id", "65534"},
        {0, "second_id", "513"},
        {0, "capability", "33"},
        {0, "info_raw", "01 a2 03 04 05 ff"},
        {0, "info_30", "30 31"},
        {0, "info_32", "305419896"},
        {0, "info_38", "38 39"},
        {0, "info_40", "fe 01"},
        {0, "reply_delay_ms", "250"},
        {0, "wrong_length", "-3"},
        {0, "silent", "0"},
        {0, "port0.state", "5"},
        {0, "port0.status_flags", "2147483649"},
        {0, "port0.site_names", "Head office,Branch,Backup,"},
        {0, "port0.site_registered", "1,0,1,0"},
        {0, "port0.global_address", "192.0.2.7"},
        {0, "port0.timer_time", "23:59:58"},
        {0, "port0.dial_delay", "1.25"},
        {0, "port0.dial_outcome", "refuse:9"},
        {0, "port0.hangup_outcome", "stay_busy"},
        {0, "port0.bytes_sent_rate", "1500"},
        {0, "port0.connection_time_rate", "10"},
        {0, "port1.state", "21"},
        {0, "port1.timer_value", "4000000000"},
        {0, "port1.dial_outcome", "end:3"},
        {0, "port1.hangup_outcome", "hangup"},
        // Defaults of a router that says nothing but its address.
        {1, "name", "second"},
        {1, "model", "140000"},
        {1, "port0.state", "3"},
        {1, "port1.dial_outcome", "connect"},
        {1, "port1.dial_delay", "0"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(getField(config.routers[c.router], c.key), std::optional<std::string>(c.text));
    }
    EXPECT_EQ(config.routers[0].id, "first");
}

TEST(EmulatorConfig, EveryKeyReadsBackWhatItWrote) {
    // Whatever get prints, set must accept again unchanged: the control socket relies on it.
    auto config = parseConfig(kExample);
    ASSERT_EQ(config.error, "");
    for (const auto &key : fieldNames()) {
        Router copy = config.routers[0];
        auto text = getField(copy, key);
        ASSERT_TRUE(text) << key;
        EXPECT_EQ(setField(copy, key, *text), "") << key;
        EXPECT_EQ(getField(copy, key), text) << key;
    }
}

TEST(EmulatorConfig, RefusesFaultyFilesNamingTheLine) {
    struct Case {
        const char *text;
        const char *error;
    };
    const Case cases[] = {
        {"address = 10.0.0.1\n", "line 1: setting outside"},
        {"[router a]\nport2.state = 3\n", "line 2: unknown key 'port2.state'"},
        {"[router a]\nport0.colour = red\n", "line 2: unknown key"},
        {"[router a]\naddress = 10.0.0.1\nkey_id = 65536\n", "line 3: key_id: expected a number"},
        {"[router a]\naddress = 10.0.0.256\n", "line 2: address: expected a dotted"},
        {"[router a]\nmodel = 0x\n", "line 2: model"},
        {"[router a]\nname = 123456789012345678901234567890123\n", "longer than 32 bytes"},
        {"[router a]\nport0.dial_outcome = maybe\n", "expected connect, stay_busy"},
        {"[router a]\nport0.hangup_outcome = connect\n", "expected hangup, stay_busy"},
        {"[router a]\nport0.dial_delay = 1.2345\n", "dial_delay: expected seconds"},
        {"[router a]\nport0.site_registered = 1,0\n", "expected 4"},
        {"[router a]\nport0.site_names = a,b,c,d,e\n", "at most 4"},
        {"[router a]\ninfo_raw = 01 02 03\n", "info_raw: expected 6"},
        {"[router a]\ninfo_raw = 01 02 03 04 05 100\n", "is no hex byte"},
        {"[router a]\nsilent = perhaps\n", "silent: expected 0 or 1"},
        {"[router a]\nwrong_length = 5000\n", "wrong_length"},
        {"[router a]\nport0.timer_time = 12:00\n", "expected H:M:S"},
        {"[router a b]\n", "line 1: router name"},
        {"[switch a]\n", "line 1: unknown section 'switch a'"},
        {"[router a\n", "line 1: section header without"},
        {"[router a]\njust words\n", "line 2: expected 'key = value'"},
        {"[router a]\naddress = 10.0.0.1\n[router a]\n", "line 3: router 'a' appears twice"},
        {"[router a]\nname = x\n", "router 'a' has no address"},
        {"[router a]\naddress = 10.0.0.1\n[router b]\naddress = 10.0.0.1\n",
         "share the address 10.0.0.1"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        auto config = parseConfig(c.text);
        EXPECT_NE(config.error.find(c.error), std::string::npos) << config.error;
        EXPECT_TRUE(config.routers.empty());
    }
}

TEST(EmulatorConfig, ToleratesWindowsLineEndsAndEmptyFiles) {
    auto config = parseConfig("[router a]\r\naddress = 10.0.0.1\r\nname = x \r\n");
    ASSERT_EQ(config.error, "");
    EXPECT_EQ(config.routers[0].name, "x");
    EXPECT_EQ(parseConfig("").error, "");
    EXPECT_NE(loadConfig("/nonexistent/emulator.ini").error, "");
}

} // namespace
} // namespace qs::emulator
