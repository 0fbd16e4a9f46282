#pragma once

#include "clock_ports.h"
#include "core_state.h"
#include "ftp_transfer.h"
#include "ports.h"
#include "publish_ports.h"
#include "settings_keys.h"

#include <functional>

namespace tarvo {

inline const QString kUploadFailedText =
    QStringLiteral("ＩＰ情報送信に失敗しました。\r\n設定に誤りが無いか確認してください。");
inline const QString kNoIpText = QStringLiteral("取得IPが見つかりません");
inline const QString kNoteTitle = QStringLiteral("注意");

// Writes the IP page and sends it to the user's FTP server, one upload at a time; copies the
// global or LAN address to the clipboard.
class IpPublisher {
  public:
    struct Ports {
        FtpTransfer &transfer;
        QueryTimer &timerWatch4;
        MessageBoxPort &messages;
        ClipboardPort &clipboard;
        LanAddressPort &lanAddress;
        MainWindowPort &window;
        const ConnectionInfo &info;
        const settings::ConnectionStartKeys &keys;
        CoreSettings &settings;
        CoreServices &services;
        // The line poll the upload runs when it starts and ends, so that the tray shows it.
        std::function<void()> pollStatus;
    };

    static constexpr int kWatchPeriodMs = 60000;

    explicit IpPublisher(Ports ports);

    // 0 publishes the global address, anything else the LAN address. Dropped while an upload
    // runs; the outcome arrives later through InetStateChanged.
    void UploadIpPage(int which);
    void InetStateChanged(int state);
    void TimerWatch4Tick();
    void CopyGlobalIp();
    void CopyLocalIp();
    // Shutdown: whatever is in flight is abandoned.
    void CancelTransfer();

    QString pagePath() const;

    bool UploadBusy = false;
    int UploadWatchCount = 0;

  private:
    void failed();
    void idle();

    Ports p_;
};

} // namespace tarvo
