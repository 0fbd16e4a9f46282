// A scripted class 2 router for unit tests: answers the library's datagrams through the fake
// network, with the line states a test lays out in advance.
#pragma once

#include "fake_platform.h"
#include "reply_builder.h"

#include <deque>
#include <map>
#include <string>

namespace qs::test {

struct FakeRouter {
    uint32_t address = 0;
    uint32_t model = 0x23090;
    uint16_t keyId = 1;
    uint16_t capability = 0x0011;
    std::string name = "router";
    bool silent = false;
    bool answerSearchTwice = false;
    // Line state reported by status queries: the front is used and dropped while more than one
    // remain, so the last one sticks.
    std::deque<uint16_t> states{LINE_IDLE};
    uint16_t connectWord = LINE_BUSY;
    uint16_t disconnectWord = LINE_BUSY;
    uint16_t siteWord = 0;
    int statusQueries = 0;
    int commands = 0;
    uint16_t timerKind = 1;

    uint16_t nextState() {
        uint16_t s = states.front();
        if (states.size() > 1) states.pop_front();
        return s;
    }
};

class FakeRouters {
  public:
    FakeRouter &add(FakeRouter r) {
        order_.push_back(r.address);
        return routers_[r.address] = std::move(r);
    }
    FakeRouter &at(uint32_t address) { return routers_.at(address); }

    Peer peer() {
        return [this](uint32_t to, const std::vector<uint8_t> &d) { return answer(to, d); };
    }

  private:
    std::vector<Datagram> answer(uint32_t to, const std::vector<uint8_t> &d) {
        const uint16_t word = be16(d, 4);
        if (to == 0xFFFFFFFF) {
            std::vector<Datagram> out;
            for (uint32_t a : order_) {
                auto &r = routers_[a];
                if (r.silent) continue;
                auto reply = searchReply(a, 0xFFFFFF00, r.name, r.keyId);
                out.push_back({a, reply});
                if (r.answerSearchTwice) {
                    auto again = searchReply(a, 0xFFFF0000, r.name + "-2", r.keyId);
                    out.push_back({a, again});
                }
            }
            return out;
        }
        auto it = routers_.find(to);
        if (it == routers_.end() || it->second.silent) return {};
        FakeRouter &r = it->second;
        switch (word & 0xFF) {
        case 4:
            return {{to, informationReply(r.model, r.capability, r.keyId)}};
        case 100:
        case 101: {
            ++r.statusQueries;
            uint16_t s = r.nextState();
            if (r.model < 0x23090) return {{to, statusShort(s)}};
            return {{to, statusLong(s, r.timerKind)}};
        }
        case 104:
        case 105:
            ++r.commands;
            return {{to, commandReply(r.disconnectWord)}};
        case 106:
        case 107:
            ++r.commands;
            return {{to, commandReply(r.connectWord)}};
        case 110:
        case 111:
            return {{to, changeSiteReply(r.siteWord)}};
        }
        return {};
    }

    std::map<uint32_t, FakeRouter> routers_;
    std::vector<uint32_t> order_;
};

} // namespace qs::test
