// The FTP transfer the IP page is sent with: one store at a time, reported as the three states
// of the publishing sequence, always on the thread that owns the transfer.
#pragma once

#include <functional>
#include <string>

namespace tarvo {

enum FtpState : int {
    FTP_DISCONNECTED = 10,
    FTP_ERROR = 11,
    FTP_COMPLETED = 12,
};

struct FtpStore {
    std::string url;      // ftp://host:port/path, the path as percent-encoded CP932 bytes
    std::string user;     // passed to the server as given, never put into the URL
    std::string password; // likewise
    bool requireTls = false;
    std::string localFile; // the file whose bytes are stored
};

class FtpTransfer {
  public:
    virtual ~FtpTransfer() = default;
    // Starts storing and returns at once; false when the transfer refuses the request. The end
    // is reported as FTP_COMPLETED or FTP_ERROR; the connection stays until close().
    virtual bool start(FtpStore request) = 0;
    // "CLOSE": aborts a running store and ends the connection; FTP_DISCONNECTED follows once it
    // has ended. False when the request could not be made.
    virtual bool close() = 0;

    std::function<void(int state)> stateChanged;
};

} // namespace tarvo
