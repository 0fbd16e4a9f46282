#include "datagram_log.h"

#include "fields.h"
#include "text.h"

#include <algorithm>

namespace qs::emulator {

void DatagramLog::add(LoggedDatagram entry) {
    if (entries_.size() == kCapacity) entries_.pop_front();
    entries_.push_back(std::move(entry));
}

std::vector<const LoggedDatagram *> DatagramLog::select(std::string_view router) const {
    std::vector<const LoggedDatagram *> selected;
    for (auto &e : entries_)
        if (router.empty() || e.router == router) selected.push_back(&e);
    return selected;
}

void DatagramLog::clear(std::string_view router) {
    std::erase_if(entries_,
                  [&](const LoggedDatagram &e) { return router.empty() || e.router == router; });
}

std::string formatLogLine(const LoggedDatagram &e) {
    std::string hex = e.bytes.empty() ? "-" : toHex(e.bytes);
    return e.router + " " + std::to_string(e.ms) + " " + formatAddress(e.senderAddress) + ":" +
           std::to_string(e.senderPort) + " " + (e.broadcast ? "bcast" : "ucast") + " " +
           std::to_string(e.bytes.size()) + " " + hex;
}

} // namespace qs::emulator
