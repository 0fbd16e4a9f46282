// The FTP address built from the settings file's texts (host, port, folder, file name), on any
// bytes: whatever it gives is one ftp:// address of that host whose path cannot leave it: no
// blank, control character, '?', '#' or '@' beyond the host, every other byte percent-encoded.
#include "ftp_address.h"
#include "ip_page.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool pathByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/' || c == '%';
}

} // namespace

// Input: host, port, folder and file name, separated by NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char *>(data), size);
    QString parts[4];
    for (QString &part : parts) {
        const std::size_t end = std::min(in.find('\0'), in.size());
        part = QString::fromUtf8(in.data(), static_cast<qsizetype>(end));
        in.remove_prefix(std::min(end + 1, in.size()));
    }
    const std::optional<int> port = tarvo::FtpPortNumber(parts[1]);
    if (port) check(*port >= 1 && *port <= 65535);
    const QString remote = tarvo::RemoteFolder(parts[2]) + tarvo::PageFileName(parts[3]);
    const std::optional<std::string> url = tarvo::FtpUrl(parts[0], port.value_or(21), remote);
    if (!url) return 0;
    check(url->rfind("ftp://", 0) == 0);
    const std::size_t pathStart = url->find('/', 6);
    check(pathStart != std::string::npos);
    const std::string_view authority = std::string_view(*url).substr(6, pathStart - 6);
    check(authority.find_first_of("@/?# ") == std::string_view::npos);
    const std::string_view path = std::string_view(*url).substr(pathStart);
    for (std::size_t i = 0; i < path.size(); ++i) {
        check(pathByte(path[i]));
        if (path[i] == '%') {
            check(i + 2 < path.size());
            for (char h : path.substr(i + 1, 2))
                check((h >= '0' && h <= '9') || (h >= 'A' && h <= 'F'));
        }
    }
    return 0;
}
