#include "class2/exchange.h"

#include "class2/datagram.h"

namespace qs::class2 {

namespace {

constexpr uint32_t kBroadcastAddress = 0xFFFFFFFF;

bool receiveOne(UdpSocket &sock, std::vector<uint8_t> &bytes, Received &info) {
    bytes.assign(kReceiveBuffer, 0);
    if (!sock.receive(bytes.data(), bytes.size(), info)) return false;
    bytes.resize(info.truncated ? kReceiveBuffer : info.length);
    return true;
}

} // namespace

Reply unicastExchange(Network &net, uint32_t address, const std::vector<uint8_t> &request) {
    Reply r;
    auto sock = net.openUdp(false);
    if (!sock) {
        r.transport = kSocketFailure;
        return r;
    }
    if (!sock->sendTo(address, kPort, request.data(), request.size())) {
        r.transport = kSocketFailure;
        return r;
    }
    int resent = 0;
    for (;;) {
        int w = sock->waitReadable(kWaitMs);
        if (w < 0) {
            r.transport = kSocketFailure;
            return r;
        }
        if (w > 0) {
            Received info;
            if (!receiveOne(*sock, r.bytes, info)) {
                r.transport = kSocketFailure;
                return r;
            }
            r.truncated = info.truncated;
            r.transport = kReplied;
            return r;
        }
        if (resent == kRetransmissions) {
            r.transport = kNoReply;
            return r;
        }
        ++resent;
        if (!sock->sendTo(address, kPort, request.data(), request.size())) {
            r.transport = kSocketFailure;
            return r;
        }
    }
}

int broadcastExchange(Network &net, const std::vector<uint8_t> &request,
                      std::vector<Sender> &collection) {
    auto sock = net.openUdp(true);
    if (!sock) return kSocketFailure;
    if (!sock->sendTo(kBroadcastAddress, kPort, request.data(), request.size()))
        return kSocketFailure;
    for (;;) {
        int w = sock->waitReadable(kWaitMs);
        if (w < 0) return kSocketFailure;
        if (w == 0) return kReplied;
        Sender s;
        Received info;
        if (!receiveOne(*sock, s.bytes, info)) return kSocketFailure;
        s.address = info.fromAddress;
        s.truncated = info.truncated;
        bool known = false;
        for (auto &c : collection) {
            if (c.address == s.address) {
                c = std::move(s);
                known = true;
                break;
            }
        }
        // Further senders are ignored once the collection is full; the search still waits for
        // the second of silence so that late repeats do not leak into the next exchange.
        if (!known && collection.size() < kMaxSenders) collection.push_back(std::move(s));
    }
}

int failureCode(const Reply &r) {
    return r.transport == kNoReply ? KZV_E_NO_ANSWER : KZV_E_FAIL;
}

} // namespace qs::class2
