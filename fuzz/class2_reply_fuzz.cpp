// Feeds arbitrary datagrams to one class 2 reply reader, chosen at build time, and checks the
// properties every reader must keep: no read outside the datagram, the record's untouched words
// stay untouched, and a rejected datagram changes nothing.
#include "class2/datagram.h"

#include <cstdlib>
#include <cstring>
#include <span>

using namespace qs;
using namespace qs::class2;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::span<const uint8_t> d(data, size);
#if QS_FUZZ_PARSER == 1
    auto s = parseSearchReply(d);
    check(s.has_value() == (size == kSearchReplySize));
    if (s) check(std::memcmp(s->name, data + 24, 32) == 0);
#elif QS_FUZZ_PARSER == 2
    auto i = parseInformationReply(d);
    check(i.has_value() == (size == kInformationReplySize));
#elif QS_FUZZ_PARSER == 3
    PortCondition pc;
    std::memset(&pc, 0xA5, sizeof pc);
    PortCondition before = pc;
    auto state = applyStatusShort(d, pc);
    check(state.has_value() == (size == kStatusShortReplySize));
    if (!state) check(std::memcmp(&pc, &before, sizeof pc) == 0);
    check(pc.reserved2 == before.reserved2 && pc.reserved10 == before.reserved10);
#elif QS_FUZZ_PARSER == 4
    PortCondition pc;
    std::memset(&pc, 0xA5, sizeof pc);
    PortCondition before = pc;
    auto state = applyStatusLong(d, pc);
    check(state.has_value() == (size == kStatusLongReplySize));
    if (!state) check(std::memcmp(&pc, &before, sizeof pc) == 0);
    if (state) check(pc.line_state == (*state == LINE_CONNECTED_EX ? LINE_CONNECTED : *state));
    check(pc.reserved2 == before.reserved2 && pc.reserved10 == before.reserved10);
#elif QS_FUZZ_PARSER == 5
    ConditionExRecord ex;
    std::memset(&ex, 0xA5, sizeof ex);
    ConditionExRecord before = ex;
    auto state = applyStatusLongEx(d, ex);
    check(state.has_value() == (size == kStatusLongReplySize));
    if (!state) check(std::memcmp(&ex, &before, sizeof ex) == 0);
    if (state) check(ex.line_state == *state);
    check(ex.reserved2 == before.reserved2);
    if (state && ex.timer_kind != 1 && ex.timer_kind != 2)
        check(std::memcmp(&ex.timer_hour, &before.timer_hour, 10) == 0);
#elif QS_FUZZ_PARSER == 6
    check(parseCommandReply(d).has_value() == (size == kCommandReplySize));
    check(parseChangeSiteReply(d).has_value() == (size == kChangeSiteReplySize));
#else
#error "QS_FUZZ_PARSER selects the reader under test"
#endif
    return 0;
}
