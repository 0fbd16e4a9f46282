#include "control.h"

#include "fields.h"
#include "line.h"

#include <algorithm>

namespace qs::emulator {

namespace {

// Splits off the first space-separated word of s.
std::string_view word(std::string_view &s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    size_t end = s.find(' ');
    std::string_view w = s.substr(0, end);
    s.remove_prefix(end == std::string_view::npos ? s.size() : end);
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return w;
}

std::string error(const std::string &message) {
    return "error " + message + "\n";
}

std::string list(const std::vector<std::string> &lines) {
    std::string r = "ok " + std::to_string(lines.size()) + "\n";
    for (auto &l : lines)
        r += l + "\n";
    return r;
}

Router *findRouter(std::vector<Router> &routers, std::string_view id) {
    for (auto &r : routers)
        if (r.id == id) return &r;
    return nullptr;
}

bool knownRouter(std::vector<Router> &routers, std::string_view id) {
    return id.empty() || findRouter(routers, id) != nullptr;
}

// "set * key value" changes every router; a refused value changes none.
std::string set(std::vector<Router> &routers, std::string_view id, std::string_view key,
                std::string_view value, int64_t nowMs) {
    std::vector<Router *> targets;
    if (id == "*") {
        for (auto &r : routers)
            targets.push_back(&r);
    } else if (auto *r = findRouter(routers, id)) {
        targets.push_back(r);
    } else {
        return error("no router '" + std::string(id) + "'");
    }
    std::vector<Router> trials;
    for (Router *r : targets) {
        trials.push_back(*r);
        advance(trials.back(), nowMs);
        if (auto e = setField(trials.back(), key, value); !e.empty()) return error(e);
    }
    for (size_t i = 0; i < targets.size(); ++i)
        *targets[i] = std::move(trials[i]);
    return "ok\n";
}

} // namespace

ControlResult handleControl(std::vector<Router> &routers, DatagramLog &log, std::string_view line,
                            int64_t nowMs) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.remove_suffix(1);
    std::string_view rest = line;
    std::string_view command = word(rest);

    if (command == "ping") return {"ok pong\n"};
    if (command == "routers") {
        std::vector<std::string> lines;
        for (auto &r : routers)
            lines.push_back(r.id + " " + formatAddress(r.address));
        return {list(lines)};
    }
    if (command == "keys") {
        std::string_view id = word(rest);
        if (!id.empty()) {
            Router *r = findRouter(routers, id);
            if (!r) return {error("no router '" + std::string(id) + "'")};
            return {list(fieldNames(r->protocolClass))};
        }
        std::vector<std::string> keys = fieldNames(2);
        for (auto &k : fieldNames(3))
            if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
        return {list(keys)};
    }
    if (command == "set") {
        std::string_view id = word(rest);
        std::string_view key = word(rest);
        if (id.empty() || key.empty()) return {error("usage: set ROUTER|* KEY VALUE")};
        return {set(routers, id, key, rest, nowMs)};
    }
    if (command == "get") {
        std::string_view id = word(rest);
        std::string_view key = word(rest);
        Router *r = findRouter(routers, id);
        if (!r) return {error("no router '" + std::string(id) + "'")};
        advance(*r, nowMs);
        auto value = getField(*r, key);
        if (!value) return {error("unknown key '" + std::string(key) + "'")};
        return {"ok " + *value + "\n"};
    }
    if (command == "log") {
        std::string_view id = word(rest);
        if (!knownRouter(routers, id)) return {error("no router '" + std::string(id) + "'")};
        std::vector<std::string> lines;
        for (auto *e : log.select(id))
            lines.push_back(formatLogLine(*e));
        return {list(lines)};
    }
    if (command == "clear_log") {
        std::string_view id = word(rest);
        if (!knownRouter(routers, id)) return {error("no router '" + std::string(id) + "'")};
        log.clear(id);
        return {"ok\n"};
    }
    if (command == "shutdown") return {"ok\n", true};
    return {error("unknown command '" + std::string(command) + "'")};
}

} // namespace qs::emulator
