#include "record_format.h"

#include <cstdio>
#include <sstream>

namespace qscli {

std::string formatAddress(uint32_t a) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                  a & 0xFF);
    return buf;
}

bool parseAddress(const std::string &text, uint32_t &out) {
    unsigned parts[4];
    char tail;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &tail) != 4)
        return false;
    out = 0;
    for (unsigned p : parts) {
        if (p > 255) return false;
        out = out << 8 | p;
    }
    return true;
}

std::string jsonText(const char *field, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && field[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            // Router texts are raw bytes in no declared encoding: keep every byte recoverable.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string lineStateName(int32_t s) {
    switch (s) {
    case LINE_OFF:
        return "off";
    case LINE_IDLE:
        return "idle";
    case LINE_BUSY:
        return "busy";
    case LINE_CONNECTED:
        return "connected";
    case LINE_CONNECTED_EX:
        return "connected";
    default:
        return "state " + std::to_string(s);
    }
}

std::string resultName(int32_t code) {
    switch (code) {
    case KZV_OK:
        return "ok";
    case KZV_E_FAIL:
        return "failure";
    case KZV_E_UNSUPPORTED:
        return "not offered by this model";
    case KZV_E_NO_ANSWER:
        return "no answer";
    case KZV_E_PARAM:
        return "bad argument";
    case KZV_E_BUSY:
        return "busy";
    case KZV_E_NO_LIST:
        return "no discovery list";
    case KZV_E_SEARCHING:
        return "still searching";
    case KZV_E_CONNECT_STATE:
        return "line not ready to connect";
    case KZV_E_DISCONNECT_STATE:
        return "line not connected";
    case KZV_E_TIMEOUT:
        return "timed out";
    case KZV_E_DISCONNECT_TIMEOUT:
        return "timed out hanging up";
    case KZV_E_REFUSED:
        return "authentication refused";
    default:
        return "code " + std::to_string(code);
    }
}

namespace {

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

std::string text(const char *field, size_t size) {
    std::string out;
    for (size_t i = 0; i < size && field[i] != '\0'; ++i) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    return out;
}

template <size_t N> std::string jsonNames(const char (&names)[4][N]) {
    std::ostringstream o;
    o << '[';
    for (int i = 0; i < 4; ++i)
        o << (i ? "," : "") << '"' << jsonText(names[i], N) << '"';
    o << ']';
    return o.str();
}

std::string jsonFlags(const uint16_t (&flags)[4]) {
    std::ostringstream o;
    o << '[';
    for (int i = 0; i < 4; ++i)
        o << (i ? "," : "") << flags[i];
    o << ']';
    return o.str();
}

} // namespace

std::string routerText(const RouterRecord &r) {
    std::ostringstream o;
    o << formatAddress(r.address) << "  " << text(r.name, sizeof r.name) << "  model "
      << hex(r.model_code) << "  mask " << formatAddress(r.subnet_mask) << "  key " << r.key_id;
    return o.str();
}

std::string routerJson(const RouterRecord &r) {
    std::ostringstream o;
    o << "{\"address\":\"" << formatAddress(r.address) << "\",\"subnet_mask\":\""
      << formatAddress(r.subnet_mask) << "\",\"name\":\"" << jsonText(r.name, sizeof r.name)
      << "\",\"model_code\":" << r.model_code << ",\"key_id\":" << r.key_id
      << ",\"second_id\":" << r.second_id << ",\"capability_high\":" << r.capability_high
      << ",\"capability_low\":" << r.capability_low << ",\"auth_flag\":" << r.auth_flag
      << ",\"from_challenge\":" << r.from_challenge << "}";
    return o.str();
}

std::string portText(const PortCondition &p) {
    std::ostringstream o;
    o << "line " << lineStateName(p.line_state) << " (" << p.line_state << "), flags "
      << hex(p.status_flags) << ", destination " << p.selected_site << '\n';
    for (int i = 0; i < 4; ++i)
        o << "  " << (i == p.selected_site ? '*' : ' ') << ' ' << i << ' '
          << (p.site_registered[i] ? text(p.site_names[i], 40) : "(not registered)") << '\n';
    return o.str();
}

std::string portJson(const PortCondition &p) {
    std::ostringstream o;
    o << "{\"line_state\":" << p.line_state << ",\"line\":\"" << lineStateName(p.line_state)
      << "\",\"status_flags\":" << p.status_flags << ",\"selected_site\":" << p.selected_site
      << ",\"site_registered\":" << jsonFlags(p.site_registered)
      << ",\"site_names\":" << jsonNames(p.site_names) << "}";
    return o.str();
}

std::string conditionExText(const ConditionExRecord &e) {
    std::ostringstream o;
    o << "line " << lineStateName(e.line_state) << " (" << e.line_state << "), type " << e.line_type
      << ", mode " << e.connection_mode << '\n'
      << "global address " << formatAddress(e.global_address) << '\n'
      << "destination " << e.selected_site << ": " << text(e.site_names[e.selected_site & 3], 40)
      << '\n'
      << "sent " << e.bytes_sent << " bytes / " << e.packets_sent << " packets, received "
      << e.bytes_received << " bytes / " << e.packets_received << " packets, errors "
      << e.error_packets << '\n'
      << "connected for " << e.connection_time / 10 << " s\n";
    return o.str();
}

std::string conditionExJson(const ConditionExRecord &e) {
    std::ostringstream o;
    o << "{\"line_state\":" << e.line_state << ",\"line\":\"" << lineStateName(e.line_state)
      << "\",\"status_flags\":" << e.status_flags << ",\"line_type\":" << e.line_type
      << ",\"selected_site\":" << e.selected_site
      << ",\"site_registered\":" << jsonFlags(e.site_registered)
      << ",\"site_names\":" << jsonNames(e.site_names)
      << ",\"connection_mode\":" << e.connection_mode << ",\"global_address\":\""
      << formatAddress(e.global_address) << "\",\"bytes_sent\":" << e.bytes_sent
      << ",\"bytes_received\":" << e.bytes_received << ",\"packets_sent\":" << e.packets_sent
      << ",\"packets_received\":" << e.packets_received << ",\"error_packets\":" << e.error_packets
      << ",\"connection_time\":" << e.connection_time << ",\"timer_kind\":" << e.timer_kind << "}";
    return o.str();
}

} // namespace qscli
