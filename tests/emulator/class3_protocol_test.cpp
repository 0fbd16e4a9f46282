// The class 3 routers' side of the TFTP exchanges, request by request. Requests are built the
// way the library's client builds them (its file names and scrambling are the secrets both sides
// share); the files are read back with byte access written out here.
#include "class3_protocol.h"
#include "config.h"
#include "fields.h"
#include "line.h"

#include "class3/file_name.h"
#include "class3/scramble.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qs::emulator {
namespace {

using Bytes = std::vector<uint8_t>;

uint16_t be16(const Bytes &d, size_t at) {
    return static_cast<uint16_t>(d.at(at) << 8 | d.at(at + 1));
}
uint16_t le16(const Bytes &d, size_t at) {
    return static_cast<uint16_t>(d.at(at) | d.at(at + 1) << 8);
}
uint32_t le32(const Bytes &d, size_t at) {
    return le16(d, at) | uint32_t{le16(d, at + 2)} << 16;
}
std::string text(const Bytes &d, size_t at, size_t width) {
    std::string s(d.begin() + static_cast<ptrdiff_t>(at),
                  d.begin() + static_cast<ptrdiff_t>(at + width));
    return s.substr(0, s.find('\0'));
}

Bytes request(uint16_t opcode, const std::string &name, const std::string &mode = "octet") {
    Bytes d{0, static_cast<uint8_t>(opcode)};
    d.insert(d.end(), name.begin(), name.end());
    d.push_back(0);
    d.insert(d.end(), mode.begin(), mode.end());
    d.push_back(0);
    return d;
}
Bytes ack(uint16_t block) {
    return {0, 4, static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)};
}
Bytes data(uint16_t block, const Bytes &body) {
    Bytes d{0, 3, static_cast<uint8_t>(block >> 8), static_cast<uint8_t>(block)};
    d.insert(d.end(), body.begin(), body.end());
    return d;
}

struct Error {
    uint16_t code;
    std::string message;
    bool operator==(const Error &) const = default;
};
std::optional<Error> errorOf(const Bytes &d) {
    if (d.size() < 5 || be16(d, 0) != 5 || d.back() != 0) return std::nullopt;
    return Error{be16(d, 2), std::string(d.begin() + 4, d.end() - 1)};
}
void PrintTo(const Error &e, std::ostream *os) {
    *os << "error " << e.code << " '" << e.message << "'";
}

Router routerFrom(const std::string &settings) {
    auto config = parseConfig("[router3 r]\naddress = 10.77.3.1\n" + settings);
    EXPECT_EQ(config.error, "");
    return config.routers.empty() ? Router{} : config.routers[0];
}

// A client as the library is one: credentials and the seeds it last learnt.
struct Client {
    Client(std::string u = {}, std::string p = {}, uint16_t auth = 0, uint16_t scramble = 0)
        : user(std::move(u)), password(std::move(p)), authSeed(auth), scrambleSeed(scramble) {}
    std::string user;
    std::string password;
    uint16_t authSeed = 0;
    uint16_t scrambleSeed = 0;

    std::string name(const Router &r, class3::Command c) const {
        class3::AuthContext a;
        a.seed = authSeed;
        a.keyId = r.keyId;
        a.modelCode = r.model;
        a.userLength = static_cast<uint32_t>(user.size());
        std::memcpy(a.user, user.data(), user.size());
        a.passwordLength = static_cast<uint32_t>(password.size());
        std::memcpy(a.password, password.data(), password.size());
        return class3::fileName(a, c);
    }
    Bytes payload(const Router &r, uint16_t argument) const {
        Bytes p{static_cast<uint8_t>(scrambleSeed), static_cast<uint8_t>(scrambleSeed >> 8),
                static_cast<uint8_t>(argument), static_cast<uint8_t>(argument >> 8)};
        class3::scramble(p, {scrambleSeed, r.keyId, r.model});
        return p;
    }
};

// One transfer at a time against one router, as the server drives it.
struct Exchange {
    explicit Exchange(Router &r, int64_t now = 0) : router(r), nowMs(now) {}
    Router &router;
    TftpTransfer transfer;
    int64_t nowMs = 0;

    TftpReply open(const Bytes &req, Arrival arrival = Arrival::Unicast) {
        return handleTftpRequest(router, transfer, req, arrival, nowMs);
    }
    TftpReply next(const Bytes &packet) {
        return handleTftpPacket(router, transfer, packet, nowMs);
    }

    // The whole file of a read, acknowledging every block; empty when it was not sent.
    Bytes read(const std::string &name) {
        TftpReply r = open(request(1, name));
        Bytes file;
        for (uint16_t block = 1; r.datagrams.size() == 1; ++block) {
            const Bytes d = r.datagrams[0];
            if (be16(d, 0) != 3 || be16(d, 2) != block) break;
            file.insert(file.end(), d.begin() + 4, d.end());
            r = next(ack(block));
            if (d.size() < 4 + 512) {
                EXPECT_FALSE(r.open) << "the final acknowledgement ends the transfer";
                return file;
            }
        }
        ADD_FAILURE() << "read of " << name << " did not complete";
        return {};
    }

    // A write of one short block: the router's final answer.
    Bytes write(const std::string &name, const Bytes &payload) {
        TftpReply r = open(request(2, name));
        EXPECT_EQ(r.datagrams, std::vector<Bytes>{ack(0)});
        EXPECT_TRUE(r.open);
        r = next(data(1, payload));
        EXPECT_EQ(r.datagrams.size(), 1u);
        return r.datagrams.empty() ? Bytes{} : r.datagrams[0];
    }
};

std::string head(const Router &r) {
    char h[16];
    std::snprintf(h, sizeof h, "%04X/%08X/", r.keyId, r.model);
    return h;
}

TEST(EmulatorClass3, SearchFileAnnouncesTheRouterScrambled) {
    Router r = routerFrom("mask = 255.255.255.0\nname = Quay three\nmodel = 0x305000\n"
                          "key_id = 0x12\nscramble_seed = 0x2C35\nsearch_48 = 01 02 03 04 05 06\n"
                          "search_54 = 0x5455\nsearch_56 = 0x56575859\nsearch_60 = 60\n"
                          "search_62 = 62\nsearch_64 = 64\nsearch_66 = 0xFFFF\n");
    Exchange x{r};
    Bytes f = x.read("search///");
    ASSERT_EQ(f.size(), 68u);
    EXPECT_EQ(class3::unrotateSeed(le16(f, 0)), 0x2C35);
    EXPECT_NE(le16(f, 0), 0x2C35) << "the seed travels rotated";
    EXPECT_EQ(le16(f, 2), 0x12);
    EXPECT_EQ(le32(f, 4), 0x305000u);
    Bytes scrambled = f;
    class3::scramble(std::span(f).subspan(8), {0x2C35, 0x12, 0x305000});
    EXPECT_NE(Bytes(f.begin() + 8, f.end()), Bytes(scrambled.begin() + 8, scrambled.end()));
    EXPECT_EQ(le32(f, 8), 0x0A4D0301u);
    EXPECT_EQ(le32(f, 12), 0xFFFFFF00u);
    EXPECT_EQ(text(f, 16, 32), "Quay three");
    EXPECT_EQ(Bytes(f.begin() + 48, f.begin() + 54), (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(le16(f, 54), 0x5455);
    EXPECT_EQ(le32(f, 56), 0x56575859u);
    EXPECT_EQ(le16(f, 60), 60);
    EXPECT_EQ(le16(f, 62), 62);
    EXPECT_EQ(le16(f, 64), 64);
    EXPECT_EQ(le16(f, 66), 0xFFFF);
}

TEST(EmulatorClass3, ChallengesUntilTheDigestIsRight) {
    const std::string router = "user = admin\npassword = s3cret\nauth_seed = 0x1A2B\n";
    struct Case {
        const char *what;
        const char *settings;
        Client client;
        bool accepted;
    };
    const Case cases[] = {
        {"right credentials and seed", router.c_str(), {"admin", "s3cret", 0x1A2B}, true},
        {"no credentials", router.c_str(), {}, false},
        {"wrong password", router.c_str(), {"admin", "secret", 0x1A2B}, false},
        {"wrong user", router.c_str(), {"root", "s3cret", 0x1A2B}, false},
        {"an old seed", router.c_str(), {"admin", "s3cret", 0x1A2A}, false},
        {"an open router", "", {}, true},
        {"an open router, given credentials", "", {"admin", "s3cret"}, false},
        {"a user without password", "user = u\n", {"u", ""}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Router r = routerFrom(c.settings);
        for (auto command : {class3::Command::Search, class3::Command::GetStatus}) {
            Exchange x{r};
            TftpReply reply = x.open(request(1, c.client.name(r, command)));
            ASSERT_EQ(reply.datagrams.size(), 1u);
            if (c.accepted) {
                EXPECT_EQ(be16(reply.datagrams[0], 0), 3);
                continue;
            }
            char seed[5];
            std::snprintf(seed, sizeof seed, "%04x", class3::rotateSeed(r.authSeed));
            EXPECT_EQ(errorOf(reply.datagrams[0]), (Error{7, head(r) + seed}));
            EXPECT_FALSE(reply.open);
        }
    }
}

TEST(EmulatorClass3, LeavesRequestsItDoesNotServeUnansweredOrRefused) {
    struct Case {
        const char *what;
        const char *settings;
        Bytes request;
        Arrival arrival;
        std::optional<Error> answer; // nothing: no reply at all
    };
    Router plain = routerFrom("");
    const std::string h = head(plain);
    const Case cases[] = {
        {"a silent router", "silent = 1\n", request(1, "search///"), Arrival::Broadcast, {}},
        {"a status read by broadcast", "", request(1, "getstatus///"), Arrival::Broadcast, {}},
        {"a write by broadcast", "", request(2, "connect///"), Arrival::Broadcast, {}},
        {"an unknown command by broadcast", "", request(1, "reboot///"), Arrival::Broadcast, {}},
        {"a mode without its NUL", "", {0, 1, 's', '/', '/', '/', 0, 'o'}, Arrival::Unicast, {}},
        {"data to port 69", "", data(1, {1, 2}), Arrival::Unicast, {}},
        {"one byte", "", {1}, Arrival::Unicast, {}},
        {"an unknown command", "", request(1, "reboot///"), Arrival::Unicast,
         Error{4, h + "unknown command"}},
        {"a command known only with the fault", "unknown_command = 1\n", request(1, "getstatus///"),
         Arrival::Unicast, Error{4, h + "unknown command"}},
        {"a read of a write command", "", request(1, "connect///"), Arrival::Unicast,
         Error{4, h + "illegal operation"}},
        {"a write of a read command", "", request(2, "getstatus///"), Arrival::Unicast,
         Error{4, h + "illegal operation"}},
        {"another mode", "", request(1, "getstatus///", "netascii"), Arrival::Unicast,
         Error{4, h + "illegal operation"}},
        {"a refused status read", "refuse_getstatus = ras server\n", request(1, "getstatus///"),
         Arrival::Unicast, Error{0, h + "ras server"}},
        {"a refused search", "refuse_search = not now\n", request(1, "search///"), Arrival::Unicast,
         Error{0, h + "not now"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Router r = routerFrom(c.settings);
        Exchange x{r};
        TftpReply reply = x.open(c.request, c.arrival);
        if (!c.answer) {
            EXPECT_TRUE(reply.datagrams.empty());
            continue;
        }
        ASSERT_EQ(reply.datagrams.size(), 1u);
        EXPECT_EQ(errorOf(reply.datagrams[0]), c.answer);
        EXPECT_FALSE(reply.open);
    }
    // The fault spares the search, so that the router can still be found and renewed.
    Router r = routerFrom("unknown_command = 1\n");
    Exchange x{r};
    EXPECT_EQ(x.read("search///").size(), 68u);
}

TEST(EmulatorClass3, StatusFileReportsBothPorts) {
    Router r = routerFrom("scramble_seed = 0x9E01\ntimer_kind = 1\ntimer_value = 3912345678\n"
                          "port0.state = 21\nport0.status_flags = 0x00000003\nport0.line_type = 4\n"
                          "port0.site = 2\nport0.site_registered = 1,0,1,0\n"
                          "port0.site_names = home,office,isp,backup\nport0.connection_mode = 10\n"
                          "port0.connection_time = 1234\nport0.status_value1 = 0x158\n"
                          "port0.status_value2 = 0x160\nport0.status_text1 = long text\n"
                          "port0.global_address = 203.0.113.5\nport0.status_text2 = short text\n"
                          "port0.bytes_sent = 1\nport0.bytes_received = 2\nport0.packets_sent = 3\n"
                          "port0.packets_received = 4\nport0.error_packets = 5\nport1.state = 0\n");
    Exchange x{r};
    Bytes f = x.read(Client{}.name(r, class3::Command::GetStatus));
    ASSERT_EQ(f.size(), 964u);
    class3::scramble(f, {0x9E01, r.keyId, r.model});
    EXPECT_EQ(le16(f, 0), 0x9E01);
    EXPECT_EQ(le16(f, 10), 1);
    EXPECT_EQ(le32(f, 12), 3912345678u);
    const size_t b = 16;
    EXPECT_EQ(le16(f, b), 1);
    EXPECT_EQ(le16(f, b + 2), 0x10);
    EXPECT_EQ(le32(f, b + 6), 3u);
    EXPECT_EQ(le16(f, b + 10), 4);
    EXPECT_EQ(le16(f, b + 12), 2);
    EXPECT_EQ(le16(f, b + 14), 1);
    EXPECT_EQ(le16(f, b + 16), 0);
    EXPECT_EQ(le16(f, b + 18), 1);
    EXPECT_EQ(text(f, b + 22, 32), "home");
    EXPECT_EQ(text(f, b + 22 + 96, 32), "backup");
    EXPECT_EQ(le32(f, b + 150), 10u);
    EXPECT_EQ(le32(f, b + 154), 1234u);
    EXPECT_EQ(le16(f, b + 158), 0x158);
    EXPECT_EQ(le16(f, b + 160), 0x160);
    EXPECT_EQ(text(f, b + 162, 128), "long text");
    EXPECT_EQ(le32(f, b + 290), 0xCB007105u);
    EXPECT_EQ(text(f, b + 294, 32), "short text");
    for (uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(le32(f, b + 326 + 4 * i), i + 1);
    // Port 1 is not in use.
    EXPECT_EQ(le16(f, b + 346), 0);
    EXPECT_EQ(le16(f, b + 346 + 2), 0);
}

TEST(EmulatorClass3, StateBitsFollowTheLineState) {
    struct Case {
        const char *settings;
        uint16_t inUse, bits;
    };
    const Case cases[] = {
        {"port0.state = 0\n", 0, 0x00},      {"port0.state = 3\n", 1, 0x01},
        {"port0.state = 4\n", 1, 0x02},      {"port0.state = 5\n", 1, 0x08},
        {"port0.state = 21\n", 1, 0x10},     {"port0.state = 9\n", 1, 0x00},
        {"port0.state_bits = 0x04\n", 1, 4}, {"port0.state = 0\nport0.state_bits = 0\n", 1, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.settings);
        Router r = routerFrom(c.settings);
        Bytes f = statusFile(r);
        EXPECT_EQ(le16(f, 16), c.inUse);
        EXPECT_EQ(le16(f, 18), c.bits);
    }
}

TEST(EmulatorClass3, ReadFaultsShowOnTheWire) {
    {
        SCOPED_TRACE("block 2 first, then block 1 and block 2 again after its acknowledgement");
        Router r = routerFrom("block2_first = 1\n");
        Exchange x{r};
        TftpReply reply = x.open(request(1, "getstatus///"));
        ASSERT_EQ(reply.datagrams.size(), 2u);
        EXPECT_EQ(be16(reply.datagrams[0], 2), 2);
        EXPECT_EQ(be16(reply.datagrams[1], 2), 1);
        reply = x.next(ack(1));
        ASSERT_EQ(reply.datagrams.size(), 1u);
        EXPECT_EQ(be16(reply.datagrams[0], 2), 2);
        EXPECT_EQ(reply.datagrams[0].size(), 4u + 964 - 512);
    }
    {
        SCOPED_TRACE("a single-block file is sent as it is");
        Router r = routerFrom("block2_first = 1\n");
        Exchange x{r};
        TftpReply reply = x.open(request(1, "search///"));
        ASSERT_EQ(reply.datagrams.size(), 1u);
        EXPECT_EQ(be16(reply.datagrams[0], 2), 1);
    }
    struct Length {
        int32_t change;
        size_t search, status;
    };
    for (auto [change, search, status] :
         {Length{1, 69, 965}, Length{-4, 64, 960}, Length{-452, 0, 512}, Length{60, 128, 1024}}) {
        SCOPED_TRACE(change);
        Router r = routerFrom("wrong_length = " + std::to_string(change) + "\n");
        Exchange x{r};
        EXPECT_EQ(x.read("search///").size(), search);
        EXPECT_EQ(x.read("getstatus///").size(), status);
    }
}

TEST(EmulatorClass3, StaleStatusEchoesAnotherSeedSoManyTimes) {
    Router r = routerFrom("scramble_seed = 0x4321\nstale_status = 2\n");
    for (uint16_t expected : {0, 0, 0x4321}) {
        Exchange x{r};
        Bytes f = x.read("getstatus///");
        ASSERT_EQ(f.size(), 964u);
        class3::scramble(f, {0x4321, r.keyId, r.model});
        if (expected == 0)
            EXPECT_NE(le16(f, 0), 0x4321);
        else
            EXPECT_EQ(le16(f, 0), expected);
    }
    EXPECT_EQ(r.staleStatus, 0u);
}

TEST(EmulatorClass3, RepeatedAcknowledgementsAndBlocksAreAnsweredAgain) {
    Router r = routerFrom("");
    Exchange x{r};
    TftpReply reply = x.open(request(1, "getstatus///"));
    const Bytes block1 = reply.datagrams.at(0);
    reply = x.next(ack(1));
    const Bytes block2 = reply.datagrams.at(0);
    // Our block 2 went missing: the client acknowledges block 1 again.
    EXPECT_EQ(x.next(ack(1)).datagrams, std::vector<Bytes>{block2});
    EXPECT_TRUE(x.next(ack(7)).datagrams.empty());
    EXPECT_FALSE(x.next(ack(2)).open);

    // A write's last block repeated gets the same answer, and the command runs once.
    Router w = routerFrom("port0.state = 3\n");
    Exchange y{w};
    EXPECT_EQ(y.write("connect///", Client{}.payload(w, 1)), ack(1));
    TftpReply again = y.next(data(1, Client{}.payload(w, 1)));
    EXPECT_EQ(again.datagrams, std::vector<Bytes>{ack(1)});
    EXPECT_EQ(w.ports[0].state, kLineBusy);
}

TEST(EmulatorClass3, WritesCarryOutTheirCommandOrAnswerWhyNot) {
    struct Case {
        const char *what;
        const char *settings;
        class3::Command command;
        uint16_t argument;
        const char *refusal; // nullptr: acknowledged
    };
    const Case cases[] = {
        {"dial an idle port 1", "port1.state = 3\n", class3::Command::Connect, 2, nullptr},
        {"dial a connected port", "port0.state = 5\n", class3::Command::Connect, 1, "active port"},
        {"dial a dialling port", "port0.state = 4\n", class3::Command::Connect, 1, "active port"},
        {"dial a port not in use", "port0.state = 0\n", class3::Command::Connect, 1,
         "non use port"},
        {"dial port 3", "", class3::Command::Connect, 3, "illegal parameter"},
        {"dial against the outcome", "port0.dial_outcome = refuse:2\n", class3::Command::Connect, 1,
         "ras server"},
        {"dial against a text", "refuse_connect = leased line\n", class3::Command::Connect, 1,
         "leased line"},
        {"hang up a connected line", "port0.state = 21\n", class3::Command::Disconnect, 1, nullptr},
        {"hang up an idle line", "port0.state = 3\n", class3::Command::Disconnect, 1,
         "non active port"},
        {"hang up against the outcome", "port0.state = 5\nport0.hangup_outcome = refuse:1\n",
         class3::Command::Disconnect, 1, "leased line"},
        {"change port 1 to site 2", "", class3::Command::ChangeAccount, 6, nullptr},
        {"change port 2", "", class3::Command::ChangeAccount, 8, "illegal parameter"},
        {"change a connected port", "port0.state = 5\n", class3::Command::ChangeAccount, 1,
         "active port"},
        {"change a port not in use", "port1.state = 0\n", class3::Command::ChangeAccount, 5,
         "non use port"},
        {"change against the result", "port0.site_result = 3\n", class3::Command::ChangeAccount, 1,
         "not account number"},
        {"change against a text", "refuse_changeaccount = whatever\n",
         class3::Command::ChangeAccount, 1, "whatever"},
        {"clear port 1", "", class3::Command::ClearStatus, 2, nullptr},
        {"clear no port", "", class3::Command::ClearStatus, 0, "illegal parameter"},
        {"clear port 2", "", class3::Command::ClearStatus, 4, "illegal parameter"},
        {"clear against a text", "refuse_clearstatus = non use port\n",
         class3::Command::ClearStatus, 1, "non use port"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Router r =
            routerFrom(std::string("scramble_seed = 0x7777\nport1.bytes_sent = 99\n") + c.settings);
        const Router before = r;
        Client client{{}, {}, 0, 0x7777};
        Exchange x{r};
        Bytes reply = x.write(client.name(r, c.command), client.payload(r, c.argument));
        if (c.refusal) {
            EXPECT_EQ(errorOf(reply), (Error{0, head(r) + c.refusal}));
            EXPECT_EQ(r.ports[0].state, before.ports[0].state);
            EXPECT_EQ(r.ports[1].state, before.ports[1].state);
            EXPECT_EQ(r.ports[1].site, before.ports[1].site);
            EXPECT_EQ(r.ports[1].counter(kBytesSent), 99u);
            continue;
        }
        EXPECT_EQ(reply, ack(1));
        switch (c.command) {
        case class3::Command::Connect:
        case class3::Command::Disconnect:
            EXPECT_EQ(r.ports[c.argument - 1].state, kLineBusy);
            break;
        case class3::Command::ChangeAccount:
            EXPECT_EQ(r.ports[1].site, 2);
            break;
        default:
            EXPECT_EQ(r.ports[1].counter(kBytesSent), 0u);
        }
    }
}

TEST(EmulatorClass3, DialsAndHangsUpAfterTheirDelays) {
    Router r = routerFrom("port0.dial_delay = 2\nport0.hangup_delay = 1\n"
                          "port0.bytes_sent_rate = 100\n");
    Exchange x{r};
    EXPECT_EQ(x.write("connect///", Client{}.payload(r, 1)), ack(1));
    advance(r, 1999);
    EXPECT_EQ(r.ports[0].state, kLineBusy);
    advance(r, 3000);
    EXPECT_EQ(r.ports[0].state, kLineConnected);
    EXPECT_EQ(r.ports[0].counter(kBytesSent), 100u);
    Exchange y{r, 3000};
    EXPECT_EQ(y.write("disconnect///", Client{}.payload(r, 1)), ack(1));
    advance(r, 4000);
    EXPECT_EQ(r.ports[0].state, kLineIdle);
}

TEST(EmulatorClass3, StaleWritesAreAnsweredWithErrorThree) {
    Router r = routerFrom("scramble_seed = 0x1111\nstale_writes = 1\nport0.state = 3\n");
    const Error stale{3, head(r) + "seed"};
    {
        SCOPED_TRACE("the fault, once");
        Exchange x{r};
        EXPECT_EQ(errorOf(x.write("connect///", Client{{}, {}, 0, 0x1111}.payload(r, 1))), stale);
    }
    {
        SCOPED_TRACE("a payload scrambled with another seed");
        Exchange x{r};
        EXPECT_EQ(errorOf(x.write("connect///", Client{{}, {}, 0, 0x2222}.payload(r, 1))), stale);
    }
    EXPECT_EQ(r.ports[0].state, kLineIdle);
    Exchange x{r};
    EXPECT_EQ(x.write("connect///", Client{{}, {}, 0, 0x1111}.payload(r, 1)), ack(1));
}

TEST(EmulatorClass3, AWriteOfAWholeBlockEndsWithAnEmptyOne) {
    Router r = routerFrom("");
    Exchange x{r};
    x.open(request(2, "clearstatus///"));
    TftpReply reply = x.next(data(1, Bytes(512, 0)));
    EXPECT_EQ(reply.datagrams, std::vector<Bytes>{ack(1)});
    EXPECT_TRUE(reply.open);
    reply = x.next(data(2, {}));
    ASSERT_EQ(reply.datagrams.size(), 1u);
    EXPECT_EQ(errorOf(reply.datagrams[0]), (Error{0, head(r) + "illegal parameter"}));
}

TEST(EmulatorClass3, KeysBelongToTheirClass) {
    auto config = parseConfig("[router two]\naddress = 10.0.0.1\n"
                              "[router3 three]\naddress = 10.0.0.2\nuser = u\n");
    ASSERT_EQ(config.error, "");
    Router &two = config.routers[0];
    Router &three = config.routers[1];
    EXPECT_EQ(three.protocolClass, 3);
    EXPECT_EQ(three.model, 0x301400u);
    EXPECT_EQ(three.keyId, 1);
    EXPECT_EQ(setField(two, "password", "x"), "key 'password' does not apply to class 2 routers");
    EXPECT_EQ(setField(three, "second_id", "1"),
              "key 'second_id' does not apply to class 3 routers");
    EXPECT_EQ(setField(three, "port0.timer_time", "1:2:3"),
              "key 'port0.timer_time' does not apply to class 3 routers");
    EXPECT_EQ(getField(two, "user"), std::nullopt);
    EXPECT_NE(parseConfig("[router3 a]\naddress = 10.0.0.1\ncapability = 1\n")
                  .error.find("line 3: key 'capability' does not apply"),
              std::string::npos);
    EXPECT_NE(parseConfig("[router3 a]\npassword = 123456789012345678901\n")
                  .error.find("longer than 20 bytes"),
              std::string::npos);

    // Whatever get prints, set must accept again unchanged.
    for (const auto &key : fieldNames(3)) {
        Router copy = three;
        auto text = getField(copy, key);
        ASSERT_TRUE(text) << key;
        EXPECT_EQ(setField(copy, key, *text), "") << key;
        EXPECT_EQ(getField(copy, key), text) << key;
    }
}

} // namespace
} // namespace qs::emulator
