#include "bas_main.h"
#include "configured_router.h"
#include "connection_texts.h"

namespace tarvo {

namespace {
constexpr int kNoRouterCondition = 6;
} // namespace

class BasMain::SequenceScope {
  public:
    explicit SequenceScope(bool &flag) : flag_(flag) { flag_ = true; }
    ~SequenceScope() { flag_ = false; }
    SequenceScope(const SequenceScope &) = delete;
    SequenceScope &operator=(const SequenceScope &) = delete;

  private:
    bool &flag_;
};

int BasMain::port() const {
    return LeadingNumber(p_.settings.Port());
}

bool BasMain::windowNormal() const {
    return p_.window.windowState() == WindowState::Normal;
}

void BasMain::enable(std::initializer_list<Command> commands, bool enabled) {
    for (Command c : commands)
        p_.window.setEnabled(c, enabled);
}

QString BasMain::DestinationText() const {
    return DestinationName(state.CurrentCondition);
}

void BasMain::PollStatus(int router) {
    // After shutdown has cleaned the library up, nothing may call it again.
    if (state.ExitInProgress) return;
    // Without the router the settings name, the line is unknown: no other router is asked.
    RouterRecord *record = ConfiguredRouter(state.RouterTable, router, p_.settings.IP());
    const int condition = record ? p_.library.GetCondition(*record, port()) : kNoRouterCondition;
    p_.events.pump();
    if (state.ExitInProgress) return;
    if (!state.DoneFlag) {
        const std::int64_t deadline = p_.clock.nowMs() + 2000;
        if (!waitFor([this] { return state.DoneFlag; }, deadline)) return;
    }

    state.LineUpFlag = false;
    enable({Command::CmdIN, Command::CmdOut, Command::CmdStart, Command::TrayRenzoku,
            Command::TrayConnect, Command::TrayDisconnect, Command::TrayGetIP, Command::TrayIPFTP,
            Command::TrayLocalIPFTP, Command::TrayEnd, Command::IpGetIP},
           false);

    switch (condition) {
    case LINE_OFF:
        TraySetPicture(TRAY_UNKNOWN);
        enable({Command::TrayEnd}, true);
        p_.window.setCaption(QString());
        state.LinkState = LINK_OFF;
        break;
    case LINE_IDLE:
        TraySetPicture(TRAY_IDLE);
        if (!state.ConnectInProgress)
            enable({Command::CmdIN, Command::CmdStart, Command::TrayConnect, Command::TrayRenzoku,
                    Command::TrayEnd},
                   true);
        p_.window.setCaption(QString());
        state.LinkState = LINK_IDLE;
        break;
    case LINE_BUSY:
        enable({Command::TrayEnd}, true);
        p_.window.setCaption(QString());
        state.LinkState = LINK_BUSY;
        break;
    case LINE_CONNECTED:
        TraySetPicture(p_.services.uploadBusy() ? TRAY_UPLOADING : TRAY_CONNECTED);
        p_.library.GetConditionEx(*record, state.CurrentCondition, port());
        UpdateConnectionInfo();
        state.LineUpFlag = true;
        enable({Command::CmdOut, Command::TrayDisconnect, Command::TrayEnd, Command::TrayGetIP,
                Command::TrayIPFTP, Command::TrayLocalIPFTP, Command::IpGetIP},
               true);
        p_.window.setCaption(state.Info.GlobalIpText);
        state.LinkState = LINK_CONNECTED;
        break;
    default:
        TraySetPicture(TRAY_UNKNOWN);
        enable({Command::TrayEnd}, true);
        p_.window.setCaption(QString());
        state.LinkState = LINK_UNKNOWN;
        break;
    }
    p_.events.pump();
}

void BasMain::Connect() {
    state.CancelFlag = false;
    enable({Command::MnuOption, Command::CmdIN, Command::CmdOut, Command::CmdStart,
            Command::TrayConnect, Command::TrayDisconnect, Command::TrayRenzoku, Command::TrayEnd},
           false);
    p_.window.setStatusText(DestinationText() + QStringLiteral("   接続中"));
    state.ConnectInProgress = true;
    state.Notify.message = MSG_CONNECT_DONE;
    const auto configured = [this] {
        return ConfiguredRouter(state.RouterTable, state.SelectedRouter, p_.settings.IP());
    };
    if (const RouterRecord *record = configured())
        p_.library.ChangeSite(*record, port(), p_.settings.UseNumber());

    const int count = LeadingNumber(p_.settings.Count());
    const auto keep = [this] { KeepCancelWindow(); };
    bool failed = false;
    int attempt = 0;
    while (!state.LineUpFlag) {
        p_.events.pump();
        if (state.ExitInProgress) return;
        // Looked up at every attempt: the settings may have changed during the last one.
        const RouterRecord *record = configured();
        if (count < attempt || state.CancelFlag || record == nullptr) {
            failed = true;
            break;
        }
        p_.window.setCountText(QStringLiteral("%1/%2").arg(attempt).arg(count));
        const std::int64_t t0 = p_.clock.nowMs();
        // Cleared before the request, so that no completion can slip past the wait.
        state.DoneFlag = false;
        const std::int32_t started = p_.library.Connect(state.Notify, *record, port());
        // A request refused at once posts no completion; waiting for one would never end.
        if (started < 0) state.DoneFlag = true;
        p_.events.pump();
        TraySetPicture(TRAY_REQUEST);
        if (!waitFor([this] { return state.DoneFlag || state.CancelFlag; }, std::nullopt, keep))
            return;
        KeepCancelWindow();
        p_.events.pump();
        PollStatus(state.SelectedRouter);
        if (state.ExitInProgress) return;
        if (state.SingleAttempt) {
            // A single attempt that left the line down is a failure, not a connection.
            failed = !state.LineUpFlag;
            break;
        }
        const std::int64_t pauseEnd =
            t0 + (static_cast<std::int64_t>(p_.settings.STime()) + 1) * 1000;
        if (!waitFor(
                [&] {
                    return (p_.clock.nowMs() - t0) / 1000 > p_.settings.STime() || state.CancelFlag;
                },
                pauseEnd, keep))
            return;
        ++attempt;
    }
    connectFinish(failed);
}

void BasMain::connectFinish(bool failed) {
    if (failed) {
        if (windowNormal()) {
            p_.cancelWindow.unload();
            p_.messages.show(QStringLiteral("接続できませんでした。"), kConnectionTitle,
                             MessageIcon::None);
        }
        TraySetPicture(TRAY_FAILED);
        state.ConnectInProgress = false;
        PollStatus(state.SelectedRouter);
        if (state.ExitInProgress) return;
    }
    p_.window.setStatusText(DestinationText());
    enable({Command::CmdKensaku, Command::MnuOption}, true);
    if (state.ConnectInProgress) {
        if (p_.settings.LOG() == 1) p_.services.writeLog(LogKind::Connect);
        if (windowNormal()) {
            p_.cancelWindow.unload();
            UpdateConnectionInfo();
            p_.messages.show(QStringLiteral("接続完了\r\n") + state.Info.ModeText +
                                 QStringLiteral("\r\n") + state.Info.LineText +
                                 QStringLiteral("\r\n") + state.Info.GlobalIpText,
                             kConnectionTitle, MessageIcon::None);
        }
        PollStatus(state.SelectedRouter);
        if (state.ExitInProgress) return;
        if (p_.settings.Start() == 1) {
            const bool flatRate = p_.services.inFlatRateHours();
            if (p_.settings.TerehoStart() != 1 || flatRate) p_.services.startLaunchSequence(0, 1);
            p_.events.pump();
            if (p_.settings.FTP() == 1 && (p_.settings.TerehoStartFTP() != 1 || flatRate)) {
                p_.services.uploadIpPage(0);
                p_.events.pump();
            }
        }
    }
    state.ConnectInProgress = false;
}

void BasMain::KeepCancelWindow() {
    p_.events.pump();
    if (windowNormal())
        p_.window.showForm();
    else
        p_.cancelWindow.unload();
}

void BasMain::Disconnect() {
    TraySetPicture(TRAY_REQUEST);
    p_.window.setStatusText(DestinationText() + QStringLiteral("   切断中"));
    state.Notify.message = MSG_DISCONNECT_DONE;
    const auto configured = [this] {
        return ConfiguredRouter(state.RouterTable, state.SelectedRouter, p_.settings.IP());
    };
    const RouterRecord *record = configured();
    if (record == nullptr) {
        // Nothing of ours to hang up; the poll shows the line as unknown. The programs started
        // with the line still go, as after every hang-up.
        PollStatus(state.SelectedRouter);
        p_.window.setStatusText(DestinationText());
        p_.services.endPrograms();
        return;
    }
    // Cleared before the request: the status poll below pumps events, and a completion handled
    // there must still end the wait.
    state.DoneFlag = false;
    const std::int32_t started = p_.library.Disconnect(state.Notify, *record, port());
    // A request refused at once posts no completion; the wait below has no time limit.
    if (started < 0) state.DoneFlag = true;
    PollStatus(state.SelectedRouter);
    if (!waitFor([this] { return state.DoneFlag; }, std::nullopt)) return;
    if ((record = configured())) p_.library.ClearCounter(*record, port());
    PollStatus(state.SelectedRouter);
    if (state.ExitInProgress) return;
    if (p_.settings.LOG() == 1) p_.services.writeLog(LogKind::Disconnect);
    if (windowNormal()) {
        if (p_.settings.StandardEnd() == 0)
            p_.messages.show(QStringLiteral("切断しました。"), kConnectionTitle, MessageIcon::None);
        p_.window.setEnabled(Command::CmdIN, true);
        p_.window.setEnabled(Command::CmdOut, false);
        RefreshMainWindow();
    }
    p_.services.endPrograms();
    p_.window.setStatusText(DestinationText());
}

void BasMain::UpdateConnectionInfo() {
    state.Info = MakeConnectionInfo(state.CurrentCondition);
}

void BasMain::RefreshMainWindow() {
    const int r = FindSelectedRouter();
    p_.window.setCaption(QString());
    p_.window.setCountText(QStringLiteral("  0/") +
                           QString::number(LeadingNumber(p_.settings.Count())));
    const QString ip = p_.settings.IP();
    p_.window.setIpText(ip);
    // The search above pumps events, and shutdown may have cleaned the library up meanwhile.
    if (state.ExitInProgress) return;
    if (const RouterRecord *record = ConfiguredRouter(state.RouterTable, r, ip)) {
        p_.library.GetConditionEx(*record, state.CurrentCondition, port());
        p_.window.setStatusText(DestinationText());
    } else {
        p_.window.setStatusText(QString());
    }
}

int BasMain::FindSelectedRouter() {
    const QString ip = p_.settings.IP();
    if (ip == kNoRouterAddress) return 0;
    for (int i = 0; i < ROUTER_TABLE_SIZE; ++i) {
        p_.events.pump();
        if (FormatIp(state.RouterTable[static_cast<std::size_t>(i)].address) == ip) return i;
    }
    // Not found: no router at all rather than the first one, which is somebody else's.
    return -1;
}

void BasMain::SearchRouters() {
    p_.services.fillRouterGrid();
    state.SelectedRouter = FindSelectedRouter();
    Rediscover();
}

void BasMain::Rediscover() {
    if (FindRouters() == -1) {
        ShutDown();
        return;
    }
    // Routers answer a search in any order, so the index of the chosen one may have moved.
    state.SelectedRouter = FindSelectedRouter();
    PollStatus(state.SelectedRouter);
    if (state.ExitInProgress) ShutDown();
}

bool BasMain::CommandConnect(bool singleAttempt, bool withCancelWindow) {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    state.SingleAttempt = singleAttempt;
    if (withCancelWindow) {
        const QRect g = p_.window.geometryPixels();
        PlaceWindow(p_.cancelWindow, true, g.x() * 15, g.y() * 15);
    }
    Connect();
    if (withCancelWindow) p_.cancelWindow.unload();
    return true;
}

bool BasMain::CommandDisconnect() {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    Disconnect();
    return true;
}

bool BasMain::CommandSearch() {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    SearchRouters();
    return true;
}

bool BasMain::CommandRediscover() {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    Rediscover();
    return true;
}

bool BasMain::RunSequence(const std::function<void()> &body) {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    body();
    return true;
}

bool BasMain::CommandPollStatus() {
    if (sequenceRunning_ || state.ExitInProgress) return false;
    SequenceScope scope(sequenceRunning_);
    PollStatus(state.SelectedRouter);
    return true;
}

} // namespace tarvo
