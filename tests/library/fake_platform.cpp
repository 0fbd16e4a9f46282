#include "fake_platform.h"

#include "quaystone/quaystone.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qs::test {

std::unique_ptr<UdpSocket> FakeNetwork::openUdp(bool broadcast) {
    if (throwOnOpen) throw std::bad_alloc();
    if (failOpen) return nullptr;
    return std::make_unique<FakeSocket>(*this, broadcast);
}

bool FakeSocket::sendTo(uint32_t address, uint16_t port, const uint8_t *data, size_t length) {
    if (net_.failSend) return false;
    std::vector<uint8_t> bytes(data, data + length);
    {
        std::lock_guard lock(net_.mutex_);
        net_.sent_.push_back(SentDatagram{net_.clock_.nowMs(), address, port, bytes, broadcast_});
    }
    const Peer &peer = port == 4449 ? net_.peer : net_.tftpPeer;
    if (peer)
        for (auto &d : peer(address, bytes))
            inbox_.push_back(std::move(d));
    return true;
}

int FakeSocket::waitReadable(int timeoutMs) {
    if (net_.failWait) return -1;
    if (!inbox_.empty()) return 1;
    net_.clock_.advance(timeoutMs);
    return 0;
}

bool FakeSocket::receive(uint8_t *buffer, size_t capacity, Received &info) {
    if (net_.failReceive || inbox_.empty()) return false;
    Datagram d = std::move(inbox_.front());
    inbox_.pop_front();
    size_t n = std::min(capacity, d.bytes.size());
    std::memcpy(buffer, d.bytes.data(), n);
    info.length = d.realLength ? d.realLength : d.bytes.size();
    info.truncated = info.length > capacity;
    info.fromAddress = d.from;
    info.fromPort = d.fromPort;
    return true;
}

bool ManualThreads::startDetached(std::function<void()> body) {
    if (throwOnCreate) throw std::bad_alloc();
    if (failCreate) return false;
    if (whileStarting) whileStarting();
    pending_.push_back(std::move(body));
    return true;
}

bool ManualThreads::runAndWait(std::function<void()> body) {
    if (throwOnCreate) throw std::bad_alloc();
    if (failCreate) return false;
    body();
    return true;
}

int ManualThreads::runPending() {
    int n = 0;
    while (!pending_.empty()) {
        auto body = std::move(pending_.front());
        pending_.pop_front();
        body();
        ++n;
    }
    return n;
}

FakePlatform::FakePlatform() {
    KZV_Cleanup();
    setPlatform(Platform{&clock, &network, &threads, &poster});
}

FakePlatform::~FakePlatform() {
    threads.runPending();
    KZV_Cleanup();
    setPlatform(systemPlatform());
}

} // namespace qs::test
