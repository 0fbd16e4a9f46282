// What one emulated router is: its identity, its two ports and the faults it is told to show.
// The configuration file, the control socket and the datagram handling all work on these.
// Class 2 and class 3 routers share the identity, the ports and the dial model; each class also
// has fields of its own, which the other leaves alone.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qs::emulator {

// Line states the routers report.
constexpr uint16_t kLineOff = 0;
constexpr uint16_t kLineIdle = 3;
constexpr uint16_t kLineBusy = 4;
constexpr uint16_t kLineConnected = 5;
constexpr uint16_t kLineConnectedEx = 21;

constexpr size_t kNameBytes = 32;
constexpr size_t kLongTextBytes = 128;
constexpr size_t kCredentialBytes = 20;

constexpr uint32_t kClass2DefaultModel = 0x23090;
constexpr uint32_t kClass3DefaultModel = 0x301400;

// Class 3 commands, in the order of Router::refusals.
enum Class3Command {
    kConnect3,
    kDisconnect3,
    kChangeAccount3,
    kGetStatus3,
    kClearStatus3,
    kSearch3,
    kClass3CommandCount,
};

// What a connect or hang-up command leads to.
struct Outcome {
    enum Kind {
        Complete, // after the delay: connected (dial) or idle (hang-up)
        StayBusy, // the line stays in state 4
        Refuse,   // the reply carries `value` as its result word; the line does not change
        EndIn,    // after the delay the line enters state `value` (a failed dial, or 21)
    };
    Kind kind = Complete;
    uint16_t value = 0;
    int64_t delayMs = 0;
};

// Traffic counters in the order the long status reply carries them after the connection time.
enum Counter {
    kBytesSent,
    kBytesReceived,
    kPacketsSent,
    kPacketsReceived,
    kErrorPackets,
    kConnectionTime, // tenths of a second
    kCounterCount,
};

struct Port {
    uint16_t state = kLineIdle;
    uint32_t statusFlags = 0;
    uint16_t site = 0;
    std::array<std::string, 4> siteNames;
    std::array<uint16_t, 4> siteRegistered{};
    uint16_t siteResult = 0; // result word of a change-destination reply

    uint16_t lineType = 1;
    uint32_t connectionMode = 0;
    uint32_t globalAddress = 0;
    uint16_t timerKind = 0;
    uint16_t timerHour = 0, timerMinute = 0, timerSecond = 0;
    uint32_t timerValue = 0;
    uint16_t statusValue1 = 0, statusValue2 = 0;
    std::string statusText1; // up to 128 bytes
    std::string statusText2; // up to 32 bytes
    // Class 3: the state bits sent instead of those the line state gives; -1 when derived.
    int32_t stateBits = -1;

    Outcome dial;
    Outcome hangup{Outcome::Complete, 0, 0};

    // Counters are kept in thousandths so that growth at any rate per second over any number of
    // milliseconds adds up exactly.
    std::array<uint64_t, kCounterCount> milliCounters{};
    std::array<uint32_t, kCounterCount> ratePerSecond{0, 0, 0, 0, 0, 10};

    // A dial or hang-up in progress: the state the line enters at `dueMs`.
    bool pending = false;
    uint16_t pendingState = 0;
    int64_t dueMs = 0;

    uint32_t counter(Counter c) const { return static_cast<uint32_t>(milliCounters[c] / 1000); }
    void setCounter(Counter c, uint32_t v) { milliCounters[c] = uint64_t{v} * 1000; }
};

struct Router {
    std::string id;        // the configuration section's name; how tests address the router
    int protocolClass = 2; // 2: datagrams on port 4449; 3: TFTP on port 69
    uint32_t address = 0;
    uint32_t mask = 0xFFFF0000;
    uint32_t model = kClass2DefaultModel;
    std::string name; // announced, up to 32 bytes
    uint16_t keyId = 0;
    uint16_t secondId = 0;
    uint16_t capability = 0x0011;
    // Fields of the information reply the router alone gives meaning to: sent as these bytes,
    // in this order, never through a byte-order conversion.
    std::array<uint8_t, 6> infoRaw{};
    std::array<uint8_t, 2> info30{};
    uint32_t info32 = 0;
    std::array<uint8_t, 2> info38{};
    std::array<uint8_t, 2> info40{};

    // Injected faults.
    bool silent = false;
    bool answerTwice = false; // to the search
    int32_t wrongLength = 0;  // bytes added to (or, negative, cut from) every reply
    uint32_t replyDelayMs = 0;
    bool oversize = false; // every reply padded beyond what a receiver's buffer holds
    std::array<Port, 2> ports;

    // Class 3 only. Both credentials empty: every request is authentic without a digest.
    std::string user;
    std::string password;
    uint16_t authSeed = 0;     // un-rotated; challenges send it rotated
    uint16_t scrambleSeed = 0; // un-rotated; 0: files and payloads travel plain
    std::array<uint8_t, 6> search48{};
    uint16_t search54 = 0;
    uint32_t search56 = 0;
    uint16_t search60 = 0, search62 = 0, search64 = 0, search66 = 0;
    uint16_t timerKind = 0; // the status file has one timer for the router
    uint32_t timerValue = 0;
    // A text answered (as error 0) instead of carrying out the command; empty: none.
    std::array<std::string, kClass3CommandCount> refusals;
    bool block2First = false;    // a read of several blocks starts with block 2
    bool unknownCommand = false; // every command but the search is answered as unknown
    uint32_t staleStatus = 0;    // so many status files carry a seed echo that does not match
    uint32_t staleWrites = 0;    // so many writes are answered with error 3

    int64_t lastAdvanceMs = 0; // up to when the counters and pending transitions are brought
};

} // namespace qs::emulator
