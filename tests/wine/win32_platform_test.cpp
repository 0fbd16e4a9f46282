// The Windows OS layer on its own, over loopback only: what the protocol code relies on from
// sockets, threads, the clock and posting, where Winsock and Win32 differ from their POSIX kin.
#include <winsock2.h>

#include "message_window.h"
#include "os/platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

namespace {

using qs::Platform;
using qs::Received;

constexpr uint32_t kLoopback = 0x7F000001;

// A plain Winsock socket on loopback playing the far end of the library's socket.
class Peer {
  public:
    Peer() {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        s_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(kLoopback);
        bind(s_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        int len = sizeof a;
        getsockname(s_, reinterpret_cast<sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~Peer() {
        closesocket(s_);
        WSACleanup();
    }
    uint16_t port() const { return port_; }

    // Waits for one datagram and returns the port it came from (0 when none came).
    uint16_t receiveFrom() {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s_, &set);
        timeval tv{2, 0};
        if (select(0, &set, nullptr, nullptr, &tv) != 1) return 0;
        char buffer[64];
        sockaddr_in from{};
        int len = sizeof from;
        recvfrom(s_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &len);
        return ntohs(from.sin_port);
    }
    void sendTo(uint16_t port, size_t length) {
        std::vector<char> bytes(length, 'q');
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(kLoopback);
        to.sin_port = htons(port);
        sendto(s_, bytes.data(), static_cast<int>(bytes.size()), 0,
               reinterpret_cast<sockaddr *>(&to), sizeof to);
    }

  private:
    SOCKET s_ = INVALID_SOCKET;
    uint16_t port_ = 0;
};

class Win32Platform : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(os.network->startup()); }
    void TearDown() override { os.network->cleanup(); }
    Platform os = qs::systemPlatform();
};

TEST_F(Win32Platform, ReceivesWholeAndOversizedDatagramsForWhatTheyAre) {
    Peer peer;
    auto sock = os.network->openUdp(false);
    ASSERT_NE(sock, nullptr);
    const uint8_t hello[] = {1, 2, 3};
    ASSERT_TRUE(sock->sendTo(kLoopback, peer.port(), hello, sizeof hello));
    const uint16_t libraryPort = peer.receiveFrom();
    ASSERT_NE(libraryPort, 0);

    struct Case {
        size_t sent;
        bool truncated;
    };
    for (const Case c :
         {Case{1400, false}, Case{1500, false}, Case{1501, true}, Case{4000, true}}) {
        SCOPED_TRACE(c.sent);
        peer.sendTo(libraryPort, c.sent);
        ASSERT_EQ(sock->waitReadable(2000), 1);
        std::vector<uint8_t> buffer(1500);
        Received info;
        ASSERT_TRUE(sock->receive(buffer.data(), buffer.size(), info));
        EXPECT_EQ(info.truncated, c.truncated);
        if (c.truncated)
            EXPECT_GT(info.length, buffer.size());
        else
            EXPECT_EQ(info.length, c.sent);
        EXPECT_EQ(info.fromAddress, kLoopback);
        EXPECT_EQ(info.fromPort, peer.port());
        EXPECT_EQ(buffer[0], 'q');
    }
}

TEST_F(Win32Platform, WaitingOnAQuietSocketTakesItsTimeAndReportsNothing) {
    auto sock = os.network->openUdp(true);
    ASSERT_NE(sock, nullptr);
    const int64_t start = os.clock->nowMs();
    EXPECT_EQ(sock->waitReadable(300), 0);
    EXPECT_GE(os.clock->nowMs() - start, 250);
}

// A silent peer that is not even listening must read as silence, not as a socket failure,
// however Winsock reports the ICMP that comes back.
TEST_F(Win32Platform, ADatagramToAClosedPortLeavesTheSocketUsable) {
    uint16_t closedPort = 0;
    {
        Peer gone;
        closedPort = gone.port();
    }
    auto sock = os.network->openUdp(false);
    ASSERT_NE(sock, nullptr);
    const uint8_t d[] = {0};
    ASSERT_TRUE(sock->sendTo(kLoopback, closedPort, d, sizeof d));
    int w = sock->waitReadable(300);
    EXPECT_NE(w, -1);
    if (w == 1) {
        uint8_t buffer[16];
        Received info;
        EXPECT_TRUE(sock->receive(buffer, sizeof buffer, info)) << "WSAECONNRESET leaked through";
    }
}

TEST_F(Win32Platform, ThreadsRunTheirBodyElsewhere) {
    const DWORD caller = GetCurrentThreadId();
    DWORD ran = caller;
    ASSERT_TRUE(os.threads->runAndWait([&] {
        Sleep(50); // a waiter that did not wait would see `ran` unchanged
        ran = GetCurrentThreadId();
    }));
    EXPECT_NE(ran, caller);

    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> detached{caller};
    ASSERT_TRUE(os.threads->startDetached([&] {
        detached = GetCurrentThreadId();
        SetEvent(done);
    }));
    EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    EXPECT_NE(detached.load(), caller);
    CloseHandle(done);
}

TEST_F(Win32Platform, PostedCompletionsKeepTheirSignedValues) {
    qs::wine::MessageWindow window;
    ASSERT_TRUE(window.valid());
    os.poster->post(window.handle(), 1054, -106, -3);
    auto c = window.waitFor(1054, 2000);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->wparam, -106);
    EXPECT_EQ(c->lparam, -3);
}

TEST_F(Win32Platform, ClockFollowsSleeps) {
    const int64_t start = os.clock->nowMs();
    os.clock->sleepMs(100);
    EXPECT_GE(os.clock->nowMs() - start, 90);
}

} // namespace
