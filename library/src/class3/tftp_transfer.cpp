#include "class3/tftp_transfer.h"

namespace qs::class3 {

namespace {

constexpr uint32_t kBroadcast = 0xFFFFFFFF;

} // namespace

UnicastTransfer UnicastTransfer::read(uint32_t router, const std::string &fileName) {
    UnicastTransfer t(true, router, makeRequest(kReadRequest, fileName));
    t.expected_ = 1;
    return t;
}

UnicastTransfer UnicastTransfer::write(uint32_t router, const std::string &fileName,
                                       std::vector<uint8_t> payload) {
    UnicastTransfer t(false, router, makeRequest(kWriteRequest, fileName));
    t.payload_ = std::move(payload);
    t.expected_ = 0;
    return t;
}

Outgoing UnicastTransfer::start() {
    return send(Endpoint{router_, kTftpPort}, request_);
}

Outgoing UnicastTransfer::send(Endpoint to, std::vector<uint8_t> bytes) {
    last_ = Outgoing{to, std::move(bytes)};
    return last_;
}

bool UnicastTransfer::accepts(Endpoint from) const {
    return peer_ ? from == *peer_ : from.address == router_;
}

std::optional<Outgoing> UnicastTransfer::onDatagram(Endpoint from,
                                                    std::span<const uint8_t> datagram) {
    if (status_ != kTransferRunning || !accepts(from)) return std::nullopt;
    Packet p = parsePacket(datagram);
    if (p.opcode == kError) {
        peer_ = from;
        result_.sender = from.address;
        result_.isError = true;
        result_.errorCode = p.number;
        result_.bytes.assign(p.body.begin(), p.body.end());
        status_ = kTransferDone;
        return std::nullopt;
    }
    return reading_ ? onRead(from, p) : onWrite(from, p);
}

std::optional<Outgoing> UnicastTransfer::onRead(Endpoint from, const Packet &p) {
    if (p.opcode != kData) {
        status_ = kTransferUnexpected;
        return std::nullopt;
    }
    // The block acknowledged last, again: our acknowledgement was lost, and the router repeats
    // the block until one arrives. Acknowledge it again (without storing it twice), or the
    // router keeps repeating and gives up while the transfer waits for a block it never sends.
    if (acked_ != 0 && p.number == acked_) return send(from, makeAck(acked_));
    if (p.number != expected_) return std::nullopt; // out of order: wait for the right one
    peer_ = from;
    if (result_.bytes.size() + p.body.size() > kTftpMaxData) {
        status_ = kTransferUnexpected;
        return std::nullopt;
    }
    result_.sender = from.address;
    result_.bytes.insert(result_.bytes.end(), p.body.begin(), p.body.end());
    acked_ = expected_;
    Outgoing ack = send(from, makeAck(expected_));
    if (p.body.size() < kBlockSize)
        status_ = kTransferDone;
    else
        ++expected_;
    return ack;
}

size_t UnicastTransfer::blockLength(uint16_t block) const {
    const size_t offset = static_cast<size_t>(block - 1) * kBlockSize;
    if (offset >= payload_.size()) return 0;
    return std::min(kBlockSize, payload_.size() - offset);
}

std::optional<Outgoing> UnicastTransfer::onWrite(Endpoint from, const Packet &p) {
    // A repeated acknowledgement is ignored, so a block is never sent twice because of it.
    if (p.opcode != kAck || p.number != expected_) return std::nullopt;
    peer_ = from;
    result_.sender = from.address;
    if (expected_ != 0 && blockLength(expected_) < kBlockSize) {
        status_ = kTransferDone;
        return std::nullopt;
    }
    ++expected_;
    const size_t offset = static_cast<size_t>(expected_ - 1) * kBlockSize;
    std::span<const uint8_t> block(payload_.data() + std::min(offset, payload_.size()),
                                   blockLength(expected_));
    return send(from, makeData(expected_, block));
}

std::optional<Outgoing> UnicastTransfer::onSilence() {
    if (status_ != kTransferRunning) return std::nullopt;
    if (retransmissions_ == kTftpRetransmissions) {
        status_ = kTransferNoAnswer;
        return std::nullopt;
    }
    ++retransmissions_;
    return last_;
}

BroadcastRead::BroadcastRead(const std::string &fileName)
    : request_(makeRequest(kReadRequest, fileName)) {}

Outgoing BroadcastRead::start() {
    return Outgoing{Endpoint{kBroadcast, kTftpPort}, request_};
}

std::optional<Outgoing> BroadcastRead::onDatagram(Endpoint from,
                                                  std::span<const uint8_t> datagram) {
    if (status_ != kTransferRunning) return std::nullopt;
    Sender *s = nullptr;
    for (auto &known : senders_)
        if (known.result.sender == from.address) s = &known;
    if (!s) {
        if (senders_.size() == kTftpMaxSenders) return std::nullopt;
        senders_.push_back(Sender{});
        s = &senders_.back();
        s->result.sender = from.address;
    }
    if (s->abandoned) return std::nullopt;
    Packet p = parsePacket(datagram);
    // A repeated block whose acknowledgement was lost is acknowledged again, also after the
    // sender's last block: the router is still waiting for that acknowledgement.
    if (p.opcode == kData && s->acked != 0 && p.number == s->acked)
        return Outgoing{from, makeAck(s->acked)};
    if (s->complete) return std::nullopt;
    if (p.opcode == kError) {
        s->result.isError = true;
        s->result.errorCode = p.number;
        s->result.bytes.assign(p.body.begin(), p.body.end());
        s->complete = true;
        return std::nullopt;
    }
    if (p.opcode != kData || p.number != s->expected) return std::nullopt;
    if (s->result.bytes.size() + p.body.size() > kTftpMaxData) {
        s->abandoned = true;
        return std::nullopt;
    }
    s->result.bytes.insert(s->result.bytes.end(), p.body.begin(), p.body.end());
    s->acked = s->expected;
    Outgoing ack{from, makeAck(s->expected)};
    if (p.body.size() < kBlockSize)
        s->complete = true;
    else
        ++s->expected;
    return ack;
}

std::vector<TransferResult> BroadcastRead::completed() const {
    std::vector<TransferResult> out;
    for (const auto &s : senders_)
        if (s.complete) out.push_back(s.result);
    return out;
}

} // namespace qs::class3
