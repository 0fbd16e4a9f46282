#include "fields.h"

#include "text.h"

#include <charconv>
#include <functional>
#include <limits>
#include <span>

namespace qs::emulator {

namespace {

std::vector<std::string_view> splitList(std::string_view s, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        size_t at = s.find(separator);
        parts.push_back(trim(s.substr(0, at)));
        if (at == std::string_view::npos) return parts;
        s.remove_prefix(at + 1);
    }
}

std::optional<uint64_t> parseUnsigned(std::string_view s, uint64_t max) {
    s = trim(s);
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size() || v > max)
        return std::nullopt;
    return v;
}

std::optional<int64_t> parseSigned(std::string_view s) {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    int64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<bool> parseBool(std::string_view s) {
    s = trim(s);
    if (s == "1" || s == "true" || s == "yes" || s == "on") return true;
    if (s == "0" || s == "false" || s == "no" || s == "off") return false;
    return std::nullopt;
}

// Seconds with up to three decimals ("2", "0.25"), as milliseconds.
std::optional<int64_t> parseSeconds(std::string_view s) {
    s = trim(s);
    size_t dot = s.find('.');
    auto whole = parseUnsigned(s.substr(0, dot), 1000000);
    if (!whole) return std::nullopt;
    int64_t ms = static_cast<int64_t>(*whole) * 1000;
    if (dot == std::string_view::npos) return ms;
    std::string_view fraction = s.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 3) return std::nullopt;
    auto digits = parseUnsigned(fraction, 999);
    if (!digits || fraction.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int64_t scale = fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1;
    return ms + static_cast<int64_t>(*digits) * scale;
}

std::string formatSeconds(int64_t ms) {
    std::string s = std::to_string(ms / 1000);
    if (ms % 1000 == 0) return s;
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0')
        fraction.pop_back();
    return s + "." + fraction;
}

// "connect" / "hangup" (the natural end, named after the command), "stay_busy", "refuse:N",
// "end:N".
std::optional<Outcome> parseOutcome(std::string_view s, std::string_view natural, Outcome old) {
    s = trim(s);
    Outcome o = old;
    o.value = 0;
    if (s == natural) {
        o.kind = Outcome::Complete;
        return o;
    }
    if (s == "stay_busy") {
        o.kind = Outcome::StayBusy;
        return o;
    }
    for (auto [prefix, kind] : {std::pair{std::string_view("refuse:"), Outcome::Refuse},
                                std::pair{std::string_view("end:"), Outcome::EndIn}}) {
        if (!s.starts_with(prefix)) continue;
        auto v = parseUnsigned(s.substr(prefix.size()), 0xFFFF);
        if (!v) return std::nullopt;
        o.kind = kind;
        o.value = static_cast<uint16_t>(*v);
        return o;
    }
    return std::nullopt;
}

std::string formatOutcome(const Outcome &o, std::string_view natural) {
    switch (o.kind) {
    case Outcome::Complete:
        return std::string(natural);
    case Outcome::StayBusy:
        return "stay_busy";
    case Outcome::Refuse:
        return "refuse:" + std::to_string(o.value);
    case Outcome::EndIn:
        return "end:" + std::to_string(o.value);
    }
    return {};
}

// Which classes of router a key applies to.
constexpr int kClass2Only = 1;
constexpr int kClass3Only = 2;
constexpr int kEveryClass = kClass2Only | kClass3Only;

bool appliesTo(int classes, int protocolClass) {
    return (classes & (protocolClass == 3 ? kClass3Only : kClass2Only)) != 0;
}

template <class Owner> struct Field {
    std::string key;
    std::function<std::string(Owner &, std::string_view)> set;
    std::function<std::string(const Owner &)> get;
    int classes = kEveryClass;
};

template <class Owner> Field<Owner> only(int classes, Field<Owner> f) {
    f.classes = classes;
    return f;
}

template <class Owner, class T> Field<Owner> number(std::string key, T Owner::*member) {
    auto set = [member, key](Owner &o, std::string_view v) -> std::string {
        auto n = parseUnsigned(v, std::numeric_limits<T>::max());
        if (!n)
            return key + ": expected a number from 0 to " +
                   std::to_string(std::numeric_limits<T>::max());
        o.*member = static_cast<T>(*n);
        return {};
    };
    auto get = [member](const Owner &o) { return std::to_string(o.*member); };
    return {std::move(key), set, get};
}

template <class Owner>
Field<Owner> text(std::string key, std::string Owner::*member, size_t maxBytes) {
    auto set = [member, key, maxBytes](Owner &o, std::string_view v) -> std::string {
        v = trim(v);
        if (v.size() > maxBytes)
            return key + ": longer than " + std::to_string(maxBytes) + " bytes";
        o.*member = std::string(v);
        return {};
    };
    auto get = [member](const Owner &o) { return o.*member; };
    return {std::move(key), set, get};
}

template <class Owner> Field<Owner> address(std::string key, uint32_t Owner::*member) {
    auto set = [member, key](Owner &o, std::string_view v) -> std::string {
        auto a = parseAddress(v);
        if (!a) return key + ": expected a dotted IPv4 address";
        o.*member = *a;
        return {};
    };
    auto get = [member](const Owner &o) { return formatAddress(o.*member); };
    return {std::move(key), set, get};
}

template <class Owner> Field<Owner> flag(std::string key, bool Owner::*member) {
    auto set = [member, key](Owner &o, std::string_view v) -> std::string {
        auto b = parseBool(v);
        if (!b) return key + ": expected 0 or 1";
        o.*member = *b;
        return {};
    };
    auto get = [member](const Owner &o) { return std::string(o.*member ? "1" : "0"); };
    return {std::move(key), set, get};
}

Field<Port> outcome(std::string key, Outcome Port::*member, std::string natural) {
    auto set = [member, key, natural](Port &p, std::string_view v) -> std::string {
        auto o = parseOutcome(v, natural, p.*member);
        if (!o) return key + ": expected " + natural + ", stay_busy, refuse:N or end:N";
        p.*member = *o;
        return {};
    };
    auto get = [member, natural](const Port &p) { return formatOutcome(p.*member, natural); };
    return {std::move(key), set, get};
}

Field<Port> delay(std::string key, Outcome Port::*member) {
    auto set = [member, key](Port &p, std::string_view v) -> std::string {
        auto ms = parseSeconds(v);
        if (!ms) return key + ": expected seconds, e.g. 2 or 0.5";
        (p.*member).delayMs = *ms;
        return {};
    };
    auto get = [member](const Port &p) { return formatSeconds((p.*member).delayMs); };
    return {std::move(key), set, get};
}

Field<Port> counter(std::string key, Counter c) {
    auto set = [c, key](Port &p, std::string_view v) -> std::string {
        auto n = parseUnsigned(v, 0xFFFFFFFF);
        if (!n) return key + ": expected a 32-bit number";
        p.setCounter(c, static_cast<uint32_t>(*n));
        return {};
    };
    auto get = [c](const Port &p) { return std::to_string(p.counter(c)); };
    return {std::move(key), set, get};
}

Field<Port> rate(std::string key, Counter c) {
    auto set = [c, key](Port &p, std::string_view v) -> std::string {
        auto n = parseUnsigned(v, 0xFFFFFFFF);
        if (!n) return key + ": expected a 32-bit number";
        p.ratePerSecond[c] = static_cast<uint32_t>(*n);
        return {};
    };
    auto get = [c](const Port &p) { return std::to_string(p.ratePerSecond[c]); };
    return {std::move(key), set, get};
}

template <size_t N>
Field<Router> rawBytes(std::string key, std::array<uint8_t, N> Router::*member) {
    auto set = [member, key](Router &r, std::string_view v) -> std::string {
        auto bytes = splitList(trim(v), ' ');
        auto &field = r.*member;
        if (bytes.size() != field.size()) {
            std::string example;
            for (size_t i = 1; i <= N; ++i)
                example += (i > 1 ? " 0" : "0") + std::to_string(i);
            return key + ": expected " + std::to_string(N) + " hex bytes, e.g. " + example;
        }
        std::array<uint8_t, N> parsed{};
        for (size_t i = 0; i < bytes.size(); ++i) {
            auto b = bytes[i].size() <= 2 ? parseUnsigned("0x" + std::string(bytes[i]), 0xFF)
                                          : std::nullopt;
            if (!b) return key + ": '" + std::string(bytes[i]) + "' is no hex byte";
            parsed[i] = static_cast<uint8_t>(*b);
        }
        field = parsed;
        return {};
    };
    return {std::move(key), set, [member](const Router &r) { return toHex(r.*member, ' '); }};
}

// A TFTP error message holds at most 508 bytes; the answer's "KKKK/MMMMMMMM/" comes first.
constexpr size_t kRefusalBytes = 400;

Field<Router> refusal(Class3Command c, std::string key) {
    auto set = [c, key](Router &r, std::string_view v) -> std::string {
        v = trim(v);
        if (v.size() > kRefusalBytes)
            return key + ": longer than " + std::to_string(kRefusalBytes) + " bytes";
        r.refusals[c] = std::string(v);
        return {};
    };
    auto get = [c](const Router &r) { return r.refusals[c]; };
    return {std::move(key), set, get, kClass3Only};
}

Field<Router> wrongLength() {
    auto set = [](Router &r, std::string_view v) -> std::string {
        auto n = parseSigned(v);
        if (!n || *n < -2000 || *n > 2000) return "wrong_length: expected -2000..2000 bytes";
        r.wrongLength = static_cast<int32_t>(*n);
        return {};
    };
    return {"wrong_length", set, [](const Router &r) { return std::to_string(r.wrongLength); }};
}

const std::vector<Field<Router>> &routerFields() {
    static const std::vector<Field<Router>> fields{
        address("address", &Router::address),
        address("mask", &Router::mask),
        number("model", &Router::model),
        text("name", &Router::name, kNameBytes),
        number("key_id", &Router::keyId),
        only(kClass2Only, number("second_id", &Router::secondId)),
        only(kClass2Only, number("capability", &Router::capability)),
        only(kClass2Only, rawBytes("info_raw", &Router::infoRaw)),
        only(kClass2Only, rawBytes("info_30", &Router::info30)),
        only(kClass2Only, number("info_32", &Router::info32)),
        only(kClass2Only, rawBytes("info_38", &Router::info38)),
        only(kClass2Only, rawBytes("info_40", &Router::info40)),
        flag("silent", &Router::silent),
        only(kClass2Only, flag("answer_twice", &Router::answerTwice)),
        wrongLength(),
        number("reply_delay_ms", &Router::replyDelayMs),
        only(kClass2Only, flag("oversize", &Router::oversize)),
        only(kClass3Only, text("user", &Router::user, kCredentialBytes)),
        only(kClass3Only, text("password", &Router::password, kCredentialBytes)),
        only(kClass3Only, number("auth_seed", &Router::authSeed)),
        only(kClass3Only, number("scramble_seed", &Router::scrambleSeed)),
        only(kClass3Only, rawBytes("search_48", &Router::search48)),
        only(kClass3Only, number("search_54", &Router::search54)),
        only(kClass3Only, number("search_56", &Router::search56)),
        only(kClass3Only, number("search_60", &Router::search60)),
        only(kClass3Only, number("search_62", &Router::search62)),
        only(kClass3Only, number("search_64", &Router::search64)),
        only(kClass3Only, number("search_66", &Router::search66)),
        only(kClass3Only, number("timer_kind", &Router::timerKind)),
        only(kClass3Only, number("timer_value", &Router::timerValue)),
        refusal(kConnect3, "refuse_connect"),
        refusal(kDisconnect3, "refuse_disconnect"),
        refusal(kChangeAccount3, "refuse_changeaccount"),
        refusal(kGetStatus3, "refuse_getstatus"),
        refusal(kClearStatus3, "refuse_clearstatus"),
        refusal(kSearch3, "refuse_search"),
        only(kClass3Only, flag("block2_first", &Router::block2First)),
        only(kClass3Only, flag("unknown_command", &Router::unknownCommand)),
        only(kClass3Only, number("stale_status", &Router::staleStatus)),
        only(kClass3Only, number("stale_writes", &Router::staleWrites)),
    };
    return fields;
}

Field<Port> siteNames() {
    auto set = [](Port &p, std::string_view v) -> std::string {
        auto names = splitList(v, ',');
        if (names.size() > 4) return "site_names: at most 4 names";
        std::array<std::string, 4> parsed;
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i].size() > kNameBytes) return "site_names: a name is longer than 32 bytes";
            parsed[i] = std::string(names[i]);
        }
        p.siteNames = parsed;
        return {};
    };
    auto get = [](const Port &p) {
        return p.siteNames[0] + "," + p.siteNames[1] + "," + p.siteNames[2] + "," + p.siteNames[3];
    };
    return {"site_names", set, get};
}

Field<Port> siteRegistered() {
    auto set = [](Port &p, std::string_view v) -> std::string {
        auto flags = splitList(v, ',');
        if (flags.size() != 4) return "site_registered: expected 4 comma-separated numbers";
        std::array<uint16_t, 4> parsed{};
        for (size_t i = 0; i < 4; ++i) {
            auto n = parseUnsigned(flags[i], 0xFFFF);
            if (!n) return "site_registered: '" + std::string(flags[i]) + "' is no 16-bit number";
            parsed[i] = static_cast<uint16_t>(*n);
        }
        p.siteRegistered = parsed;
        return {};
    };
    auto get = [](const Port &p) {
        auto &r = p.siteRegistered;
        return std::to_string(r[0]) + "," + std::to_string(r[1]) + "," + std::to_string(r[2]) +
               "," + std::to_string(r[3]);
    };
    return {"site_registered", set, get};
}

// Setting the state by hand also ends a dial or hang-up in progress, so that a test which drops
// the line is not overruled by a connection completing a moment later.
Field<Port> lineState() {
    auto set = [](Port &p, std::string_view v) -> std::string {
        auto n = parseUnsigned(v, 0xFFFF);
        if (!n) return "state: expected a 16-bit number";
        p.state = static_cast<uint16_t>(*n);
        p.pending = false;
        return {};
    };
    return {"state", set, [](const Port &p) { return std::to_string(p.state); }};
}

Field<Port> stateBits() {
    auto set = [](Port &p, std::string_view v) -> std::string {
        if (trim(v) == "auto") {
            p.stateBits = -1;
            return {};
        }
        auto n = parseUnsigned(v, 0xFFFF);
        if (!n) return "state_bits: expected auto or a 16-bit number";
        p.stateBits = static_cast<int32_t>(*n);
        return {};
    };
    auto get = [](const Port &p) {
        return p.stateBits < 0 ? std::string("auto") : std::to_string(p.stateBits);
    };
    return {"state_bits", set, get, kClass3Only};
}

Field<Port> timerTime() {
    auto set = [](Port &p, std::string_view v) -> std::string {
        auto parts = splitList(v, ':');
        std::optional<uint64_t> h, m, s;
        if (parts.size() == 3) {
            h = parseUnsigned(parts[0], 0xFFFF);
            m = parseUnsigned(parts[1], 0xFFFF);
            s = parseUnsigned(parts[2], 0xFFFF);
        }
        if (!h || !m || !s) return "timer_time: expected H:M:S";
        p.timerHour = static_cast<uint16_t>(*h);
        p.timerMinute = static_cast<uint16_t>(*m);
        p.timerSecond = static_cast<uint16_t>(*s);
        return {};
    };
    auto get = [](const Port &p) {
        return std::to_string(p.timerHour) + ":" + std::to_string(p.timerMinute) + ":" +
               std::to_string(p.timerSecond);
    };
    return {"timer_time", set, get};
}

const std::vector<Field<Port>> &portFields() {
    static const std::vector<Field<Port>> fields{
        lineState(),
        number("status_flags", &Port::statusFlags),
        number("site", &Port::site),
        siteNames(),
        siteRegistered(),
        number("site_result", &Port::siteResult),
        number("line_type", &Port::lineType),
        number("connection_mode", &Port::connectionMode),
        address("global_address", &Port::globalAddress),
        only(kClass2Only, number("timer_kind", &Port::timerKind)),
        only(kClass2Only, timerTime()),
        only(kClass2Only, number("timer_value", &Port::timerValue)),
        stateBits(),
        number("status_value1", &Port::statusValue1),
        number("status_value2", &Port::statusValue2),
        text("status_text1", &Port::statusText1, kLongTextBytes),
        text("status_text2", &Port::statusText2, kNameBytes),
        delay("dial_delay", &Port::dial),
        outcome("dial_outcome", &Port::dial, "connect"),
        delay("hangup_delay", &Port::hangup),
        outcome("hangup_outcome", &Port::hangup, "hangup"),
        counter("bytes_sent", kBytesSent),
        counter("bytes_received", kBytesReceived),
        counter("packets_sent", kPacketsSent),
        counter("packets_received", kPacketsReceived),
        counter("error_packets", kErrorPackets),
        counter("connection_time", kConnectionTime),
        rate("bytes_sent_rate", kBytesSent),
        rate("bytes_received_rate", kBytesReceived),
        rate("packets_sent_rate", kPacketsSent),
        rate("packets_received_rate", kPacketsReceived),
        rate("error_packets_rate", kErrorPackets),
        rate("connection_time_rate", kConnectionTime),
    };
    return fields;
}

// Splits "port1.state" into port 1 and "state"; nullopt port for a router key.
struct Key {
    std::optional<size_t> port;
    std::string_view name;
};

std::optional<Key> splitKey(std::string_view key) {
    key = trim(key);
    if (!key.starts_with("port")) return Key{std::nullopt, key};
    if (key.size() < 6 || (key[4] != '0' && key[4] != '1') || key[5] != '.') return std::nullopt;
    return Key{static_cast<size_t>(key[4] - '0'), key.substr(6)};
}

template <class Owner>
const Field<Owner> *find(const std::vector<Field<Owner>> &fields, std::string_view name) {
    for (auto &f : fields)
        if (f.key == name) return &f;
    return nullptr;
}

} // namespace

std::optional<uint32_t> parseAddress(std::string_view text) {
    auto parts = splitList(trim(text), '.');
    if (parts.size() != 4) return std::nullopt;
    uint32_t a = 0;
    for (auto part : parts) {
        if (part.starts_with("0x") || part.starts_with("0X")) return std::nullopt;
        auto octet = parseUnsigned(part, 255);
        if (!octet) return std::nullopt;
        a = a << 8 | static_cast<uint32_t>(*octet);
    }
    return a;
}

std::string setField(Router &router, std::string_view key, std::string_view value) {
    auto k = splitKey(key);
    auto misfit = [&] {
        return "key '" + std::string(key) + "' does not apply to class " +
               std::to_string(router.protocolClass) + " routers";
    };
    if (k && k->port) {
        if (auto *f = find(portFields(), k->name)) {
            if (!appliesTo(f->classes, router.protocolClass)) return misfit();
            return f->set(router.ports[*k->port], value);
        }
    } else if (k) {
        if (auto *f = find(routerFields(), k->name)) {
            if (!appliesTo(f->classes, router.protocolClass)) return misfit();
            return f->set(router, value);
        }
    }
    return "unknown key '" + std::string(key) + "'";
}

std::optional<std::string> getField(const Router &router, std::string_view key) {
    auto k = splitKey(key);
    if (k && k->port) {
        if (auto *f = find(portFields(), k->name); f && appliesTo(f->classes, router.protocolClass))
            return f->get(router.ports[*k->port]);
    } else if (k) {
        if (auto *f = find(routerFields(), k->name);
            f && appliesTo(f->classes, router.protocolClass))
            return f->get(router);
    }
    return std::nullopt;
}

std::vector<std::string> fieldNames(int protocolClass) {
    std::vector<std::string> names;
    for (auto &f : routerFields())
        if (appliesTo(f.classes, protocolClass)) names.push_back(f.key);
    for (const char *port : {"port0.", "port1."})
        for (auto &f : portFields())
            if (appliesTo(f.classes, protocolClass)) names.push_back(port + f.key);
    return names;
}

std::string formatAddress(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string(a >> 16 & 255) + "." +
           std::to_string(a >> 8 & 255) + "." + std::to_string(a & 255);
}

} // namespace qs::emulator
