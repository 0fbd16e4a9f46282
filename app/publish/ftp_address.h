// Turning the FTP settings into what the transfer is given, refusing what cannot be sent.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace tarvo {

// The port setting as a number in 1..65535; nothing for anything else.
std::optional<int> FtpPortNumber(const QString &setting);

// The ftp:// address of `remotePath` (folder and file name) on `host`. The path goes as its CP932
// bytes, percent-encoded except for unreserved characters and the "/" between folders; a path
// that starts with "/" keeps it, so that the server takes it from its root. Nothing when the host
// is empty or not a plain host name or address, or when the path has no CP932 form.
std::optional<std::string> FtpUrl(const QString &host, int port, const QString &remotePath);

} // namespace tarvo
