#include "config.h"

#include "fields.h"
#include "text.h"

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

namespace qs::emulator {

namespace {

bool validId(std::string_view id) {
    if (id.empty()) return false;
    for (char c : id)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-')) return false;
    return true;
}

enum class Section { None, Router, Other };

// The lab script reads its own [lab] section from the same file; the emulator leaves it alone.
bool foreignSection(std::string_view header) {
    return header == "lab";
}

} // namespace

Config parseConfig(std::string_view text) {
    Config config;
    Section section = Section::None;
    std::vector<bool> hasAddress;
    int lineNumber = 0;
    auto fail = [&](const std::string &message) {
        Config failed;
        failed.error = "line " + std::to_string(lineNumber) + ": " + message;
        return failed;
    };

    while (!text.empty()) {
        ++lineNumber;
        size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;

        if (line.front() == '[') {
            if (line.back() != ']') return fail("section header without ']'");
            std::string_view header = trim(line.substr(1, line.size() - 2));
            if (foreignSection(header)) {
                section = Section::Other;
                continue;
            }
            int protocolClass = 0;
            if (header.starts_with("router "))
                protocolClass = 2;
            else if (header.starts_with("router3 "))
                protocolClass = 3;
            else
                return fail("unknown section '" + std::string(header) + "'");
            std::string_view id = trim(header.substr(header.find(' ')));
            if (!validId(id)) return fail("router name must be letters, digits, '_' or '-'");
            for (auto &r : config.routers)
                if (r.id == id) return fail("router '" + std::string(id) + "' appears twice");
            Router router;
            router.id = std::string(id);
            router.name = router.id;
            if (protocolClass == 3) {
                router.protocolClass = 3;
                router.model = kClass3DefaultModel;
                // Key id 1 has a scrambling key and command codes; 0 would mean neither.
                router.keyId = 1;
            }
            config.routers.push_back(std::move(router));
            hasAddress.push_back(false);
            section = Section::Router;
            continue;
        }

        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return fail("expected 'key = value'");
        std::string_view key = trim(line.substr(0, eq));
        std::string_view value = trim(line.substr(eq + 1));
        if (section == Section::Other) continue;
        if (section == Section::None)
            return fail("setting outside a [router NAME] or [router3 NAME] section");
        std::string error = setField(config.routers.back(), key, value);
        if (!error.empty()) return fail(error);
        if (key == "address") hasAddress.back() = true;
    }

    std::set<uint32_t> addresses;
    for (size_t i = 0; i < config.routers.size(); ++i) {
        auto &r = config.routers[i];
        if (!hasAddress[i]) return {{}, "router '" + r.id + "' has no address"};
        if (!addresses.insert(r.address).second)
            return {{}, "routers share the address " + formatAddress(r.address)};
    }
    return config;
}

Config loadConfig(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {{}, "cannot read " + path};
    std::ostringstream text;
    text << in.rdbuf();
    return parseConfig(text.str());
}

} // namespace qs::emulator
