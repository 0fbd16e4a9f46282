// Feeds arbitrary bytes to the readers of the files and texts class 3 routers answer with.
#include "class3/command_exchange.h"
#include "class3/router_files.h"
#include "class3/text_answer.h"

#include <cstdlib>
#include <cstring>

using namespace qs;
using namespace qs::class3;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

class UtcClock final : public Clock {
  public:
    int64_t nowMs() override { return 0; }
    void sleepMs(int) override {}
    LocalTime localTime() override { return {}; }
    LocalTime localTimeOf(int64_t s) override {
        const int64_t d = (s % 86400 + 86400) % 86400;
        return LocalTime{int(d / 3600), int(d / 60 % 60), int(d % 60)};
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::span<const uint8_t> d(data, size);

    if (auto a = parseTextAnswer(d)) {
        check(size >= 14 && data[4] == '/' && data[13] == '/');
        for (Command c : {Command::Connect, Command::ChangeAccount, Command::ClearStatus})
            if (auto code = refusalCode(c, a->rest)) check(*code >= 0 && *code <= 5);
    }
    if (auto ch = parseChallenge(d)) check(size >= 18);

    if (auto f = readSearchFile(d)) {
        check(size == kSearchFileSize);
        RouterRecord r;
        std::memset(&r, 0, sizeof r);
        applySearchFile(r, *f);
        check(r.user_length == 0 && r.password_length == 0);
    }

    const ScrambleContext ctx{size >= 2 ? uint16_t(data[0] | data[1] << 8) : uint16_t(0), 0x11,
                              0x00301400};
    if (auto status = unscrambleStatusFile(d, ctx)) {
        check(size == kStatusFileSize);
        UtcClock clock;
        for (int port : {0, 1}) {
            PortCondition pc;
            std::memset(&pc, 0xA5, sizeof pc);
            fillPortCondition(*status, port, pc);
            check(pc.reserved2 == 0xA5A5 && pc.reserved10 == 0xA5A5);
            const uint16_t plain = portState(*status, port, false);
            check(plain == 0 || plain == 3 || plain == 4 || plain == 5);
            ConditionExRecord ex;
            fillConditionEx(*status, port, clock, ex);
            check(ex.timer_hour < 24 && ex.timer_minute < 60 && ex.timer_second < 60);
        }
    }
    return 0;
}
