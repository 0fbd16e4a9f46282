// The library's TFTP client against an independent server: Debian's tftpd-hpa on the lab's router
// host (tools/lab/tftpd-setup.sh), over the real sockets of the OS layer. The server's directory
// is on the same file system, so what it stored is checked byte for byte.
#include "class3/command_exchange.h"
#include "class3/tftp_client.h"
#include "class3/tftp_transfer.h"
#include "os/platform.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;
using namespace qs::class3;

std::string environment(const char *name) {
    const char *v = std::getenv(name);
    if (!v) throw std::runtime_error(std::string(name) + " is not set: run in tools/lab/lab.sh");
    return v;
}

Bytes fileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The real network, with a copy of every datagram the client sends.
class RecordingNetwork final : public qs::Network {
  public:
    explicit RecordingNetwork(qs::Network &real) : real_(real) {}
    bool startup() override { return real_.startup(); }
    void cleanup() override { real_.cleanup(); }
    std::unique_ptr<qs::UdpSocket> openUdp(bool broadcast) override {
        auto inner = real_.openUdp(broadcast);
        if (!inner) return nullptr;
        return std::make_unique<Socket>(std::move(inner), sent);
    }
    std::vector<Bytes> sent;

  private:
    class Socket final : public qs::UdpSocket {
      public:
        Socket(std::unique_ptr<qs::UdpSocket> inner, std::vector<Bytes> &sent)
            : inner_(std::move(inner)), sent_(sent) {}
        bool sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t n) override {
            sent_.emplace_back(data, data + n);
            return inner_->sendTo(address, port, data, n);
        }
        int waitReadable(int ms) override { return inner_->waitReadable(ms); }
        bool receive(uint8_t *buffer, size_t capacity, qs::Received &info) override {
            return inner_->receive(buffer, capacity, info);
        }

      private:
        std::unique_ptr<qs::UdpSocket> inner_;
        std::vector<Bytes> &sent_;
    };
    qs::Network &real_;
};

class TftpdInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        in_addr a{};
        ASSERT_EQ(inet_pton(AF_INET, environment("QS_LAB_TFTPD_ADDRESS").c_str(), &a), 1);
        server = ntohl(a.s_addr);
        root = environment("QS_LAB_TFTPD_ROOT");
        ASSERT_TRUE(network.startup());
    }

    // The data packets the client sent: (block, length).
    std::vector<std::pair<uint16_t, size_t>> dataSent() const {
        std::vector<std::pair<uint16_t, size_t>> blocks;
        for (const auto &d : network.sent)
            if (d.size() >= 4 && d[0] == 0 && d[1] == 3)
                blocks.emplace_back(static_cast<uint16_t>(d[2] << 8 | d[3]), d.size() - 4);
        return blocks;
    }

    qs::Platform system = qs::systemPlatform();
    RecordingNetwork network{*system.network};
    uint32_t server = 0;
    std::string root;
};

TEST_F(TftpdInterop, ReadsAFileOfSeveralBlocks) {
    auto t = UnicastTransfer::read(server, "getstatus/admin/0123456789abcdef0123456789abcdef/");
    ASSERT_EQ(runTransfer(network, t), kTransferDone);
    EXPECT_FALSE(t.result().isError);
    EXPECT_EQ(t.result().sender, server);
    EXPECT_EQ(t.result().bytes.size(), 964u);
    EXPECT_EQ(t.result().bytes, fileBytes(root + "/status.bin"));
}

TEST_F(TftpdInterop, ReadsAFileOfWholeBlocksUpToItsEmptyLastBlock) {
    auto t = UnicastTransfer::read(server, "exact1024.bin");
    ASSERT_EQ(runTransfer(network, t), kTransferDone);
    EXPECT_FALSE(t.result().isError);
    EXPECT_EQ(t.result().bytes, fileBytes(root + "/exact1024.bin"));
    // Acknowledgements of blocks 1, 2 and the empty block 3.
    int acks = 0;
    for (const auto &d : network.sent)
        acks += d.size() == 4 && d[1] == 4;
    EXPECT_EQ(acks, 3);
}

TEST_F(TftpdInterop, WritesFourBytes) {
    const Bytes payload{0x21, 0x4D, 0x02, 0x00};
    auto t =
        UnicastTransfer::write(server, "connect/admin/00112233445566778899aabbccddeeff/", payload);
    ASSERT_EQ(runTransfer(network, t), kTransferDone);
    EXPECT_FALSE(t.result().isError);
    EXPECT_EQ((dataSent()), (std::vector<std::pair<uint16_t, size_t>>{{1, 4}}));
    EXPECT_EQ(fileBytes(root + "/connect.written"), payload);
}

TEST_F(TftpdInterop, WritesAWholeBlockFollowedByAnEmptyOne) {
    Bytes payload(512);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 7 + 3);
    auto t = UnicastTransfer::write(server, "block512///", payload);
    ASSERT_EQ(runTransfer(network, t), kTransferDone);
    EXPECT_FALSE(t.result().isError);
    EXPECT_EQ((dataSent()), (std::vector<std::pair<uint16_t, size_t>>{{1, 512}, {2, 0}}));
    EXPECT_EQ(fileBytes(root + "/block512.written"), payload);
}

TEST_F(TftpdInterop, AMissingFileComesBackAsTheServersError) {
    auto t = UnicastTransfer::read(server, "no-such-file");
    ASSERT_EQ(runTransfer(network, t), kTransferDone);
    EXPECT_TRUE(t.result().isError);
    EXPECT_EQ(t.result().errorCode, 1); // RFC 1350: file not found
}

TEST_F(TftpdInterop, CommandExchangesRunOverTheRealServer) {
    // Unscrambled (seed 0), as the status file's echo of 0 expects.
    Session s{network, server, {}, {}};
    ExchangeOutcome status = readStatus(s);
    EXPECT_EQ(status.result, kExchangeOk);
    EXPECT_EQ(status.status, fileBytes(root + "/status.bin"));

    ExchangeOutcome clear = writeCommand(s, Command::ClearStatus, 2);
    EXPECT_EQ(clear.result, kExchangeOk);
    EXPECT_EQ(fileBytes(root + "/clearstatus.written"), (Bytes{0, 0, 2, 0}));
}

} // namespace
