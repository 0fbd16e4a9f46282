#include "class3/command_exchange.h"

#include "class3/tftp_client.h"

#include <utility>

namespace qs::class3 {

namespace {

constexpr uint16_t kCodeAnswer = 0;
constexpr uint16_t kCodeStale = 3;
constexpr uint16_t kCodeAuthenticate = 7;

int transferFailure(int status) {
    return status == kTransferNoAnswer ? kExchangeNoAnswer : kExchangeFailure;
}

bool readsAsTextAnswer(const std::vector<uint8_t> &data) {
    return parseTextAnswer(data).has_value();
}

} // namespace

std::optional<int> refusalCode(Command c, const std::string &text) {
    static const std::pair<const char *, int> dialling[] = {{"non use port", 0},
                                                            {"leased line", 1},
                                                            {"ras server", 2},
                                                            {"non active port", 3},
                                                            {"active port", 5}};
    static const std::pair<const char *, int> destination[] = {{"active port", 1},
                                                               {"illegal parameter", 2},
                                                               {"not account number", 3},
                                                               {"not change account", 4},
                                                               {"non use port", 5}};
    if (c == Command::Connect || c == Command::Disconnect) {
        for (auto [t, code] : dialling)
            if (text == t) return code;
    } else if (c == Command::ChangeAccount) {
        for (auto [t, code] : destination)
            if (text == t) return code;
    }
    return std::nullopt;
}

std::vector<uint8_t> writePayload(const ScrambleContext &ctx, uint16_t argument) {
    std::vector<uint8_t> p = {static_cast<uint8_t>(ctx.seed), static_cast<uint8_t>(ctx.seed >> 8),
                              static_cast<uint8_t>(argument), static_cast<uint8_t>(argument >> 8)};
    scramble(p, ctx);
    return p;
}

ExchangeOutcome writeCommand(Session &s, Command c, uint16_t argument) {
    auto transfer =
        UnicastTransfer::write(s.router, fileName(s.auth, c), writePayload(s.scramble, argument));
    ExchangeOutcome o;
    int status = runTransfer(s.network, transfer);
    if (status != kTransferDone) return o.result = transferFailure(status), o;
    const TransferResult &r = transfer.result();
    if (!r.isError) return o.result = kExchangeOk, o;
    switch (r.errorCode) {
    case kCodeAuthenticate:
        o.result = kExchangeAuthRefused;
        break;
    case kCodeStale:
        o.result = kExchangeStale;
        break;
    case kCodeAnswer: {
        auto answer = parseTextAnswer(r.bytes);
        auto code = answer ? refusalCode(c, answer->rest) : std::nullopt;
        if (code) {
            o.result = kExchangeRefused;
            o.refusal = *code;
        } else {
            o.result = kExchangeUnrecognised;
        }
        break;
    }
    default:
        o.result = kExchangeUnrecognised;
    }
    return o;
}

ExchangeOutcome readStatus(Session &s) {
    auto transfer = UnicastTransfer::read(s.router, fileName(s.auth, Command::GetStatus));
    ExchangeOutcome o;
    int status = runTransfer(s.network, transfer);
    if (status != kTransferDone) return o.result = transferFailure(status), o;
    const TransferResult &r = transfer.result();
    if (r.isError) {
        o.result = r.errorCode == kCodeAuthenticate ? kExchangeAuthRefused : kExchangeUnrecognised;
        return o;
    }
    if (readsAsTextAnswer(r.bytes)) return o.result = kExchangeUnrecognised, o;
    auto file = unscrambleStatusFile(r.bytes, s.scramble);
    if (!file) return o.result = kExchangeWrongLength, o;
    // The echo shows which seed the router scrambled with; another one means ours went stale.
    if (statusSeedEcho(*file) != s.scramble.seed) return o.result = kExchangeStale, o;
    o.status = std::move(*file);
    o.result = kExchangeOk;
    return o;
}

ExchangeOutcome searchRouter(Session &s) {
    auto transfer = UnicastTransfer::read(s.router, fileName(s.auth, Command::Search));
    ExchangeOutcome o;
    int status = runTransfer(s.network, transfer);
    if (status != kTransferDone) return o.result = transferFailure(status), o;
    const TransferResult &r = transfer.result();
    if (r.isError) {
        o.challenge = r.errorCode == kCodeAuthenticate ? parseChallenge(r.bytes) : std::nullopt;
        o.result = o.challenge ? kExchangeAuthRefused : kExchangeUnrecognised;
        return o;
    }
    if (readsAsTextAnswer(r.bytes)) return o.result = kExchangeUnrecognised, o;
    o.search = readSearchFile(r.bytes);
    o.result = o.search ? kExchangeOk : kExchangeWrongLength;
    return o;
}

} // namespace qs::class3
