#include "ftp_address.h"

#include "cp932.h"

namespace tarvo {

namespace {
bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Host names and IPv4 addresses as letters, digits, '-', '.' and '_'; IPv6 addresses as hex
// digits, ':' and '.'. Anything else could change the address's meaning ('@', '/', '?', '#').
std::optional<std::string> urlHost(const QString &host) {
    if (host.isEmpty()) return std::nullopt;
    bool colon = false;
    for (QChar ch : host) {
        const char16_t c = ch.unicode();
        if (c == ':') {
            colon = true;
            continue;
        }
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
        if (!ok) return std::nullopt;
    }
    const std::string h = host.toStdString();
    return colon ? "[" + h + "]" : h;
}
} // namespace

std::optional<int> FtpPortNumber(const QString &setting) {
    if (setting.isEmpty() || setting.size() > 5) return std::nullopt;
    int value = 0;
    for (QChar ch : setting) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (ch.unicode() - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return value;
}

std::optional<std::string> FtpUrl(const QString &host, int port, const QString &remotePath) {
    const std::optional<std::string> h = urlHost(host.trimmed());
    if (!h) return std::nullopt;
    const std::optional<std::string> bytes = settings::cp932::fromUtf8(remotePath.toStdString());
    if (!bytes) return std::nullopt;
    static const char hex[] = "0123456789ABCDEF";
    // No CP932 trail byte is a '/', so every '/' in the bytes separates folders.
    std::string path;
    for (unsigned char c : *bytes) {
        if (unreserved(c) || c == '/') {
            path += static_cast<char>(c);
        } else {
            path += '%';
            path += hex[c >> 4];
            path += hex[c & 0x0F];
        }
    }
    return "ftp://" + *h + ":" + std::to_string(port) + "/" + path;
}

} // namespace tarvo
