#include "fake_class3_router.h"

#include "byte_order.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace qs::test {

using namespace qs::class3;

namespace {

constexpr uint16_t kRouterPort = 50069;

std::optional<Command> commandOf(const std::string &name) {
    const std::string word = name.substr(0, name.find('/'));
    for (Command c : {Command::Connect, Command::Disconnect, Command::ChangeAccount,
                      Command::GetStatus, Command::ClearStatus, Command::Search})
        if (word == commandWord(c)) return c;
    return std::nullopt;
}

uint8_t nextBits(std::deque<uint8_t> &q) {
    uint8_t b = q.front();
    if (q.size() > 1) q.pop_front();
    return b;
}

} // namespace

std::vector<uint8_t> FakeClass3Network::searchFile(const FakeClass3Router &r) const {
    std::vector<uint8_t> f(68, 0);
    writeLe16(f, 0, rotateSeed(r.scrambleSeed));
    writeLe16(f, 2, r.keyId);
    writeLe32(f, 4, r.model);
    writeLe32(f, 8, r.address);
    writeLe32(f, 12, 0xFFFFFF00);
    std::memcpy(f.data() + 16, r.name.data(), std::min<size_t>(r.name.size(), 32));
    for (size_t i = 48; i < 68; ++i)
        f[i] = static_cast<uint8_t>(i);
    scramble(std::span<uint8_t>(f).subspan(8), ScrambleContext{r.scrambleSeed, r.keyId, r.model});
    return f;
}

std::vector<uint8_t> FakeClass3Network::statusFile(FakeClass3Router &r) const {
    std::vector<uint8_t> f(964, 0);
    const bool stale = r.staleReads > 0;
    if (stale) --r.staleReads;
    writeLe16(f, 0, stale ? static_cast<uint16_t>(r.scrambleSeed ^ 0x5555) : r.scrambleSeed);
    writeLe16(f, 10, static_cast<uint16_t>(r.timerKind));
    writeLe32(f, 12, r.timerValue);
    for (int port = 0; port < 2; ++port) {
        const size_t b = 16 + 346 * static_cast<size_t>(port);
        writeLe16(f, b, 1);
        writeLe16(f, b + 2, port == 0 ? nextBits(r.bits) : 0x01);
        writeLe32(f, b + 6, 0x00000003);
        writeLe16(f, b + 10, 4);
        writeLe16(f, b + 12, 1);
        for (int i = 0; i < 4; ++i) {
            writeLe16(f, b + 14 + 2 * i, 1);
            std::snprintf(reinterpret_cast<char *>(f.data() + b + 22 + 32 * i), 32, "site-%d", i);
        }
        writeLe32(f, b + 150, 10);
        writeLe32(f, b + 154, 12345);
        writeLe32(f, b + 290, 0xCB007105);
        for (int i = 0; i < 5; ++i)
            writeLe32(f, b + 326 + 4 * i, 100u * (i + 1));
    }
    scramble(f, ScrambleContext{r.scrambleSeed, r.keyId, r.model});
    return f;
}

bool FakeClass3Network::authentic(const FakeClass3Router &r, const std::string &name) const {
    if (!r.requireAuth) return true;
    auto c = commandOf(name);
    if (!c) return false;
    AuthContext a;
    a.seed = r.authSeed;
    a.keyId = r.keyId;
    a.modelCode = r.model;
    a.userLength = static_cast<uint32_t>(r.user.size());
    std::memcpy(a.user, r.user.data(), r.user.size());
    a.passwordLength = static_cast<uint32_t>(r.password.size());
    std::memcpy(a.password, r.password.data(), r.password.size());
    return name == fileName(a, *c);
}

Datagram FakeClass3Network::error(const FakeClass3Router &r, uint16_t code,
                                  const std::string &rest) const {
    char head[16];
    std::snprintf(head, sizeof head, "%04X/%08X/", r.keyId, r.model);
    return Datagram{r.address, makeError(code, head + rest), 0, kRouterPort};
}

std::vector<Datagram> FakeClass3Network::answer(uint32_t to, const std::vector<uint8_t> &d) {
    Packet p = parsePacket(d);
    const uint16_t opcode = d.size() >= 2 ? static_cast<uint16_t>(d[0] << 8 | d[1]) : 0;
    if (opcode == kReadRequest || opcode == kWriteRequest) {
        std::string name(reinterpret_cast<const char *>(d.data() + 2));
        if (to == 0xFFFFFFFF) {
            std::vector<Datagram> out;
            for (uint32_t a : order_) {
                auto more = request(routers_[a], false, name);
                out.insert(out.end(), more.begin(), more.end());
            }
            return out;
        }
        auto it = routers_.find(to);
        if (it == routers_.end()) return {};
        return request(it->second, opcode == kWriteRequest, name);
    }
    auto it = routers_.find(to);
    if (it == routers_.end() || it->second.silent) return {};
    if (p.opcode == kAck) return sendBlock(it->second, static_cast<uint16_t>(p.number + 1));
    if (p.opcode == kData) return written(it->second, p.body);
    return {};
}

std::vector<Datagram> FakeClass3Network::request(FakeClass3Router &r, bool write,
                                                 const std::string &name) {
    if (r.silent) return {};
    auto c = commandOf(name);
    if (!c) return {};
    if (*c == Command::Search) {
        ++r.searches;
        if (r.answeredSearches >= 0 && r.searches > r.answeredSearches) return {};
        if (!r.searchAnswers.empty()) {
            const std::string text = r.searchAnswers.front();
            r.searchAnswers.pop_front();
            if (!text.empty()) return {error(r, 0, text)};
        }
    }
    if (write && r.silentWrites) return {};
    if (!authentic(r, name)) {
        char seed[8];
        std::snprintf(seed, sizeof seed, "%04x", rotateSeed(r.authSeed));
        return {error(r, 7, seed)};
    }
    Pending &p = pending_[r.address];
    p = Pending{{}, *c, write};
    if (write) return {Datagram{r.address, makeAck(0), 0, kRouterPort}};
    if (*c == Command::GetStatus) {
        ++r.statusReads;
        r.statusReadTimes.push_back(clock_.nowMs());
        p.file = statusFile(r);
    } else {
        p.file = searchFile(r);
        p.file.resize(p.file.size() + r.searchFileExtra);
    }
    return sendBlock(r, 1);
}

std::vector<Datagram> FakeClass3Network::sendBlock(FakeClass3Router &r, uint16_t block) {
    Pending &p = pending_[r.address];
    const size_t offset = static_cast<size_t>(block - 1) * 512;
    if (p.write || offset > p.file.size()) return {};
    const size_t n = std::min<size_t>(512, p.file.size() - offset);
    auto bytes = makeData(block, std::span<const uint8_t>(p.file.data() + offset, n));
    return {Datagram{r.address, bytes, 0, kRouterPort}};
}

std::vector<Datagram> FakeClass3Network::written(FakeClass3Router &r,
                                                 std::span<const uint8_t> payload) {
    Pending &p = pending_[r.address];
    std::vector<uint8_t> plain(payload.begin(), payload.end());
    scramble(plain, ScrambleContext{r.scrambleSeed, r.keyId, r.model});
    if (plain.size() != 4 || readLe16(plain, 0) != r.scrambleSeed) return {error(r, 3, "")};
    r.writes.push_back(commandWord(p.command));
    if ((p.command == Command::Connect || p.command == Command::Disconnect) &&
        !r.commandAnswer.empty())
        return {error(r, 0, r.commandAnswer)};
    if (p.command == Command::ChangeAccount && !r.changeAnswer.empty())
        return {error(r, 0, r.changeAnswer)};
    if (p.command == Command::Connect || p.command == Command::Disconnect)
        r.bits = r.bitsAfterCommand;
    return {Datagram{r.address, makeAck(1), 0, kRouterPort}};
}

} // namespace qs::test
