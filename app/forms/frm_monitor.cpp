#include "frm_monitor.h"

#include "rate_text.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSizeGrip>
#include <QTimer>

namespace tarvo {

namespace {
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QColor &colour) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    QFont f = l->font();
    f.setPixelSize(11);
    l->setFont(f);
    l->adjustSize();
    return l;
}

QRect pixels(const TwipRect &r) {
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
            TwipsToPixels(r.height)};
}
} // namespace

void ImagePanel::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    p.drawImage(0, 0, image);
}

FrmMonitor::FrmMonitor(TrafficHistory &history, MonitorEnvironment &environment)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), history_(history), env_(environment) {
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("モニター"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    setMinimumSize(TwipsToPixels(kMonitorMinWidth), TwipsToPixels(kMonitorMinHeight));

    const auto panel = [this](const char *name) {
        auto *p = new ImagePanel(this);
        p->setObjectName(QString::fromLatin1(name));
        return p;
    };
    pictureSu_ = panel("PictureSu");
    pictureZu_ = panel("PictureZu");
    pictureBak_ = panel("PictureBAK");
    pictureBak_->hide();
    pictureLay_ = panel("PictureLay");

    const QColor caption(200, 200, 200);
    labelT_.push_back(makeLabel(pictureLay_, "LabelT", QStringLiteral("最高値："), caption));
    labelT_.push_back(makeLabel(pictureSu_, "LabelT", QStringLiteral("送信"), caption));
    labelT_.push_back(makeLabel(pictureZu_, "LabelT", QStringLiteral("受信"), caption));
    for (int i = 0; i < 3; ++i)
        labelT_[static_cast<std::size_t>(i)]->setProperty("index", i);
    // The bar may reach up behind a caption: the caption keeps its black ground to stay legible.
    for (QLabel *l : {labelT_[1], labelT_[2]}) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Qt::black);
        l->setPalette(p);
        l->setAutoFillBackground(true);
    }
    labelSo_ = makeLabel(pictureSu_, "LabelSo", QStringLiteral("0bps"), kSentColour);
    labelZu_ = makeLabel(pictureZu_, "LabelZu", QStringLiteral("0bps"), kReceivedColour);
    lblMax_ = makeLabel(pictureLay_, "lblMAX", QStringLiteral("0bps"), Qt::white);
    labelSo_->setAlignment(Qt::AlignCenter);
    labelZu_->setAlignment(Qt::AlignCenter);

    for (QWidget *w : std::initializer_list<QWidget *>{pictureSu_, pictureZu_, pictureLay_,
                                                       labelSo_, labelZu_, lblMax_})
        w->installEventFilter(this);
    for (QLabel *l : labelT_)
        l->installEventFilter(this);

    grip_ = new QSizeGrip(this);
    grip_->setObjectName(QStringLiteral("MonitorSizeGrip"));
    grip_->setToolTip(QStringLiteral("ドラッグで大きさを変更"));

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    connect(timer_, &QTimer::timeout, this, &FrmMonitor::tick);

    menu_ = new QMenu(QStringLiteral("ポップアップ"), this);
    menu_->setObjectName(QStringLiteral("munMonitor"));
    QAction *zero = menu_->addAction(QStringLiteral("モニター初期化"));
    zero->setObjectName(QStringLiteral("munMAX_ZERO"));
    connect(zero, &QAction::triggered, this, &FrmMonitor::zeroHistory);
    QAction *end = menu_->addAction(QStringLiteral("モニター終了"));
    end->setObjectName(QStringLiteral("munEnd"));
    connect(end, &QAction::triggered, this, &FrmMonitor::unload);
}

void FrmMonitor::load(const TwipRect &position) {
    const MonitorOptions o = env_.options();
    setWindowFlag(Qt::WindowStaysOnTopHint, o.topmost);
    // A size typed without a limit must not give a window larger than the desktop: its graph
    // images alone would take gigabytes.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setMaximumSize(screen->virtualSize().expandedTo(minimumSize()));
    const MonitorLayout fitted = LayoutMonitor(position.width, position.height);
    setGeometry(TwipsToPixels(position.left), TwipsToPixels(position.top),
                TwipsToPixels(fitted.windowWidth), TwipsToPixels(fitted.windowHeight));
    positionRestored_ = true;
    history_.reset();
    closing_ = false;
    autoHide_.reset();
    arrange();
    draw();
    show();
}

TwipRect FrmMonitor::position() const {
    TwipRect r{x() * kTwipsPerPixel, y() * kTwipsPerPixel, width() * kTwipsPerPixel,
               height() * kTwipsPerPixel};
    if (!autoHide_.revealed() && r.top < 0) r.top = 0;
    return r;
}

void FrmMonitor::arrange() {
    layout_ = LayoutMonitor(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
    pictureSu_->setGeometry(pixels(layout_.sent));
    pictureZu_->setGeometry(pixels(layout_.received));
    pictureBak_->setGeometry(pixels(layout_.graph));
    pictureLay_->setGeometry(pixels(layout_.graph));
    const QSize graphSize = pixels(layout_.graph).size();
    pictureBak_->image = QImage(graphSize, QImage::Format_RGB32);
    pictureLay_->image = QImage(graphSize, QImage::Format_RGB32);
    pictureLay_->image.fill(Qt::black);

    // Captions: the highest value at the graph's bottom left, the bar values under their bars.
    const int layHeight = pictureLay_->height();
    for (QLabel *l : {lblMax_, labelT_[0]})
        l->adjustSize();
    const int captionTop = layHeight - lblMax_->height() - TwipsToPixels(100);
    labelT_[0]->move(4, captionTop);
    lblMax_->move(labelT_[0]->x() + labelT_[0]->width() + 2, captionTop);
    lblMax_->resize(std::max(lblMax_->width(), pictureLay_->width() / 2), lblMax_->height());
    for (auto [box, value, title] : {std::tuple{pictureSu_, labelSo_, labelT_[1]},
                                     std::tuple{pictureZu_, labelZu_, labelT_[2]}}) {
        value->adjustSize();
        value->setGeometry(0, box->height() - value->height() - TwipsToPixels(100), box->width(),
                           value->height());
        title->adjustSize();
        title->move(2, 0);
        box->image = QImage(box->size(), QImage::Format_RGB32);
    }
    grip_->resize(grip_->sizeHint());
    grip_->move(width() - grip_->width(), height() - grip_->height());
    grip_->raise();
    scrollOffset_ = 0;
}

void FrmMonitor::draw() {
    const MonitorOptions o = env_.options();
    DrawGraph(pictureBak_->image, layout_, scrollOffset_, history_, o.style, redraw_, &closing_);
    redraw_ = false;
    if (closing_) return;
    const int labelHeight = labelZu_->height() * kTwipsPerPixel;
    DrawLevelBar(pictureZu_->image, layout_.received.width, layout_.received.height, labelHeight,
                 history_.received().front(), history_.highest(), kReceivedColour);
    DrawLevelBar(pictureSu_->image, layout_.sent.width, layout_.sent.height, labelHeight,
                 history_.sent().front(), history_.highest(), kSentColour);
    pictureZu_->update();
    pictureSu_->update();
    if (closing_) return;
    // The graph was drawn off-screen; the visible picture changes in one step.
    pictureLay_->image = pictureBak_->image.copy();
    pictureLay_->update();
}

void FrmMonitor::tick() {
    if (ticking_ || closing_) return; // a poll that waits must not start a second tick
    ticking_ = true;
    redraw_ = true;
    const MonitorOptions o = env_.options();
    scrollOffset_ =
        NextScrollOffset(scrollOffset_, layout_.graph.width, history_.points(), layout_.gridStepX);
    if (o.maxNewSort) history_.recomputeHighest();
    QPointer<FrmMonitor> self(this);
    env_.poll();
    if (!self) return; // closed and gone while the poll waited
    ticking_ = false;
    if (closing_) return;
    history_.sample(env_.receivedBytesText(), env_.sentBytesText());
    draw();
    updateCaptions();
    if (o.autoHide) autoHide();
}

void FrmMonitor::setCaption(QLabel *label, const QString &text) {
    if (label->text() != text) label->setText(text);
}

void FrmMonitor::updateCaptions() {
    setCaption(lblMax_, BpsCaption(history_.highest()));
    setCaption(labelZu_, BpsCaption(history_.received().front()));
    setCaption(labelSo_, BpsCaption(history_.sent().front()));
    const QString totals = QStringLiteral("\n接続中の合計  受信 %1 / 送信 %2")
                               .arg(HumanBytes(CounterValue(env_.receivedBytesText())),
                                    HumanBytes(CounterValue(env_.sentBytesText())));
    const QString received =
        QStringLiteral("受信 ") + HumanRate(history_.received().front()) + totals;
    const QString sent = QStringLiteral("送信 ") + HumanRate(history_.sent().front()) + totals;
    const QString highest = QStringLiteral("最高値 ") + HumanRate(history_.highest()) + totals;
    for (auto [w, tip] : {std::pair<QWidget *, const QString &>{labelZu_, received},
                          {pictureZu_, received},
                          {labelSo_, sent},
                          {pictureSu_, sent},
                          {lblMax_, highest}})
        if (w->toolTip() != tip) w->setToolTip(tip);
}

void FrmMonitor::autoHide() {
    const TwipRect window{x() * kTwipsPerPixel, y() * kTwipsPerPixel, width() * kTwipsPerPixel,
                          height() * kTwipsPerPixel};
    if (const auto top = autoHide_.check(env_.pointerPixels(), window))
        move(x(), TwipsToPixels(*top));
}

void FrmMonitor::zeroHistory() {
    history_.zero();
}

void FrmMonitor::unload() {
    timer_->stop();
    closing_ = true;
    close();
}

void FrmMonitor::closeEvent(QCloseEvent *event) {
    timer_->stop();
    closing_ = true;
    if (env_.options().autoSave) env_.saveGeometry(position());
    event->accept();
    emit unloaded();
}

void FrmMonitor::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!positionRestored_) return;
    redraw_ = true;
    arrange();
    draw();
}

bool FrmMonitor::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *m = static_cast<QMouseEvent *>(event);
        if (m->button() == Qt::RightButton) {
            menu_->popup(m->globalPosition().toPoint());
            return true;
        }
        if (m->button() == Qt::LeftButton) {
            dragOrigin_ = m->position().toPoint();
            static_cast<QWidget *>(watched)->setCursor(Qt::SizeAllCursor);
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        const auto *m = static_cast<QMouseEvent *>(event);
        if (m->buttons() & Qt::LeftButton) {
            move(pos() + m->position().toPoint() - dragOrigin_);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        static_cast<QWidget *>(watched)->unsetCursor();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tarvo
