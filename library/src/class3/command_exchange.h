// One class 3 command: the file name, the TFTP transfer and what the router's answer means.
#pragma once

#include "class3/file_name.h"
#include "class3/router_files.h"
#include "class3/scramble.h"
#include "class3/text_answer.h"
#include "os/platform.h"

#include <optional>
#include <vector>

namespace qs::class3 {

// Results of one command exchange.
enum ExchangeResult {
    kExchangeOk = 0,
    kExchangeFailure = -1,      // socket failure or unexpected transfer outcome
    kExchangeUnrecognised = -2, // an answer that does not fit the command
    kExchangeNoAnswer = -3,
    kExchangeWrongLength = -4,
    kExchangeRefused = -5, // a recognised refusal text; see refusal
    kExchangeAuthRefused = -6,
    kExchangeStale = -7,
};

// What an operation knows of its router while it runs.
struct Session {
    Network &network;
    uint32_t router = 0;
    AuthContext auth;
    ScrambleContext scramble;
};

struct ExchangeOutcome {
    int result = kExchangeFailure;
    int refusal = 0;                    // with kExchangeRefused
    std::optional<Challenge> challenge; // with kExchangeAuthRefused from a search
    std::optional<SearchFile> search;   // with kExchangeOk from a search
    std::vector<uint8_t> status;        // with kExchangeOk from a status read, unscrambled
};

// "connect", "disconnect", "changeaccount" or "clearstatus" with its 16-bit argument.
ExchangeOutcome writeCommand(Session &s, Command c, uint16_t argument);
ExchangeOutcome readStatus(Session &s);
ExchangeOutcome searchRouter(Session &s);

// The refusal code of an answer text for a command; nothing when the text is not one of them.
std::optional<int> refusalCode(Command c, const std::string &text);

// The four bytes a write carries: the scrambling seed and the argument, scrambled together.
std::vector<uint8_t> writePayload(const ScrambleContext &ctx, uint16_t argument);

} // namespace qs::class3
