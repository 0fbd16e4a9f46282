// The publisher's platform, faked: an FTP transfer that reports what the test says, TimerWatch4 on
// the fake clock, a clipboard and a LAN address.
#pragma once

#include "clock_ports.h"
#include "core_fakes.h"
#include "ftp_transfer.h"
#include "publish_ports.h"

namespace tarvo::testing {

class FakeTransfer : public FtpTransfer {
  public:
    std::vector<FtpStore> started;
    int closes = 0;
    bool refuse = false;
    int failingCloses = 0; // how many of the next closes fail
    bool start(FtpStore request) override {
        if (refuse) return false;
        started.push_back(std::move(request));
        return true;
    }
    bool close() override {
        ++closes;
        if (failingCloses > 0) {
            --failingCloses;
            return false;
        }
        return true;
    }
    void report(int state) { stateChanged(state); }
};

// TimerWatch4 on the fake clock: each advance fires the ticks that fall due.
class FakeTimer : public QueryTimer {
  public:
    explicit FakeTimer(FakeClock &clock) : clock_(clock) {}
    int period = 0;
    std::int64_t next = 0;
    std::function<void()> tick;
    void setPeriod(int ms) override {
        period = ms;
        next = clock_.now + ms;
    }
    void advance(std::int64_t ms) {
        const std::int64_t end = clock_.now + ms;
        while (period > 0 && next <= end) {
            clock_.now = next;
            next += period;
            tick();
        }
        clock_.now = end;
    }

  private:
    FakeClock &clock_;
};

class FakeClipboard : public ClipboardPort {
  public:
    QString text = QStringLiteral("before");
    int clears = 0;
    void clear() override {
        ++clears;
        text.clear();
    }
    void setText(const QString &t) override { text = t; }
};

class FakeLan : public LanAddressPort {
  public:
    QString address = QStringLiteral("192.168.0.10");
    mutable QString askedFor;
    QString lanAddress(const QString &router) const override {
        askedFor = router;
        return address;
    }
};

} // namespace tarvo::testing
