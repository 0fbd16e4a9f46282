#include "class3/operations.h"

#include "capability.h"
#include "class2/datagram.h"
#include "class3/command_exchange.h"
#include "class3/tftp_client.h"

#include <cstring>

namespace qs::class3 {

namespace {

constexpr int kRenewals = 3;
constexpr int kUnansweredReads = 3;
constexpr int kPollMs = 3000;

AuthContext authOf(const RouterRecord &r) {
    AuthContext a;
    a.seed = r.auth_seed;
    a.keyId = r.key_id;
    a.modelCode = r.model_code;
    a.userLength = r.user_length;
    std::memcpy(a.user, r.user, sizeof a.user);
    a.passwordLength = r.password_length;
    std::memcpy(a.password, r.password, sizeof a.password);
    return a;
}

Session sessionOf(Context &ctx, const RouterRecord &r) {
    return Session{ctx.network, r.address, authOf(r),
                   ScrambleContext{r.scramble_seed, r.key_id, r.model_code}};
}

bool needsRenewal(int result) {
    return result == kExchangeAuthRefused || result == kExchangeStale;
}

// Authentication renewal with its per-phase budget. renew() returns 0 when the contexts were
// renewed and the step may be repeated, else the library result that ends the operation.
class Renewer {
  public:
    explicit Renewer(Session &s) : s_(s) {}
    void reset() { count_ = 0; }

    int renew() {
        if (count_ == kRenewals) return KZV_E_REFUSED;
        ++count_;
        ExchangeOutcome o = searchRouter(s_);
        if (o.result == kExchangeOk) {
            s_.scramble = o.search->scramble;
            return 0;
        }
        if (o.result == kExchangeAuthRefused) {
            s_.auth.seed = o.challenge->seed;
            s_.auth.keyId = o.challenge->keyId;
            s_.auth.modelCode = o.challenge->modelCode;
            return 0;
        }
        failure_ = o.result;
        return o.result == kExchangeNoAnswer ? KZV_E_NO_ANSWER : KZV_E_FAIL;
    }

    int failure() const { return failure_; }

  private:
    Session &s_;
    int count_ = 0;
    int failure_ = 0;
};

// How the sequences post a renewal that did not work out.
Completion renewalFailure(int code, const Renewer &r) {
    if (code == KZV_E_REFUSED) return {KZV_E_REFUSED, 0};
    if (code == KZV_E_NO_ANSWER) return {KZV_E_NO_ANSWER, 0};
    return {KZV_E_FAIL, r.failure()};
}

struct SequenceRules {
    Command command;
    uint16_t before;   // the state the line must be in to start
    uint16_t target;   // the state that ends the sequence well
    int32_t stateCode; // -106 or -107
    int32_t timeoutCode;
};

Completion runSequence(Context &ctx, Request &req, const SequenceRules &rules) {
    Session s = sessionOf(ctx, req.record);
    Renewer renewer(s);
    const int port = req.port;

    // Phase 0: the line must be ready. Silence is retried, but not forever: the busy slot is
    // held meanwhile.
    for (int unanswered = 0;;) {
        ExchangeOutcome o = readStatus(s);
        if (o.result == kExchangeOk) {
            uint16_t state = portState(o.status, port, false);
            if (state != rules.before) return {rules.stateCode, state};
            break;
        }
        if (needsRenewal(o.result)) {
            if (int rc = renewer.renew()) return renewalFailure(rc, renewer);
            continue;
        }
        if (o.result == kExchangeNoAnswer) {
            if (++unanswered == kUnansweredReads) return {KZV_E_NO_ANSWER, 0};
            continue;
        }
        return {KZV_E_FAIL, o.result};
    }

    // Phase 1: the command.
    renewer.reset();
    for (;;) {
        ExchangeOutcome o = writeCommand(s, rules.command, static_cast<uint16_t>(port + 1));
        if (o.result == kExchangeOk) break;
        if (o.result == kExchangeRefused) return {rules.stateCode, o.refusal};
        if (needsRenewal(o.result)) {
            if (int rc = renewer.renew()) return renewalFailure(rc, renewer);
            continue;
        }
        if (o.result == kExchangeNoAnswer) return {KZV_E_NO_ANSWER, 0};
        return {KZV_E_FAIL, o.result};
    }
    const int64_t started = ctx.clock.nowMs() / 1000;

    // Phase 2: wait for the line to settle.
    renewer.reset();
    for (int unanswered = 0;;) {
        ExchangeOutcome o = readStatus(s);
        if (o.result == kExchangeOk) {
            uint16_t state = portState(o.status, port, false);
            if (state == rules.target) return {KZV_OK, state};
            if (state != LINE_BUSY) return {rules.stateCode, state};
            unanswered = 0;
            ctx.clock.sleepMs(kPollMs);
            if (ctx.clock.nowMs() / 1000 - started > req.timeLimitSeconds)
                return {rules.timeoutCode, LINE_BUSY};
            continue;
        }
        if (needsRenewal(o.result)) {
            if (int rc = renewer.renew()) return renewalFailure(rc, renewer);
            continue;
        }
        if (o.result == kExchangeNoAnswer) {
            if (++unanswered == kUnansweredReads) return {KZV_E_NO_ANSWER, 0};
            continue;
        }
        return {KZV_E_FAIL, o.result};
    }
}

// A synchronous command with renewals: the exchange's outcome, or the library result that ended
// it early in `ended`.
template <typename Exchange>
ExchangeOutcome withRenewals(Session &s, Exchange exchange, int &ended) {
    Renewer renewer(s);
    ended = 0;
    for (;;) {
        ExchangeOutcome o = exchange();
        if (!needsRenewal(o.result)) return o;
        if (int rc = renewer.renew()) {
            ended = rc;
            return o;
        }
    }
}

int simpleResult(const ExchangeOutcome &o, int ended) {
    if (ended) return ended;
    if (o.result == kExchangeOk) return KZV_OK;
    if (o.result == kExchangeNoAnswer) return KZV_E_NO_ANSWER;
    return KZV_E_FAIL;
}

void fillFromSearch(RouterRecord &record, const SearchFile &f) {
    std::memset(&record, 0, sizeof record);
    applySearchFile(record, f);
}

} // namespace

int search(Context &ctx, Request &req) {
    BroadcastRead read(fileName(AuthContext{}, Command::Search));
    if (runBroadcast(ctx.network, read) != kTransferDone) return KZV_E_FAIL;
    for (const TransferResult &r : read.completed()) {
        RouterRecord record;
        std::memset(&record, 0, sizeof record);
        if (r.isError) {
            if (r.errorCode != 7) continue;
            auto ch = parseChallenge(r.bytes);
            if (!ch) continue;
            record.address = r.sender;
            record.model_code = ch->modelCode;
            record.key_id = ch->keyId;
            record.auth_seed = ch->seed;
            record.auth_flag = 1;
            record.from_challenge = 1;
        } else {
            if (parseTextAnswer(r.bytes)) continue;
            auto f = readSearchFile(r.bytes);
            if (!f) continue;
            fillFromSearch(record, *f);
        }
        if (!offers(record.model_code, kOpFind) || !class2::acceptableKeyId(record.key_id))
            continue;
        if (!req.list->append(record)) break;
    }
    return KZV_OK;
}

Completion connectSequence(Context &ctx, Request &req) {
    return runSequence(
        ctx, req,
        {Command::Connect, LINE_IDLE, LINE_CONNECTED, KZV_E_CONNECT_STATE, KZV_E_TIMEOUT});
}

Completion disconnectSequence(Context &ctx, Request &req) {
    return runSequence(ctx, req,
                       {Command::Disconnect, LINE_CONNECTED, LINE_IDLE, KZV_E_DISCONNECT_STATE,
                        KZV_E_DISCONNECT_TIMEOUT});
}

int readCondition(Context &ctx, Request &req) {
    Session s = sessionOf(ctx, req.record);
    int ended = 0;
    ExchangeOutcome o = withRenewals(
        s, [&] { return readStatus(s); }, ended);
    if (ended) return ended;
    if (o.result != kExchangeOk) return simpleResult(o, 0);
    if (req.extended) {
        fillConditionEx(o.status, req.port, ctx.clock, *req.exOut);
        return portState(o.status, req.port, true);
    }
    fillPortCondition(o.status, req.port, req.record.ports[req.port]);
    return portState(o.status, req.port, false);
}

int changeSite(Context &ctx, Request &req) {
    Session s = sessionOf(ctx, req.record);
    int ended = 0;
    ExchangeOutcome o = withRenewals(
        s, [&] { return writeCommand(s, Command::ChangeAccount, req.site); }, ended);
    if (!ended && o.result == kExchangeRefused) return o.refusal;
    return simpleResult(o, ended);
}

int clearCounter(Context &ctx, Request &req) {
    Session s = sessionOf(ctx, req.record);
    int ended = 0;
    const auto argument = static_cast<uint16_t>(1u << req.port);
    ExchangeOutcome o = withRenewals(
        s, [&] { return writeCommand(s, Command::ClearStatus, argument); }, ended);
    return simpleResult(o, ended);
}

int setPassword(Context &ctx, Request &req) {
    Session s = sessionOf(ctx, req.record);
    const RouterCredentials &c = req.credentials;
    s.auth.userLength = c.user_length;
    std::memcpy(s.auth.user, c.user, sizeof s.auth.user);
    s.auth.passwordLength = c.password_length;
    std::memcpy(s.auth.password, c.password, sizeof s.auth.password);
    Renewer renewer(s);
    RouterRecord &r = req.record;
    for (;;) {
        ExchangeOutcome o = searchRouter(s);
        if (o.result == kExchangeOk) {
            applySearchFile(r, *o.search);
            r.user_length = c.user_length;
            std::memcpy(r.user, c.user, sizeof r.user);
            r.password_length = c.password_length;
            std::memcpy(r.password, c.password, sizeof r.password);
            r.auth_flag = 0;
            return KZV_OK;
        }
        if (o.result == kExchangeAuthRefused) {
            if (int rc = renewer.renew()) {
                if (rc != KZV_E_REFUSED) return rc;
                // Keep the router's last challenge, so the caller can see it asked again.
                r.auth_seed = o.challenge->seed;
                r.key_id = o.challenge->keyId;
                r.model_code = o.challenge->modelCode;
                r.auth_flag = 1;
                return KZV_E_REFUSED;
            }
            continue;
        }
        return o.result == kExchangeNoAnswer ? KZV_E_NO_ANSWER : KZV_E_FAIL;
    }
}

} // namespace qs::class3
