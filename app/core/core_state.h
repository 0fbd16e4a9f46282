#pragma once

#include <quaystone/quaystone.h>

#include <QString>
#include <array>
#include <cstdint>

namespace tarvo {

inline constexpr std::uint32_t MSG_FIND_DONE = 1034;
inline constexpr std::uint32_t MSG_CONNECT_DONE = 1054;
inline constexpr std::uint32_t MSG_DISCONNECT_DONE = 1064;
inline constexpr std::uint32_t MSG_TRAY = 1124;

inline constexpr std::int32_t WM_LBUTTONDOWN = 513;
inline constexpr std::int32_t WM_RBUTTONDOWN = 516;

inline constexpr int ROUTER_TABLE_SIZE = 32;

enum LinkState : int {
    LINK_UNKNOWN = -1,
    LINK_IDLE = 1,
    LINK_CONNECTED = 2,
    LINK_BUSY = 3,
    LINK_OFF = 4,
};

// The texts of the last connected poll, as the About dialog and the log show them.
struct ConnectionInfo {
    QString ModeText;
    QString LineText;
    QString GlobalIpText;
    QString SentBytesText;
    QString ReceivedBytesText;
    QString SentPacketsText;
    QString ReceivedPacketsText;
    QString ErrorPacketsText;
    QString ConnectTimeText;
};

// One per process; other modules of the program read it, so the names follow the original's.
struct CoreState {
    std::array<RouterRecord, ROUTER_TABLE_SIZE> RouterTable{};
    std::int32_t RouterCount = 0;
    std::int32_t LibraryVersion = 0;
    NotifyTarget Notify{};
    // -1 while the router the settings name was not found; never another router instead.
    int SelectedRouter = 0;
    int LinkState = LINK_OFF;
    bool DoneFlag = false;
    bool CancelFlag = false;
    bool LineUpFlag = false;
    bool SingleAttempt = false;
    bool ConnectInProgress = false;
    bool LibraryMissing = false;
    bool ExitInProgress = false;
    QString PathSep;
    ConditionExRecord CurrentCondition{};
    ConnectionInfo Info;
    int TrayRetryCount = 0;
    int TrayPicture = -1;
};

} // namespace tarvo
