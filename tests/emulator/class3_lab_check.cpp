// Runs on the PC host of the lab (tools/lab/lab.sh) with lab3.ini and checks the class 3 routers
// as the network sees them: TFTP on port 69, each transfer carried on from a port of its own on
// the router's address (RFC 1350 transfer identifiers), strangers turned away, and the two
// classes kept apart. Outside the lab it sends nothing.
#include "control_client.h"
#include "udp_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace qs::emulator {
namespace {

constexpr const char *kThree = "10.77.3.1";

using Udp = UdpProbe;

Bytes readRequest(const std::string &name) {
    Bytes d{0, 1};
    // Appending element by element: GCC 12 at -O2 misreads a range insert here as overflowing.
    for (char c : name)
        d.push_back(static_cast<uint8_t>(c));
    d.push_back(0);
    for (char c : std::string("octet"))
        d.push_back(static_cast<uint8_t>(c));
    d.push_back(0);
    return d;
}

Bytes ack(uint16_t block) {
    return {0, 4, static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)};
}

uint16_t be16(const Bytes &d, size_t at) {
    return static_cast<uint16_t>(d.at(at) << 8 | d.at(at + 1));
}

class Class3Lab : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("QS_LAB")) GTEST_SKIP() << "runs only inside tools/lab/lab.sh";
        control.clearLog();
    }

    ControlClient control =
        std::getenv("QS_LAB") ? ControlClient::fromEnvironment() : ControlClient("");
    Udp udp;
};

TEST_F(Class3Lab, BroadcastReadIsAnsweredFromAPortOfTheTransfersOwn) {
    udp.send("255.255.255.255", 69, readRequest("search///"));
    auto replies = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].from, kThree);
    EXPECT_NE(replies[0].port, 69);
    EXPECT_EQ(replies[0].bytes.size(), 4u + 68);
    EXPECT_EQ(be16(replies[0].bytes, 0), 3);
    EXPECT_EQ(be16(replies[0].bytes, 2), 1);
    // The class 2 router is not on port 69.
    EXPECT_TRUE(control.log("two").empty());
    ASSERT_EQ(control.log("three").size(), 1u);
    EXPECT_TRUE(control.log("three")[0].broadcast);
}

TEST_F(Class3Lab, TransferGoesOnFromItsPortAndTurnsStrangersAway) {
    udp.send(kThree, 69, readRequest("getstatus///"));
    auto first = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(first.size(), 1u);
    const uint16_t tid = first[0].port;
    EXPECT_NE(tid, 69);
    EXPECT_EQ(first[0].bytes.size(), 4u + 512);

    // Another socket of the PC is a stranger to this transfer.
    Udp stranger;
    stranger.send(kThree, tid, ack(1));
    auto refused = stranger.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].port, tid);
    EXPECT_EQ(be16(refused[0].bytes, 0), 5);
    EXPECT_EQ(be16(refused[0].bytes, 2), 5);

    udp.send(kThree, tid, ack(1));
    auto second = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].port, tid);
    EXPECT_EQ(be16(second[0].bytes, 2), 2);
    EXPECT_EQ(second[0].bytes.size(), 4u + 964 - 512);
    udp.send(kThree, tid, ack(2));
    EXPECT_TRUE(udp.receive(std::chrono::milliseconds(300)).empty());

    // A new request opens a new transfer, from a port of its own.
    udp.send(kThree, 69, readRequest("getstatus///"));
    auto again = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_NE(again[0].port, tid);
    EXPECT_NE(again[0].port, 69);
}

TEST_F(Class3Lab, ClassTwoSearchDoesNotReachTheClassThreeRouter) {
    Bytes search{0,   42,  0,   0,   0x41, 0x01, 0,   16,  0,   0,   0, 0, 0, 0, 0, 0,
                 'Q', 'H', 'D', '4', ' ',  'C',  'h', 'e', 'c', 'k', 0, 1, 0, 2, 0, 3};
    udp.send("255.255.255.255", 4449, search);
    auto replies = udp.receive(std::chrono::milliseconds(500));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].from, "10.77.1.1");
    EXPECT_TRUE(control.log("three").empty());
}

} // namespace
} // namespace qs::emulator
