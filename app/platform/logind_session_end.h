#pragma once

#include "ports.h"

#include <QDBusConnection>

namespace tarvo {

// Ends the desktop session through systemd-logind, on the bus it is given (the system bus in the
// program, a private one in tests).
class LogindSessionEnd : public SessionEndPort {
  public:
    explicit LogindSessionEnd(QDBusConnection bus) : bus_(std::move(bus)) {}
    void request(EndRequest what) override;

    // How long a request may keep the program from its own shutdown.
    static constexpr int kReplyTimeoutMs = 5000;

  private:
    QDBusConnection bus_;
};

} // namespace tarvo
