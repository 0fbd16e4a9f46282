// quaystone-cli: drives routers from a terminal through the library's public interface only,
// as any third-party caller would.
#include "completion_inbox.h"
#include "record_format.h"
#include "traffic_monitor.h"

#include "quaystone/quaystone.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace qscli;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t kFindMessage = 1034;
constexpr uint32_t kConnectMessage = 1054;
constexpr uint32_t kDisconnectMessage = 1064;

enum Exit { kOk = 0, kFailed = 1, kUsage = 2, kNotFound = 3 };

struct Options {
    bool json = false;
    bool extended = false;
    int max = KZV_MAX_ROUTERS;
    MonitorOptions monitor;
    // Class 3 credentials, set on the router's record before the command.
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::vector<std::string> args;
};

void usage() {
    std::fputs(
        "usage: quaystone-cli [--json] [--max N] [CREDENTIALS] COMMAND [ARGS]\n"
        "\n"
        "commands:\n"
        "  find                        discover the routers on the LAN\n"
        "  status ROUTER [PORT] [--ex] condition of a port (--ex: connection details)\n"
        "  connect ROUTER [PORT]       dial and wait until the line is up or the dial fails\n"
        "  disconnect ROUTER [PORT]    hang up and wait until the line is down\n"
        "  site ROUTER PORT SITE       select dial destination SITE (0..3) for PORT\n"
        "  clear ROUTER [PORT]         clear the traffic counters\n"
        "  monitor ROUTER [PORT] [--interval S] [--count N]\n"
        "                              received and sent bytes every S seconds (default 1),\n"
        "                              N intervals or until Ctrl-C; the first reading only\n"
        "                              starts the count, a counter reset shows 0\n"
        "  demo                        find, show both ports, dial port 0, show it, hang up\n"
        "  version                     this program's version and the library's interface version\n"
        "\n"
        "ROUTER is an IPv4 address or a router name; PORT is 0 (default) or 1.\n"
        "\n"
        "credentials (class 3 routers; set with KZV_SetPassword before the command):\n"
        "  --user NAME                 user name, up to 20 bytes\n"
        "  --password TEXT             password, up to 20 bytes (visible to other users:\n"
        "                              prefer one of the next two)\n"
        "  --password-env VAR          the password is the value of environment variable VAR\n"
        "  --password-stdin            the password is the first line of standard input\n"
        "A router that only answered the search with its challenge has no name yet: give\n"
        "its address.\n"
        "Exit status: 0 success, 1 the router or library reported a failure, 2 usage,\n"
        "3 no such router.\n",
        stderr);
}

std::optional<Options> parseOptions(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--json") {
            o.json = true;
        } else if (a == "--ex") {
            o.extended = true;
        } else if (a == "--max" && i + 1 < argc) {
            o.max = std::atoi(argv[++i]);
        } else if (a == "--interval" && i + 1 < argc) {
            o.monitor.intervalSeconds = std::atof(argv[++i]);
            if (!(o.monitor.intervalSeconds >= 0.1 && o.monitor.intervalSeconds <= 86400)) {
                std::cerr << "--interval wants seconds from 0.1 to 86400\n";
                return std::nullopt;
            }
        } else if (a == "--count" && i + 1 < argc) {
            o.monitor.count = std::atol(argv[++i]);
            if (o.monitor.count < 0) return std::nullopt;
        } else if (a == "--user" && i + 1 < argc) {
            o.user = argv[++i];
        } else if (a == "--password" && i + 1 < argc) {
            o.password = argv[++i];
        } else if (a == "--password-env" && i + 1 < argc) {
            const char *value = std::getenv(argv[++i]);
            if (!value) {
                std::cerr << "environment variable " << argv[i] << " is not set\n";
                return std::nullopt;
            }
            o.password = value;
        } else if (a == "--password-stdin") {
            std::string line;
            if (!std::getline(std::cin, line)) {
                std::cerr << "no password on standard input\n";
                return std::nullopt;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            o.password = line;
        } else if (a == "-h" || a == "--help") {
            return std::nullopt;
        } else if (a.rfind("--", 0) == 0) {
            std::cerr << "unknown option " << a << '\n';
            return std::nullopt;
        } else {
            o.args.push_back(a);
        }
    }
    if (o.args.empty()) return std::nullopt;
    return o;
}

int32_t parsePort(const Options &o, size_t index) {
    if (o.args.size() <= index) return 0;
    return std::atoi(o.args[index].c_str());
}

void printFailure(const Options &o, const std::string &what, int32_t code, int32_t detail = 0) {
    if (o.json)
        std::cout << "{\"ok\":false,\"step\":\"" << what << "\",\"code\":" << code
                  << ",\"detail\":" << detail << ",\"error\":\"" << resultName(code) << "\"}\n";
    else
        std::cerr << what << ": " << resultName(code) << " (" << code << ", " << detail << ")\n";
}

class Session {
  public:
    explicit Session(const Options &o) : o_(o) {}
    ~Session() { KZV_Cleanup(); }

    // Runs one discovery and keeps its records. False after reporting a failure.
    bool discover() {
        NotifyTarget t{inbox_.window(), kFindMessage};
        int32_t rc = KZV_Find(&t, o_.max);
        if (rc != KZV_OK) return printFailure(o_, "find", rc), false;
        auto done = inbox_.wait(kFindMessage, 60s);
        if (!done) return printFailure(o_, "find", KZV_E_NO_ANSWER), false;
        // A socket failure of one router family is reported, but the other may still have
        // found routers: fetch the list either way.
        if (done->wparam != KZV_OK) printFailure(o_, "find", done->wparam, done->lparam);
        records_.assign(static_cast<size_t>(o_.max), RouterRecord{});
        int32_t count = 0;
        rc = KZV_GetInformation(records_.data(), &count);
        if (rc != KZV_OK) return printFailure(o_, "find", rc), false;
        records_.resize(static_cast<size_t>(count));
        discovered_ = true;
        return true;
    }

    RouterRecord *find(const std::string &key) {
        uint32_t address = 0;
        const bool numeric = parseAddress(key, address);
        for (auto &r : records_) {
            if (numeric ? r.address == address : key == std::string(r.name, strnlen(r.name, 40)))
                return &r;
        }
        return nullptr;
    }

    const std::vector<RouterRecord> &records() const { return records_; }
    bool discovered() const { return discovered_; }

    std::optional<Completion> await(uint32_t message, std::chrono::seconds limit) {
        return inbox_.wait(message, limit);
    }
    uint32_t window() const { return inbox_.window(); }

  private:
    const Options &o_;
    CompletionInbox inbox_;
    std::vector<RouterRecord> records_;
    bool discovered_ = false;
};

int cmdFind(const Options &o, Session &s) {
    if (!s.discover()) return kFailed;
    if (o.json) {
        std::cout << "{\"ok\":true,\"routers\":[";
        for (size_t i = 0; i < s.records().size(); ++i)
            std::cout << (i ? "," : "") << routerJson(s.records()[i]);
        std::cout << "]}\n";
    } else {
        if (s.records().empty()) std::cout << "no routers found\n";
        for (const auto &r : s.records())
            std::cout << routerText(r) << '\n';
    }
    return kOk;
}

RouterRecord *routerFor(const Options &o, Session &s) {
    if (o.args.size() < 2) {
        usage();
        return nullptr;
    }
    if (!s.discover()) return nullptr;
    RouterRecord *r = s.find(o.args[1]);
    if (!r) {
        if (o.json)
            std::cout << "{\"ok\":false,\"error\":\"no such router\",\"router\":\"" << o.args[1]
                      << "\"}\n";
        else
            std::cerr << "no router " << o.args[1] << " answered the search\n";
    }
    return r;
}

// Class 3 routers answer only requests signed with their credentials; the library checks them
// with the router and keeps them in the record. False after reporting a failure.
bool applyCredentials(const Options &o, RouterRecord &r) {
    if (!o.user && !o.password) return true;
    RouterCredentials c{};
    auto fill = [](const std::optional<std::string> &from, uint32_t &length, uint8_t(&bytes)[20]) {
        if (!from) return;
        // A length beyond the field is passed on as it is, for the library to refuse.
        length = static_cast<uint32_t>(from->size());
        std::memcpy(bytes, from->data(), std::min(from->size(), sizeof bytes));
    };
    fill(o.user, c.user_length, c.user);
    fill(o.password, c.password_length, c.password);
    int32_t rc = KZV_SetPassword(&r, &c);
    if (rc != KZV_OK) return printFailure(o, "password", rc), false;
    return true;
}

int showStatus(const Options &o, RouterRecord &r, int32_t port, bool extended) {
    if (extended) {
        ConditionExRecord ex{};
        int32_t rc = KZV_GetConditionEx(&r, &ex, port);
        if (rc < 0) return printFailure(o, "status", rc), kFailed;
        if (o.json)
            std::cout << "{\"ok\":true,\"port\":" << port
                      << ",\"condition\":" << conditionExJson(ex) << "}\n";
        else
            std::cout << "port " << port << ": " << conditionExText(ex);
        return kOk;
    }
    int32_t rc = KZV_GetCondition(&r, port);
    if (rc < 0) return printFailure(o, "status", rc), kFailed;
    if (o.json)
        std::cout << "{\"ok\":true,\"port\":" << port
                  << ",\"condition\":" << portJson(r.ports[port]) << "}\n";
    else
        std::cout << "port " << port << ": " << portText(r.ports[port]);
    return kOk;
}

int runSequence(const Options &o, Session &s, RouterRecord &r, int32_t port, bool connect) {
    const uint32_t message = connect ? kConnectMessage : kDisconnectMessage;
    const char *what = connect ? "connect" : "disconnect";
    NotifyTarget t{s.window(), message};
    int32_t rc = connect ? KZV_Connect(&t, &r, port) : KZV_Disconnect(&t, &r, port);
    if (rc != KZV_OK) return printFailure(o, what, rc), kFailed;
    if (!o.json) std::cout << (connect ? "dialling" : "hanging up") << "...\n" << std::flush;
    // The library bounds the sequence itself (120 s or 15 s plus the retries of each query).
    auto done = s.await(message, connect ? 200s : 60s);
    if (!done) return printFailure(o, what, KZV_E_NO_ANSWER), kFailed;
    if (done->wparam != KZV_OK) return printFailure(o, what, done->wparam, done->lparam), kFailed;
    if (o.json)
        std::cout << "{\"ok\":true,\"step\":\"" << what << "\",\"line_state\":" << done->lparam
                  << "}\n";
    else
        std::cout << (connect ? "connected" : "line down") << '\n';
    return kOk;
}

int cmdSite(const Options &o, RouterRecord &r) {
    if (o.args.size() < 4) return usage(), kUsage;
    int32_t port = parsePort(o, 2);
    int32_t site = std::atoi(o.args[3].c_str());
    int32_t rc = KZV_ChangeSite(&r, port, site);
    if (rc < 0) return printFailure(o, "site", rc), kFailed;
    if (o.json)
        std::cout << "{\"ok\":true,\"port\":" << port << ",\"site\":" << site
                  << ",\"answer\":" << rc << "}\n";
    else
        std::cout << "port " << port << " now dials destination " << site << " (answer " << rc
                  << ")\n";
    return kOk;
}

int cmdClear(const Options &o, RouterRecord &r) {
    int32_t port = parsePort(o, 2);
    int32_t rc = KZV_ClearCounter(&r, port);
    if (rc < 0) return printFailure(o, "clear", rc), kFailed;
    if (o.json)
        std::cout << "{\"ok\":true,\"port\":" << port << "}\n";
    else
        std::cout << "counters of port " << port << " cleared\n";
    return kOk;
}

int cmdDemo(const Options &o, Session &s) {
    if (cmdFind(o, s) != kOk) return kFailed;
    if (s.records().empty()) return kNotFound;
    RouterRecord r = s.records().front();
    if (!applyCredentials(o, r)) return kFailed;
    if (!o.json) std::cout << "\nusing " << routerText(r) << "\n\n";
    for (int32_t port : {0, 1})
        if (showStatus(o, r, port, false) != kOk) return kFailed;
    if (runSequence(o, s, r, 0, true) != kOk) return kFailed;
    // Give the line a moment so the connection shows some traffic.
    std::this_thread::sleep_for(2s);
    const bool extended = r.model_code >= 0x23090 || (r.model_code >> 20) == 3;
    if (showStatus(o, r, 0, extended) != kOk) return kFailed;
    return runSequence(o, s, r, 0, false);
}

} // namespace

int main(int argc, char **argv) {
    auto options = parseOptions(argc, argv);
    if (!options) return usage(), kUsage;
    const Options &o = *options;
    const std::string &cmd = o.args[0];

    if (cmd == "version") {
        uintptr_t table = 0;
        uint32_t count = 0;
        int32_t v = KZV_GetDllVersion(&table, &count);
        if (o.json)
            std::cout << "{\"version\":\"" << QUAYSTONE_VERSION << "\",\"interface_version\":" << v
                      << ",\"entries\":" << count << "}\n";
        else
            std::cout << "quaystone-cli " << QUAYSTONE_VERSION << "\ninterface version "
                      << (v >> 16) << '.' << ((v >> 8) & 0xFF) << '.' << (v & 0xFF) << " (" << v
                      << "), " << count << " entry points\n";
        return kOk;
    }

    Session session(o);
    if (cmd == "find") return cmdFind(o, session);
    if (cmd == "demo") return cmdDemo(o, session);
    if (cmd != "status" && cmd != "connect" && cmd != "disconnect" && cmd != "site" &&
        cmd != "clear" && cmd != "monitor") {
        std::cerr << "unknown command " << cmd << '\n';
        return usage(), kUsage;
    }
    RouterRecord *r = routerFor(o, session);
    if (!r) return o.args.size() < 2 ? kUsage : session.discovered() ? kNotFound : kFailed;
    if (!applyCredentials(o, *r)) return kFailed;
    if (cmd == "status") return showStatus(o, *r, parsePort(o, 2), o.extended);
    if (cmd == "connect") return runSequence(o, session, *r, parsePort(o, 2), true);
    if (cmd == "disconnect") return runSequence(o, session, *r, parsePort(o, 2), false);
    if (cmd == "site") return cmdSite(o, *r);
    if (cmd == "monitor") {
        MonitorOptions m = o.monitor;
        m.json = o.json;
        return runMonitor(m, *r, parsePort(o, 2));
    }
    return cmdClear(o, *r);
}
