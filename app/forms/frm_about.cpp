#include "frm_about.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tarvo {

namespace {
QPlainTextEdit *readOnlyText(QWidget *parent, const char *name, const QString &designText) {
    auto *t = new QPlainTextEdit(designText, parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setReadOnly(true); // typed keys are discarded
    t->setLineWrapMode(QPlainTextEdit::NoWrap);
    return t;
}

QString displayText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Tall enough for `lines` lines of its own font, so that nothing needs scrolling. Lines that
// mix Latin and Japanese glyphs come out a little taller than the font's own spacing.
void fitLines(QPlainTextEdit *t, int lines) {
    const int margins = 2 * static_cast<int>(t->document()->documentMargin()) + 2 * t->frameWidth();
    const int perLine = QFontMetrics(t->font()).lineSpacing() * 108 / 100 + 1;
    t->setMinimumHeight(perLine * lines + margins + 4);
}
} // namespace

FrmAbout::FrmAbout(AboutEnvironment &environment, const QString &title, const QString &versionText,
                   QWidget *parent)
    : QWidget(parent, Qt::Window), env_(environment) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(title + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    picIcon_ = new QLabel(this);
    picIcon_->setObjectName(QStringLiteral("picIcon"));
    picIcon_->setFixedSize(32, 32);
    auto *lblTitle = new QLabel(title, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    lblTitle->setFont(big);
    auto *lblVersion = new QLabel(versionText, this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    txtDescription_ = readOnlyText(this, "txtDescription", QStringLiteral("仕様説明"));
    // The labels line up in columns: half-width kana one column, the rest two.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), mono.family()});
    mono.setPointSize(9);
    txtDescription_->setFont(mono);
    txtDescription_->setMinimumWidth(520);
    fitLines(txtDescription_, 21);
    auto *txtDisclaimer = readOnlyText(this, "txtDisclaimer", QStringLiteral("警告"));
    QFont text = txtDisclaimer->font();
    text.setFamilies({QStringLiteral("Noto Sans CJK JP"), text.family()});
    text.setPointSize(9);
    txtDisclaimer->setFont(text);
    txtDisclaimer->setPlainText(displayText(kDisclaimer));
    fitLines(txtDisclaimer, 3);
    txtDisclaimer->setMaximumHeight(txtDisclaimer->minimumHeight());

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::StartSysInfo);

    auto *head = new QHBoxLayout;
    head->addWidget(picIcon_, 0, Qt::AlignTop);
    auto *titles = new QVBoxLayout;
    titles->addWidget(lblTitle);
    titles->addWidget(lblVersion);
    head->addLayout(titles, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *column = new QVBoxLayout(this);
    column->setSpacing(4);
    column->addLayout(head);
    column->addWidget(txtDescription_, 1);
    column->addWidget(txtDisclaimer);
    column->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("TimerAboutWatch"));
    connect(timer_, &QTimer::timeout, this, &FrmAbout::TimerAboutWatchTick);

    RefreshAboutInfo();
    counter_.reset();
    if (env_.aboutWatch() == 1) timer_->start(60000);
}

void FrmAbout::RefreshAboutInfo() {
    const QString text = displayText(env_.description());
    picIcon_->setPixmap(env_.mainIcon().pixmap(32, 32));
    txtDescription_->setPlainText(text);
}

void FrmAbout::TimerAboutWatchTick() {
    switch (counter_.tick(env_.aboutWatch(), env_.aboutWatchTime())) {
    case AboutRefreshCounter::Action::Stop:
        timer_->stop();
        break;
    case AboutRefreshCounter::Action::Refresh:
        RefreshAboutInfo();
        break;
    case AboutRefreshCounter::Action::None:
        break;
    }
}

void FrmAbout::StartSysInfo() {
    if (!env_.startSystemInfo()) env_.showMessage(kSysInfoMissing);
}

void FrmAbout::closeEvent(QCloseEvent *event) {
    timer_->stop();
    event->accept();
    emit unloaded();
}

} // namespace tarvo
