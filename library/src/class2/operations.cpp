#include "class2/operations.h"

#include "class2/datagram.h"
#include "class2/exchange.h"

#include <cstring>

namespace qs::class2 {

namespace {

struct Status {
    int code = 0; // 0, or -101 / -1
    uint16_t state = 0;
};

// The line state as the connect and disconnect sequences see it.
Status queryStatus(Context &ctx, const Request &req) {
    auto reply = unicastExchange(ctx.network, req.record.address,
                                 buildStatus(nextSequence(), req.record, req.port, false));
    if (reply.transport != kReplied) return Status{failureCode(reply), 0};
    if (reply.truncated) return Status{KZV_E_FAIL, 0};
    if (usesLongStatus(req.record.model_code)) {
        auto s = longStatusState(reply.bytes);
        if (!s) return Status{KZV_E_FAIL, 0};
        return Status{0, *s == LINE_CONNECTED_EX ? uint16_t{LINE_CONNECTED} : *s};
    }
    PortCondition scratch{};
    auto s = applyStatusShort(reply.bytes, scratch);
    if (!s) return Status{KZV_E_FAIL, 0};
    return Status{0, *s};
}

struct CommandResult {
    int code = 0;
    uint16_t word = 0;
};

CommandResult sendCommand(Context &ctx, const Request &req, const std::vector<uint8_t> &d) {
    auto reply = unicastExchange(ctx.network, req.record.address, d);
    if (reply.transport != kReplied) return CommandResult{failureCode(reply), 0};
    auto w = reply.truncated ? std::nullopt : parseCommandReply(reply.bytes);
    if (!w) return CommandResult{KZV_E_FAIL, 0};
    return CommandResult{0, *w};
}

int64_t wholeSeconds(Clock &clock) {
    return clock.nowMs() / 1000;
}

} // namespace

int search(Context &ctx, Request &req) {
    std::vector<Sender> senders;
    if (broadcastExchange(ctx.network, buildSearch(nextSequence(), ctx.clock.localTime()),
                          senders) != kReplied)
        return KZV_E_FAIL;
    for (const auto &sender : senders) {
        if (sender.truncated) continue;
        auto s = parseSearchReply(sender.bytes);
        if (!s) continue;
        auto reply = unicastExchange(ctx.network, s->address,
                                     buildInformation(nextSequence(), s->id, s->address));
        if (reply.transport != kReplied || reply.truncated) continue;
        auto info = parseInformationReply(reply.bytes);
        if (!info || (info->capability & 0x0F) == 0 || !acceptableKeyId(s->id.keyId)) continue;
        RouterRecord record;
        std::memset(&record, 0, sizeof record);
        fillRouterRecord(record, *s, *info);
        if (!req.list->append(record)) break;
    }
    return KZV_OK;
}

int readCondition(Context &ctx, Request &req) {
    const bool longForm = usesLongStatus(req.record.model_code);
    auto reply = unicastExchange(ctx.network, req.record.address,
                                 buildStatus(nextSequence(), req.record, req.port, false));
    if (reply.transport != kReplied) return failureCode(reply);
    if (reply.truncated) return KZV_E_FAIL;
    std::optional<uint16_t> state;
    if (req.extended) {
        if (!longForm) return KZV_E_FAIL;
        state = applyStatusLongEx(reply.bytes, *req.exOut);
    } else if (longForm) {
        // Parse into a copy first: a malformed reply must leave the caller's record untouched.
        PortCondition pc = req.record.ports[req.port];
        state = applyStatusLong(reply.bytes, pc);
        if (state) req.record.ports[req.port] = pc;
    } else {
        PortCondition pc = req.record.ports[req.port];
        state = applyStatusShort(reply.bytes, pc);
        if (state) req.record.ports[req.port] = pc;
    }
    if (!state) return KZV_E_FAIL;
    return *state;
}

int changeSite(Context &ctx, Request &req) {
    auto reply = unicastExchange(ctx.network, req.record.address,
                                 buildChangeSite(nextSequence(), req.record, req.port, req.site));
    if (reply.transport != kReplied) return failureCode(reply);
    auto w = reply.truncated ? std::nullopt : parseChangeSiteReply(reply.bytes);
    return w ? int{*w} : KZV_E_FAIL;
}

int clearCounter(Context &ctx, Request &req) {
    auto reply = unicastExchange(ctx.network, req.record.address,
                                 buildStatus(nextSequence(), req.record, req.port, true));
    if (reply.transport != kReplied) return failureCode(reply);
    return !reply.truncated && reply.bytes.size() == kStatusLongReplySize ? KZV_OK : KZV_E_FAIL;
}

Completion connectSequence(Context &ctx, Request &req) {
    Status st = queryStatus(ctx, req);
    if (st.code != 0) return {st.code, 0};
    if (st.state != LINE_IDLE) return {KZV_E_CONNECT_STATE, st.state};

    CommandResult cmd = sendCommand(ctx, req, buildConnect(nextSequence(), req.record, req.port));
    if (cmd.code != 0) return {cmd.code, 0};
    if (cmd.word != LINE_BUSY) return {KZV_E_CONNECT_STATE, cmd.word};
    const int64_t started = wholeSeconds(ctx.clock);

    for (;;) {
        st = queryStatus(ctx, req);
        if (st.code != 0) return {st.code, 0};
        if (st.state == LINE_CONNECTED) return {KZV_OK, LINE_CONNECTED};
        if (st.state != LINE_BUSY) return {KZV_E_CONNECT_STATE, st.state};
        ctx.clock.sleepMs(1000);
        if (wholeSeconds(ctx.clock) - started > req.timeLimitSeconds)
            return {KZV_E_TIMEOUT, LINE_BUSY};
    }
}

Completion disconnectSequence(Context &ctx, Request &req) {
    Status st = queryStatus(ctx, req);
    if (st.code != 0) return {st.code, 0};
    if (st.state != LINE_CONNECTED) return {KZV_E_DISCONNECT_STATE, st.state};

    CommandResult cmd =
        sendCommand(ctx, req, buildDisconnect(nextSequence(), req.record, req.port));
    if (cmd.code != 0) return {cmd.code, 0};
    if (cmd.word != LINE_BUSY) return {KZV_E_DISCONNECT_STATE, cmd.word};
    const int64_t started = wholeSeconds(ctx.clock);

    for (;;) {
        st = queryStatus(ctx, req);
        if (st.code != 0) return {KZV_E_FAIL, st.code};
        if (st.state == LINE_IDLE) return {KZV_OK, LINE_IDLE};
        if (st.state != LINE_BUSY) return {KZV_E_DISCONNECT_STATE, st.state};
        ctx.clock.sleepMs(1000);
        if (wholeSeconds(ctx.clock) - started > req.timeLimitSeconds)
            return {KZV_E_TIMEOUT, LINE_BUSY};
    }
}

} // namespace qs::class2
