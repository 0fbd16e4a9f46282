// TFTP transfers as pure state machines: the caller feeds received datagrams and silent
// seconds, and sends what they return. One class per kind of transfer.
#pragma once

#include "class3/tftp_packet.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qs::class3 {

struct Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
    bool operator==(const Endpoint &) const = default;
};

struct Outgoing {
    Endpoint to;
    std::vector<uint8_t> bytes;
};

// Transfer statuses.
constexpr int kTransferRunning = 1;
constexpr int kTransferDone = 0;
constexpr int kTransferUnexpected = -2;
constexpr int kTransferSocketFailure = -3;
constexpr int kTransferNoAnswer = -4;

constexpr int kTftpRetransmissions = 3;
constexpr size_t kTftpMaxSenders = 64;
// No router file comes near this; a peer that keeps sending is cut off rather than buffered.
constexpr size_t kTftpMaxData = 64 * 1024;

struct TransferResult {
    uint32_t sender = 0;
    bool isError = false;
    uint16_t errorCode = 0;
    std::vector<uint8_t> bytes; // the file's data, or the error message without its NUL
    // The length the command layer sees: an error message counts its terminator.
    size_t length() const { return isError ? bytes.size() + 1 : bytes.size(); }
};

// A read or write with one router. Its first answer must come from the router's address; from
// then on only that address and port take part, and anything else is dropped unseen.
class UnicastTransfer {
  public:
    static UnicastTransfer read(uint32_t router, const std::string &fileName);
    static UnicastTransfer write(uint32_t router, const std::string &fileName,
                                 std::vector<uint8_t> payload);

    Outgoing start();
    std::optional<Outgoing> onDatagram(Endpoint from, std::span<const uint8_t> datagram);
    // A second passed with nothing to read.
    std::optional<Outgoing> onSilence();

    int status() const { return status_; }
    const TransferResult &result() const { return result_; }

  private:
    UnicastTransfer(bool reading, uint32_t router, std::vector<uint8_t> request)
        : reading_(reading), router_(router), request_(std::move(request)) {}
    std::optional<Outgoing> onRead(Endpoint from, const Packet &p);
    std::optional<Outgoing> onWrite(Endpoint from, const Packet &p);
    bool accepts(Endpoint from) const;
    Outgoing send(Endpoint to, std::vector<uint8_t> bytes);
    size_t blockLength(uint16_t block) const;

    bool reading_;
    uint32_t router_;
    std::vector<uint8_t> request_;
    std::vector<uint8_t> payload_;
    std::optional<Endpoint> peer_;
    uint16_t expected_ = 0; // block to read, or acknowledgement to wait for
    uint16_t acked_ = 0;    // the last block a read acknowledged; 0 before the first
    int retransmissions_ = 0;
    Outgoing last_;
    int status_ = kTransferRunning;
    TransferResult result_;
};

// The discovery read: one request to everybody, then a transfer per answering address.
class BroadcastRead {
  public:
    explicit BroadcastRead(const std::string &fileName);

    Outgoing start();
    std::optional<Outgoing> onDatagram(Endpoint from, std::span<const uint8_t> datagram);
    void onSilence() { status_ = kTransferDone; }

    int status() const { return status_; }
    // Senders whose transfer completed, in order of first arrival.
    std::vector<TransferResult> completed() const;

  private:
    struct Sender {
        TransferResult result;
        uint16_t expected = 1;
        uint16_t acked = 0; // the last block acknowledged; 0 before the first
        bool complete = false;
        bool abandoned = false;
    };
    std::vector<uint8_t> request_;
    std::vector<Sender> senders_;
    int status_ = kTransferRunning;
};

} // namespace qs::class3
