// Runs on the PC host of the lab (tools/lab/lab.sh) and checks the network the emulator sees:
// the broadcast search reaches every router, every reply leaves from its router's own address,
// and the control socket steers what goes over the wire. Outside the lab it sends nothing.
#include "control_client.h"
#include "udp_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace qs::emulator {
namespace {

using Clock = std::chrono::steady_clock;

using Udp = UdpProbe;

Bytes request(uint16_t commandWord, Bytes payload) {
    Bytes d{0,
            42,
            0,
            0,
            static_cast<uint8_t>(commandWord >> 8),
            static_cast<uint8_t>(commandWord),
            0,
            static_cast<uint8_t>(payload.size()),
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0};
    // Appending element by element: GCC 12 at -O2 misreads a range insert here as overflowing.
    for (uint8_t b : payload)
        d.push_back(b);
    return d;
}

Bytes search() {
    return request(0x4101, {'Q', 'H', 'D', '4', ' ', 'C', 'h', 'e', 'c', 'k', 0, 1, 0, 2, 0, 3});
}

Bytes addressPayload(const std::string &address) {
    in_addr a{};
    inet_pton(AF_INET, address.c_str(), &a);
    uint32_t v = ntohl(a.s_addr);
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

std::string announced(const Bytes &d) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, d.data() + 16, text, sizeof text);
    return text;
}

class Lab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("QS_LAB")) GTEST_SKIP() << "runs only inside tools/lab/lab.sh";
        control.clearLog();
    }

    ControlClient control =
        std::getenv("QS_LAB") ? ControlClient::fromEnvironment() : ControlClient("");
    Udp udp;
};

TEST_F(Lab, BroadcastSearchReachesEveryRouterAndEachAnswersFromItsOwnAddress) {
    udp.send("255.255.255.255", 4449, search());
    auto replies = udp.receive(std::chrono::milliseconds(1000));

    std::map<std::string, int> answers;
    for (auto &d : replies) {
        EXPECT_EQ(d.port, 4449);
        ASSERT_EQ(d.bytes.size(), 56u);
        EXPECT_EQ(announced(d.bytes), d.from);
        ++answers[d.from];
    }
    const std::string pc = std::getenv("QS_LAB_PC_ADDRESS");
    for (auto &r : control.routers()) {
        SCOPED_TRACE(r.id);
        int expected = control.get(r.id, "silent") == "1"         ? 0
                       : control.get(r.id, "answer_twice") == "1" ? 2
                                                                  : 1;
        EXPECT_EQ(answers[r.address], expected);
        auto received = control.log(r.id);
        ASSERT_EQ(received.size(), 1u); // the silent router hears it too
        EXPECT_TRUE(received[0].broadcast);
        EXPECT_EQ(received[0].senderAddress, pc);
        EXPECT_EQ(received[0].bytes, search());
    }
}

TEST_F(Lab, UnicastRequestReachesOnlyItsRouter) {
    auto routers = control.routers();
    ASSERT_GE(routers.size(), 2u);
    const auto &target = routers[0];
    udp.send(target.address, 4449, request(0x4104, addressPayload(target.address)));
    auto replies = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].from, target.address);
    EXPECT_EQ(replies[0].bytes.size(), 42u);

    auto received = control.log();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].router, target.id);
    EXPECT_FALSE(received[0].broadcast);
    EXPECT_EQ(received[0].commandWord(), 0x4104);
}

TEST_F(Lab, ControlChangesShowOnTheWire) {
    const auto target = control.routers().at(0);
    control.set(target.id, "port0.state", "21");
    control.set(target.id, "model", "0x23090");
    udp.send(target.address, 4449, request(0x0164, addressPayload(target.address)));
    auto replies = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].bytes.size(), 372u);
    EXPECT_EQ(replies[0].bytes[34] << 8 | replies[0].bytes[35], 21);

    control.set(target.id, "silent", "1");
    udp.send(target.address, 4449, request(0x0164, addressPayload(target.address)));
    EXPECT_TRUE(udp.receive(std::chrono::milliseconds(300)).empty());
    control.set(target.id, "silent", "0");
    EXPECT_THROW(control.set(target.id, "port0.state", "many"), ControlError);
}

TEST_F(Lab, SlowRouterHoldsUpNoOther) {
    auto routers = control.routers();
    ASSERT_GE(routers.size(), 2u);
    const auto &slow = routers[0];
    const auto &quick = routers[1];
    control.set(slow.id, "reply_delay_ms", "400");
    control.set(quick.id, "silent", "0");
    auto sent = Clock::now();
    udp.send(slow.address, 4449, request(0x4104, addressPayload(slow.address)));
    udp.send(quick.address, 4449, request(0x4104, addressPayload(quick.address)));
    auto replies = udp.receive(std::chrono::milliseconds(700));
    control.set(slow.id, "reply_delay_ms", "0");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].from, quick.address);
    EXPECT_LT(replies[0].at - sent, std::chrono::milliseconds(200));
    EXPECT_EQ(replies[1].from, slow.address);
    EXPECT_GE(replies[1].at - sent, std::chrono::milliseconds(350)); // the emulator counts whole ms
}

// With a full house of routers, all answers must be in well within the second of silence after
// which a searcher stops listening.
TEST_F(Lab, EveryRouterOfAFullHouseAnswersTheSearchPromptly) {
    auto routers = control.routers();
    if (routers.size() < 64) GTEST_SKIP() << "needs the lab of 64 routers";
    auto sent = Clock::now();
    udp.send("255.255.255.255", 4449, search());
    auto replies = udp.receive(std::chrono::milliseconds(1000));
    ASSERT_EQ(replies.size(), routers.size());
    EXPECT_LT(replies.back().at - sent, std::chrono::milliseconds(500));
}

} // namespace
} // namespace qs::emulator
