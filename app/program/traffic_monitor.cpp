#include "traffic_monitor.h"

#include "bas_main.h"
#include "frm_main.h"

#include <QAction>
#include <QCursor>
#include <QTimer>

namespace tarvo {

TrafficMonitor::TrafficMonitor(settings::Settings &store, BasMain &core, FrmMain &main)
    : pointer([] { return QCursor::pos(); }), store_(store), core_(core), main_(main) {}

TrafficMonitor::~TrafficMonitor() {
    if (form_) {
        form_->disconnect();
        form_->unload();
    }
}

void TrafficMonitor::Toggle() {
    if (!shownFlag_) {
        form_ = std::make_unique<FrmMonitor>(history_, *this);
        QObject::connect(
            form_.get(), &FrmMonitor::unloaded, &main_, [this] { unloaded(); },
            Qt::DirectConnection);
        form_->load(position_);
        form_->timer()->start(1000);
        setMenuCaption(QStringLiteral("モニター非表示"));
        shownFlag_ = true;
    } else if (form_) {
        form_->unload();
    }
}

void TrafficMonitor::ClearShownFlag() {
    shownFlag_ = false;
}

void TrafficMonitor::Stop() {
    if (form_) form_->unload();
}

void TrafficMonitor::unloaded() {
    if (form_) position_ = form_->position();
    setMenuCaption(QStringLiteral("モニター表示"));
    shownFlag_ = false;
    // The window may be closing from inside one of its own handlers: it goes once they return.
    if (form_) form_.release()->deleteLater();
}

void TrafficMonitor::setMenuCaption(const QString &text) {
    if (QAction *a = main_.action(Command::TrayMonitor)) a->setText(text);
}

void TrafficMonitor::setPosition(const settings::MonitorGeometry &g) {
    position_ = {g.left, g.top, g.width, g.height};
}

std::optional<settings::MonitorGeometry> TrafficMonitor::currentGeometry() const {
    if (!form_ || !form_->isVisible()) return std::nullopt;
    const TwipRect r = form_->position();
    return settings::MonitorGeometry{r.left, r.top, r.width, r.height};
}

MonitorOptions TrafficMonitor::options() const {
    const settings::OtherKeys &k = store_.Other;
    MonitorOptions o;
    // The options dialog stores -1 for the chosen graph type.
    o.style.lines = k.MonitorType1 == -1 || k.MonitorType3 == -1;
    o.style.circles = k.MonitorType2 == -1 || k.MonitorType3 == -1;
    o.maxNewSort = k.MonitorMaxNewSort == 1;
    o.autoHide = k.MonitorKakushi == 1;
    o.topmost = k.TopDisp2 != 0;
    o.autoSave = k.MonitorAutoSave == 1;
    return o;
}

void TrafficMonitor::poll() {
    // Skipped while a line sequence runs: its own polls keep the counters fresh.
    core_.CommandPollStatus();
}

QString TrafficMonitor::receivedBytesText() const {
    return core_.state.Info.ReceivedBytesText;
}

QString TrafficMonitor::sentBytesText() const {
    return core_.state.Info.SentBytesText;
}

void TrafficMonitor::saveGeometry(const TwipRect &position) {
    position_ = position;
    store_.Other.MonitorPoint1 = position.left;
    store_.Other.MonitorPoint2 = position.top;
    store_.Other.MonitorPoint3 = position.width;
    store_.Other.MonitorPoint4 = position.height;
    store_.SaveOther();
}

} // namespace tarvo
