#include "class2/exchange.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::class2;
using namespace qs::test;

namespace {

const std::vector<uint8_t> kRequest(20, 0x42);
constexpr uint32_t kRouter = 0x0A4D000B;

struct ExchangeTest : ::testing::Test {
    FakeClock clock;
    FakeNetwork net{clock};
};

} // namespace

TEST_F(ExchangeTest, SilenceIsSentFourTimesOneSecondApart) {
    const int64_t start = clock.nowMs();
    Reply r = unicastExchange(net, kRouter, kRequest);
    EXPECT_EQ(r.transport, kNoReply);
    EXPECT_EQ(failureCode(r), KZV_E_NO_ANSWER);
    auto sent = net.sent();
    ASSERT_EQ(sent.size(), 4u);
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].atMs - start, int64_t(1000 * i));
        EXPECT_EQ(sent[i].to, kRouter);
        EXPECT_EQ(sent[i].port, 4449);
        EXPECT_EQ(sent[i].bytes, kRequest); // the same datagram, same sequence number
        EXPECT_FALSE(sent[i].broadcastSocket);
    }
    EXPECT_EQ(clock.nowMs() - start, 4000);
}

TEST_F(ExchangeTest, ReplyToARetransmissionIsTaken) {
    int sends = 0;
    net.peer = [&](uint32_t, const std::vector<uint8_t> &) -> std::vector<Datagram> {
        if (++sends < 3) return {};
        return {Datagram{0x0A000001, std::vector<uint8_t>(80, 1)}}; // any sender counts
    };
    Reply r = unicastExchange(net, kRouter, kRequest);
    EXPECT_EQ(r.transport, kReplied);
    EXPECT_EQ(r.bytes.size(), 80u);
    EXPECT_EQ(net.sent().size(), 3u);
}

TEST_F(ExchangeTest, SocketFailuresAreNotRetried) {
    struct Case {
        const char *name;
        bool FakeNetwork::*flag;
    } cases[] = {{"open", &FakeNetwork::failOpen},
                 {"send", &FakeNetwork::failSend},
                 {"wait", &FakeNetwork::failWait},
                 {"receive", &FakeNetwork::failReceive}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork n{clock};
        n.peer = [](uint32_t, const std::vector<uint8_t> &) {
            return std::vector<Datagram>{{kRouter, std::vector<uint8_t>(18, 0)}};
        };
        n.*c.flag = true;
        Reply r = unicastExchange(n, kRouter, kRequest);
        EXPECT_EQ(r.transport, kSocketFailure);
        EXPECT_EQ(failureCode(r), KZV_E_FAIL);
        EXPECT_LE(n.sent().size(), 1u);
    }
}

TEST_F(ExchangeTest, OversizedReplyIsFlaggedTruncated) {
    net.peer = [](uint32_t, const std::vector<uint8_t> &) {
        // 56 bytes delivered, but the datagram was 1400 long: must not pass as a 56-byte reply.
        return std::vector<Datagram>{{kRouter, std::vector<uint8_t>(56, 1), 1400}};
    };
    Reply r = unicastExchange(net, kRouter, kRequest);
    EXPECT_EQ(r.transport, kReplied);
    EXPECT_TRUE(r.truncated);
}

TEST_F(ExchangeTest, BroadcastKeepsOneEntryPerSenderWithItsLaterDatagram) {
    net.peer = [](uint32_t to, const std::vector<uint8_t> &) {
        EXPECT_EQ(to, 0xFFFFFFFFu);
        return std::vector<Datagram>{{1, {1}}, {2, {2}}, {1, {3, 3}}, {3, {4}}};
    };
    std::vector<Sender> senders;
    const int64_t start = clock.nowMs();
    EXPECT_EQ(broadcastExchange(net, kRequest, senders), kReplied);
    ASSERT_EQ(senders.size(), 3u);
    EXPECT_EQ(senders[0].address, 1u);
    EXPECT_EQ(senders[0].bytes, (std::vector<uint8_t>{3, 3}));
    EXPECT_EQ(senders[1].address, 2u);
    EXPECT_EQ(senders[2].address, 3u);
    EXPECT_EQ(net.sent().size(), 1u);
    EXPECT_TRUE(net.sent()[0].broadcastSocket);
    EXPECT_EQ(clock.nowMs() - start, 1000); // one second of silence ends the collection
}

TEST_F(ExchangeTest, BroadcastIgnoresSendersBeyondSixtyFour) {
    net.peer = [](uint32_t, const std::vector<uint8_t> &) {
        std::vector<Datagram> all;
        for (uint32_t a = 1; a <= 70; ++a)
            all.push_back({a, {uint8_t(a)}});
        all.push_back({5, {0xEE}}); // a known sender still updates its entry
        return all;
    };
    std::vector<Sender> senders;
    EXPECT_EQ(broadcastExchange(net, kRequest, senders), kReplied);
    ASSERT_EQ(senders.size(), 64u);
    EXPECT_EQ(senders.back().address, 64u);
    EXPECT_EQ(senders[4].bytes, (std::vector<uint8_t>{0xEE}));
}

TEST_F(ExchangeTest, BroadcastSocketFailures) {
    for (bool FakeNetwork::*flag :
         {&FakeNetwork::failOpen, &FakeNetwork::failSend, &FakeNetwork::failWait}) {
        FakeNetwork n{clock};
        n.*flag = true;
        std::vector<Sender> senders;
        EXPECT_EQ(broadcastExchange(n, kRequest, senders), kSocketFailure);
    }
}
