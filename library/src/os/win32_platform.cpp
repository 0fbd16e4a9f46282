// Windows implementation of the OS layer: Winsock 1.1 sockets with select, native threads
// (created suspended, then resumed), Sleep, GetLocalTime and PostMessageA.
#include "os/platform.h"

// winsock2.h must come before windows.h, which would otherwise pull in the old winsock.h.
#include <winsock2.h>

#include <mswsock.h>
#include <windows.h>

namespace qs {

namespace {

class SystemClock final : public Clock {
  public:
    // The performance counter rather than the tick count, which moves in steps of 10 to 16 ms.
    int64_t nowMs() override {
        LARGE_INTEGER count{}, frequency{};
        QueryPerformanceCounter(&count);
        QueryPerformanceFrequency(&frequency);
        const int64_t c = count.QuadPart, f = frequency.QuadPart;
        return c / f * 1000 + c % f * 1000 / f;
    }
    void sleepMs(int ms) override { Sleep(static_cast<DWORD>(ms)); }
    LocalTime localTime() override {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        return LocalTime{st.wHour, st.wMinute, st.wSecond};
    }
};

class WinsockUdpSocket final : public UdpSocket {
  public:
    explicit WinsockUdpSocket(SOCKET s) : s_(s) {}
    ~WinsockUdpSocket() override { closesocket(s_); }

    bool sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t length) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(address);
        int n = ::sendto(s_, reinterpret_cast<const char *>(data), static_cast<int>(length), 0,
                         reinterpret_cast<sockaddr *>(&to), sizeof to);
        return n == static_cast<int>(length);
    }

    int waitReadable(int timeoutMs) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s_, &readable);
        timeval tv{};
        tv.tv_sec = timeoutMs / 1000;
        tv.tv_usec = (timeoutMs % 1000) * 1000;
        int r = ::select(0, &readable, nullptr, nullptr, &tv);
        if (r == SOCKET_ERROR) return -1;
        return r > 0 ? 1 : 0;
    }

    bool receive(uint8_t *buffer, size_t capacity, Received &info) override {
        sockaddr_in from{};
        int fromLen = sizeof from;
        int n = ::recvfrom(s_, reinterpret_cast<char *>(buffer), static_cast<int>(capacity), 0,
                           reinterpret_cast<sockaddr *>(&from), &fromLen);
        if (n == SOCKET_ERROR) {
            // Winsock fills the buffer and then fails an oversized datagram with WSAEMSGSIZE,
            // without telling its real length. Report the least length it can have, so that it
            // reads as truncated rather than as a shorter valid datagram.
            if (WSAGetLastError() != WSAEMSGSIZE) return false;
            info.length = capacity + 1;
        } else {
            info.length = static_cast<size_t>(n);
        }
        info.truncated = info.length > capacity;
        info.fromAddress = ntohl(from.sin_addr.s_addr);
        info.fromPort = ntohs(from.sin_port);
        return true;
    }

  private:
    SOCKET s_;
};

class WinsockNetwork final : public Network {
  public:
    bool startup() override {
        WSADATA data{};
        if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
        // A layer that can only offer some other version is not one the library can speak to.
        if (data.wVersion != MAKEWORD(1, 1)) {
            WSACleanup();
            return false;
        }
        return true;
    }

    void cleanup() override { WSACleanup(); }

    std::unique_ptr<UdpSocket> openUdp(bool broadcast) override {
        SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET) return nullptr;
        auto sock = std::make_unique<WinsockUdpSocket>(s);
        if (broadcast) {
            BOOL on = TRUE;
            if (::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char *>(&on),
                             sizeof on) != 0)
                return nullptr;
        }
        // Since Windows 2000 an ICMP "port unreachable" for an earlier datagram makes the next
        // recvfrom fail with WSAECONNRESET. A silent or absent router must read as no answer, as
        // it does with BSD sockets, not as a socket failure. Where the option is unknown the old
        // behaviour is already the wanted one, so its result does not matter.
        BOOL reportResets = FALSE;
        DWORD returned = 0;
        WSAIoctl(s, SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0, &returned,
                 nullptr, nullptr);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(s, reinterpret_cast<sockaddr *>(&any), sizeof any) != 0) return nullptr;
        return sock;
    }
};

DWORD WINAPI runBody(void *param) {
    auto *body = static_cast<std::function<void()> *>(param);
    (*body)();
    return 0;
}

DWORD WINAPI runOwnedBody(void *param) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()> *>(param));
    (*body)();
    return 0;
}

// The thread starts suspended so that it exists, with its handle in hand, before it runs.
HANDLE startSuspended(LPTHREAD_START_ROUTINE routine, void *param) {
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, routine, param, CREATE_SUSPENDED, &id);
    if (!h) return nullptr;
    if (ResumeThread(h) == static_cast<DWORD>(-1)) {
        // A thread that never ran still owns nothing; ending it is safe.
        TerminateThread(h, 0);
        CloseHandle(h);
        return nullptr;
    }
    return h;
}

class Win32Threads final : public Threads {
  public:
    bool startDetached(std::function<void()> body) override {
        std::unique_ptr<std::function<void()>> owned;
        try {
            owned = std::make_unique<std::function<void()>>(std::move(body));
        } catch (...) {
            return false;
        }
        HANDLE h = startSuspended(runOwnedBody, owned.get());
        if (!h) return false;
        owned.release(); // the thread frees it
        CloseHandle(h);
        return true;
    }

    bool runAndWait(std::function<void()> body) override {
        HANDLE h = startSuspended(runBody, &body);
        if (!h) return false;
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
        return true;
    }
};

class Win32Poster final : public Poster {
  public:
    void post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam) override {
        PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(window)), message,
                     static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
    }
};

} // namespace

Platform systemPlatform() {
    static SystemClock clock;
    static WinsockNetwork network;
    static Win32Threads threads;
    static Win32Poster poster;
    return Platform{&clock, &network, &threads, &poster};
}

} // namespace qs
