// A scripted class 3 router for unit tests: a small TFTP server on the fake network that
// checks request digests, scrambles its files and answers with the routers' texts.
#pragma once

#include "class3/file_name.h"
#include "class3/scramble.h"
#include "class3/tftp_packet.h"
#include "fake_platform.h"

#include <deque>
#include <map>
#include <string>

namespace qs::test {

struct FakeClass3Router {
    uint32_t address = 0;
    uint32_t model = 0x00301400;
    uint16_t keyId = 1;
    uint16_t scrambleSeed = 0x2C35; // as stored; sent rotated
    uint16_t authSeed = 0x0BAD;
    std::string name = "class3";
    std::string user{};
    std::string password{};
    bool requireAuth = false;
    bool silent = false;
    // State bits reported for port 0 by successive status reads; the last one sticks.
    std::deque<uint8_t> bits{0x01};
    std::deque<uint8_t> bitsAfterCommand{0x02, 0x08};
    std::string commandAnswer{}; // a refusal text for connect/disconnect, if any
    std::string changeAnswer{};  // a refusal text for changeaccount, if any
    int staleReads = 0;          // this many status reads echo a wrong seed
    int answeredSearches = -1;   // search requests answered before the rest are ignored; -1: all
    // Texts answered (error 0) to successive searches, one each; "" answers as usual.
    std::deque<std::string> searchAnswers{};
    size_t searchFileExtra = 0; // bytes appended to the search file
    bool silentWrites = false;  // write requests go unanswered
    uint32_t timerKind = 1;
    uint32_t timerValue = 2208988800u + 3600 * 5 + 60 * 6 + 7; // 05:06:07 UTC

    int statusReads = 0;
    int searches = 0;
    std::vector<std::string> writes{};
    std::vector<int64_t> statusReadTimes{};
};

class FakeClass3Network {
  public:
    explicit FakeClass3Network(FakeClock &clock) : clock_(clock) {}
    FakeClass3Router &add(FakeClass3Router r) {
        order_.push_back(r.address);
        return routers_[r.address] = std::move(r);
    }
    FakeClass3Router &at(uint32_t a) { return routers_.at(a); }
    Peer peer() {
        return [this](uint32_t to, const std::vector<uint8_t> &d) { return answer(to, d); };
    }

    std::vector<uint8_t> searchFile(const FakeClass3Router &r) const;
    std::vector<uint8_t> statusFile(FakeClass3Router &r) const;

  private:
    std::vector<Datagram> answer(uint32_t to, const std::vector<uint8_t> &d);
    std::vector<Datagram> request(FakeClass3Router &r, bool write, const std::string &name);
    std::vector<Datagram> written(FakeClass3Router &r, std::span<const uint8_t> payload);
    std::vector<Datagram> sendBlock(FakeClass3Router &r, uint16_t block);
    bool authentic(const FakeClass3Router &r, const std::string &name) const;
    Datagram error(const FakeClass3Router &r, uint16_t code, const std::string &rest) const;

    struct Pending {
        std::vector<uint8_t> file;
        class3::Command command{};
        bool write = false;
    };
    FakeClock &clock_;
    std::map<uint32_t, FakeClass3Router> routers_;
    std::map<uint32_t, Pending> pending_;
    std::vector<uint32_t> order_;
};

} // namespace qs::test
