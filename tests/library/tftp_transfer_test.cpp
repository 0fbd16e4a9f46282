// The TFTP transfer engine, driven packet by packet.
#include "class3/tftp_transfer.h"

#include <gtest/gtest.h>

using namespace qs::class3;

namespace {

constexpr uint32_t kRouter = 0x0A4D0031;
const Endpoint kPeer{kRouter, 50001};

std::vector<uint8_t> block(size_t n, uint8_t fill) {
    return std::vector<uint8_t>(n, fill);
}

uint16_t opcodeOf(const Outgoing &o) {
    return static_cast<uint16_t>(o.bytes[0] << 8 | o.bytes[1]);
}
uint16_t numberOf(const Outgoing &o) {
    return static_cast<uint16_t>(o.bytes[2] << 8 | o.bytes[3]);
}

} // namespace

TEST(TftpRead, RequestNamesFileInOctetMode) {
    auto t = UnicastTransfer::read(kRouter, "getstatus/u/x/");
    Outgoing o = t.start();
    EXPECT_EQ(o.to, (Endpoint{kRouter, 69}));
    const char raw[] = "\0\1getstatus/u/x/\0octet";
    const std::string expected(raw, sizeof raw); // with the final NUL
    EXPECT_EQ(std::string(o.bytes.begin(), o.bytes.end()), expected);
}

TEST(TftpRead, MultiBlockFileAcknowledgedToThePeer) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    auto ack1 = t.onDatagram(kPeer, makeData(1, block(512, 1)));
    ASSERT_TRUE(ack1);
    EXPECT_EQ(ack1->to, kPeer);
    EXPECT_EQ(opcodeOf(*ack1), kAck);
    EXPECT_EQ(numberOf(*ack1), 1);
    EXPECT_EQ(t.status(), kTransferRunning);
    auto ack2 = t.onDatagram(kPeer, makeData(2, block(452, 2)));
    ASSERT_TRUE(ack2);
    EXPECT_EQ(numberOf(*ack2), 2);
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_EQ(t.result().bytes.size(), 964u);
    EXPECT_EQ(t.result().bytes[600], 2);
    EXPECT_FALSE(t.result().isError);
    EXPECT_EQ(t.result().sender, kRouter);
}

TEST(TftpRead, ExactMultipleOfABlockEndsWithAnEmptyBlock) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    t.onDatagram(kPeer, makeData(1, block(512, 1)));
    EXPECT_EQ(t.status(), kTransferRunning);
    t.onDatagram(kPeer, makeData(2, {}));
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_EQ(t.result().bytes.size(), 512u);
}

TEST(TftpRead, OutOfOrderBlockIsIgnored) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    EXPECT_FALSE(t.onDatagram(kPeer, makeData(2, block(10, 2))));
    EXPECT_EQ(t.status(), kTransferRunning);
    ASSERT_TRUE(t.onDatagram(kPeer, makeData(1, block(10, 1))));
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_EQ(t.result().bytes, block(10, 1));
}

TEST(TftpRead, RepeatedBlockIsAcknowledgedAgainWithoutBeingStoredTwice) {
    // The router repeats block 1 because our acknowledgement was lost; each repeat must be
    // answered, or the router gives up and the read ends with no answer.
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    ASSERT_TRUE(t.onDatagram(kPeer, makeData(1, block(512, 1))));
    for (int repeat = 0; repeat < 5; ++repeat) {
        auto again = t.onDatagram(kPeer, makeData(1, block(512, 1)));
        ASSERT_TRUE(again) << repeat;
        EXPECT_EQ(again->to, kPeer);
        EXPECT_EQ(again->bytes, (std::vector<uint8_t>{0, 4, 0, 1}));
    }
    EXPECT_EQ(t.status(), kTransferRunning);
    auto last = t.onDatagram(kPeer, makeData(2, block(452, 2)));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->bytes, (std::vector<uint8_t>{0, 4, 0, 2}));
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_EQ(t.result().bytes.size(), 964u);
    EXPECT_EQ(t.result().bytes[511], 1);
    EXPECT_EQ(t.result().bytes[512], 2);
}

TEST(TftpRead, OnlyTheBlockAcknowledgedLastIsAcknowledgedAgain) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    // Nothing acknowledged yet: block 0 is no block at all.
    EXPECT_FALSE(t.onDatagram(kPeer, makeData(0, block(4, 0))));
    t.onDatagram(kPeer, makeData(1, block(512, 1)));
    t.onDatagram(kPeer, makeData(2, block(512, 2)));
    // Block 1 is older than the last acknowledgement; the transfer has moved past it.
    EXPECT_FALSE(t.onDatagram(kPeer, makeData(1, block(512, 1))));
    auto again = t.onDatagram(kPeer, makeData(2, block(512, 2)));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->bytes, (std::vector<uint8_t>{0, 4, 0, 2}));
    EXPECT_EQ(t.result().bytes.size(), 1024u);
    // Repeats from a stranger are dropped like anything else of theirs.
    EXPECT_FALSE(t.onDatagram(Endpoint{kRouter, 50002}, makeData(2, block(512, 2))));
}

TEST(TftpRead, ErrorPacketReplacesDataAndMayLackItsNul) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    t.onDatagram(kPeer, makeData(1, block(512, 1)));
    std::vector<uint8_t> err = {0, 5, 0, 7, '0', '0', '0', '1', '/'}; // no terminator
    t.onDatagram(kPeer, err);
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_TRUE(t.result().isError);
    EXPECT_EQ(t.result().errorCode, 7);
    EXPECT_EQ(std::string(t.result().bytes.begin(), t.result().bytes.end()), "0001/");
    EXPECT_EQ(t.result().length(), 6u);
}

TEST(TftpRead, UnexpectedPacketFromThePeerEndsTheTransfer) {
    for (std::vector<uint8_t> odd :
         {makeAck(1), std::vector<uint8_t>{0, 1}, std::vector<uint8_t>{}}) {
        auto t = UnicastTransfer::read(kRouter, "f");
        t.start();
        t.onDatagram(kPeer, odd);
        EXPECT_EQ(t.status(), kTransferUnexpected);
    }
}

TEST(TftpTransferIds, StrangersAreDroppedWithoutCost) {
    auto t = UnicastTransfer::read(kRouter, "f");
    t.start();
    // Before the first answer only the router's address counts, on any port.
    EXPECT_FALSE(t.onDatagram(Endpoint{0x0A4D0099, 50001}, makeData(1, block(512, 9))));
    EXPECT_EQ(t.status(), kTransferRunning);
    ASSERT_TRUE(t.onDatagram(kPeer, makeData(1, block(512, 1))));
    // From then on only that address and port.
    EXPECT_FALSE(t.onDatagram(Endpoint{kRouter, 50002}, makeData(2, block(3, 9))));
    EXPECT_FALSE(t.onDatagram(Endpoint{kRouter, 50002}, makeError(7, "x")));
    EXPECT_EQ(t.status(), kTransferRunning);
    // A stranger's packet costs no retransmission: still three to go.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(t.onSilence());
    EXPECT_FALSE(t.onSilence());
    EXPECT_EQ(t.status(), kTransferNoAnswer);
}

TEST(TftpRetransmission, LastPacketAgainThreeTimesPerTransfer) {
    auto t = UnicastTransfer::read(kRouter, "f");
    Outgoing request = t.start();
    auto again = t.onSilence();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->bytes, request.bytes);
    EXPECT_EQ(again->to, request.to);
    auto ack = t.onDatagram(kPeer, makeData(1, block(512, 1)));
    auto resent = t.onSilence();
    ASSERT_TRUE(resent);
    EXPECT_EQ(resent->bytes, ack->bytes); // the acknowledgement, to the peer
    EXPECT_EQ(resent->to, kPeer);
    EXPECT_TRUE(t.onSilence()); // the count is never reset: this is the third
    EXPECT_FALSE(t.onSilence());
    EXPECT_EQ(t.status(), kTransferNoAnswer);
}

TEST(TftpWrite, FourBytePayloadIsOneBlock) {
    auto t = UnicastTransfer::write(kRouter, "connect/u/x/", {1, 2, 3, 4});
    EXPECT_EQ(opcodeOf(t.start()), kWriteRequest);
    auto data = t.onDatagram(kPeer, makeAck(0));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->to, kPeer);
    EXPECT_EQ(data->bytes, (std::vector<uint8_t>{0, 3, 0, 1, 1, 2, 3, 4}));
    EXPECT_FALSE(t.onDatagram(kPeer, makeAck(1)));
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_FALSE(t.result().isError);
}

TEST(TftpWrite, FullBlockIsFollowedByAnEmptyOne) {
    auto t = UnicastTransfer::write(kRouter, "w", block(512, 7));
    t.start();
    auto first = t.onDatagram(kPeer, makeAck(0));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->bytes.size(), 516u);
    // A repeated acknowledgement never sends data again.
    EXPECT_FALSE(t.onDatagram(kPeer, makeAck(0)));
    auto second = t.onDatagram(kPeer, makeAck(1));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->bytes, (std::vector<uint8_t>{0, 3, 0, 2}));
    EXPECT_FALSE(t.onDatagram(kPeer, makeAck(1)));
    t.onDatagram(kPeer, makeAck(2));
    EXPECT_EQ(t.status(), kTransferDone);
}

TEST(TftpWrite, ErrorAnswerCompletesAndOtherTypesAreIgnored) {
    auto t = UnicastTransfer::write(kRouter, "w", {1, 2, 3, 4});
    t.start();
    t.onDatagram(kPeer, makeAck(0));
    EXPECT_FALSE(t.onDatagram(kPeer, makeData(1, block(4, 0))));
    EXPECT_EQ(t.status(), kTransferRunning);
    t.onDatagram(kPeer, makeError(0, "0001/00301400/active port"));
    EXPECT_EQ(t.status(), kTransferDone);
    EXPECT_TRUE(t.result().isError);
    EXPECT_EQ(t.result().errorCode, 0);
}

TEST(TftpBroadcast, OneTransferPerSenderUpToSixtyFour) {
    BroadcastRead b("search///");
    EXPECT_EQ(b.start().to, (Endpoint{0xFFFFFFFF, 69}));
    // Sender 1 needs two blocks; sender 2 answers with an error; sender 3 never finishes.
    auto ack = b.onDatagram({1, 7000}, makeData(1, block(512, 1)));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->to, (Endpoint{1, 7000}));
    b.onDatagram({2, 7001}, makeError(7, "0001/00301400/abcd"));
    b.onDatagram({3, 7002}, makeData(1, block(512, 3)));
    b.onDatagram({1, 7000}, makeData(3, block(5, 1))); // out of order: ignored
    b.onDatagram({1, 7000}, makeData(2, block(5, 1)));
    b.onDatagram({2, 7001}, makeData(1, block(5, 2))); // completed senders take nothing more
    for (uint32_t a = 10; a < 80; ++a)
        b.onDatagram({a, 7000}, makeData(1, block(68, 4)));
    b.onSilence();
    EXPECT_EQ(b.status(), kTransferDone);
    auto done = b.completed();
    ASSERT_EQ(done.size(), 2u + 61u); // 64 senders in all, one of them unfinished
    EXPECT_EQ(done[0].sender, 1u);
    EXPECT_EQ(done[0].bytes.size(), 517u);
    EXPECT_EQ(done[1].sender, 2u);
    EXPECT_TRUE(done[1].isError);
    EXPECT_EQ(done.back().sender, 70u);
}

TEST(TftpBroadcast, RepeatedBlocksAreAcknowledgedAgainAlsoAfterTheLast) {
    BroadcastRead b("search///");
    b.start();
    auto ack = b.onDatagram({1, 7000}, makeData(1, block(68, 1)));
    ASSERT_TRUE(ack);
    // The sender's only block is complete, but it repeats it until an acknowledgement arrives.
    auto again = b.onDatagram({1, 7000}, makeData(1, block(68, 1)));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->to, (Endpoint{1, 7000}));
    EXPECT_EQ(again->bytes, (std::vector<uint8_t>{0, 4, 0, 1}));
    b.onSilence();
    auto done = b.completed();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].bytes.size(), 68u);
}
