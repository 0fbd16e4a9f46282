#include "class3/tftp_client.h"

#include <array>

namespace qs::class3 {

namespace {

constexpr int kWaitMs = 1000;

bool sendOut(UdpSocket &sock, const Outgoing &o) {
    return sock.sendTo(o.to.address, o.to.port, o.bytes.data(), o.bytes.size());
}

// One received datagram, or nothing when the socket failed. A datagram too long for the buffer
// cannot be a packet of ours; it is handed on empty so that it reads as an unknown packet.
template <typename Handle> bool receiveInto(UdpSocket &sock, Handle handle) {
    std::array<uint8_t, kTftpBuffer> buffer{};
    Received info;
    if (!sock.receive(buffer.data(), buffer.size(), info)) return false;
    std::span<const uint8_t> bytes(buffer.data(), info.truncated ? 0 : info.length);
    handle(Endpoint{info.fromAddress, info.fromPort}, bytes);
    return true;
}

} // namespace

int runTransfer(Network &net, UnicastTransfer &transfer) {
    auto sock = net.openUdp(false);
    if (!sock || !sendOut(*sock, transfer.start())) return kTransferSocketFailure;
    while (transfer.status() == kTransferRunning) {
        int w = sock->waitReadable(kWaitMs);
        if (w < 0) return kTransferSocketFailure;
        std::optional<Outgoing> out;
        if (w == 0) {
            out = transfer.onSilence();
        } else if (!receiveInto(*sock, [&](Endpoint from, std::span<const uint8_t> b) {
                       out = transfer.onDatagram(from, b);
                   })) {
            return kTransferSocketFailure;
        }
        if (out && !sendOut(*sock, *out)) return kTransferSocketFailure;
    }
    return transfer.status();
}

int runBroadcast(Network &net, BroadcastRead &read) {
    auto sock = net.openUdp(true);
    if (!sock || !sendOut(*sock, read.start())) return kTransferSocketFailure;
    while (read.status() == kTransferRunning) {
        int w = sock->waitReadable(kWaitMs);
        if (w < 0) return kTransferSocketFailure;
        if (w == 0) {
            read.onSilence();
            continue;
        }
        std::optional<Outgoing> out;
        if (!receiveInto(*sock, [&](Endpoint from, std::span<const uint8_t> b) {
                out = read.onDatagram(from, b);
            }))
            return kTransferSocketFailure;
        if (out && !sendOut(*sock, *out)) return kTransferSocketFailure;
    }
    return read.status();
}

} // namespace qs::class3
