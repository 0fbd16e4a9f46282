#include "frm_option.h"

#include "option_widgets.h"
#include "time_servers.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarvo::options {

namespace {
// The client area is 9015 x 6300 twips, at 15 twips to a pixel.
constexpr int kClientWidth = 9015 / 15;
constexpr int kClientHeight = 6300 / 15;
} // namespace

QString Indexed(const char *name, int i) {
    return QStringLiteral("%1(%2)").arg(QString::fromLatin1(name)).arg(i);
}

FrmOption::FrmOption(Ports ports, QWidget *parent) : QDialog(parent), p_(ports) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("OPTION"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientWidth, kClientHeight);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);
    tabs_ = named(new QTabWidget(this), QStringLiteral("SSTab"));
    tabs_->addTab(buildStandardPage(), QStringLiteral("基本設定"));
    tabs_->addTab(buildConnectionStartPage(), QStringLiteral("連動設定"));
    tabs_->addTab(buildWatchPage(), QStringLiteral("監視設定"));
    tabs_->addTab(buildPopMunPage(), QStringLiteral("ポップアップ"));
    tabs_->addTab(buildOtherPage(), QStringLiteral("その他"));
    column->addWidget(tabs_, 1);

    auto *bottom = new QHBoxLayout;
    auto *help =
        makeCheck(this, QStringLiteral("chkPopHelp"), QStringLiteral("ポップアップヘルプを使用"));
    bottom->addWidget(help);
    bottom->addStretch(1);
    auto *ok = makeButton(this, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    auto *set = makeButton(this, QStringLiteral("cmdSet"), QStringLiteral("SET"));
    auto *cancel = makeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("CANCEL"));
    for (QPushButton *b : {ok, set, cancel}) {
        b->setFixedWidth(80);
        bottom->addWidget(b);
    }
    column->addLayout(bottom);
    setTabOrder(tabs_, help);
    setTabOrder(help, ok);
    setTabOrder(ok, set);
    setTabOrder(set, cancel);

    connect(ok, &QPushButton::clicked, this, [this] {
        ApplyOptionsPage();
        close();
    });
    connect(set, &QPushButton::clicked, this, [this] { ApplyOptionsPage(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        // Takes back a router chosen in the list, which went into the store at once.
        p_.store.LoadStandard();
        close();
    });
    connectBehaviour();
    installFilters();

    // Made once per opening, before any value is set.
    FillRouterGrid();
    p_.host.lookUpSelectedRouter();
    auto *combo = control<QComboBox>(QStringLiteral("ComboIP"));
    for (std::string_view name : kTimeServers)
        combo->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void FrmOption::ShowOptions() {
    loadStandard();
    loadConnectionStart();
    loadWatch();
    loadPopMun();
    loadOther();
    setWindowIcon(p_.host.mainWindowIcon());
    show();
    raise();
    activateWindow();
}

void FrmOption::ApplyOptionsPage() {
    switch (tabs_->currentIndex()) {
    case 0:
        JoinLabelsToAddress();
        storeStandard();
        p_.store.SaveStandard();
        p_.store.LoadStandard();
        break;
    case 1:
        if (CheckFtpEntries() == -1) {
            p_.host.showWarning(QStringLiteral("FTP設定項目に未入力があります。"),
                                QStringLiteral("警告：Tarvo"));
            return;
        }
        storeConnectionStart();
        p_.store.SaveConnectionStart();
        p_.store.LoadConnectionStart();
        break;
    case 2:
        storeWatch();
        p_.store.SaveWatch();
        p_.store.LoadWatch();
        break;
    case 3:
        storePopMun();
        p_.store.SavePopMun();
        p_.store.LoadPopMun();
        break;
    case 4:
        storeOther();
        p_.store.SaveOther();
        p_.store.LoadOther();
        break;
    default:
        break;
    }
}

void FrmOption::closeEvent(QCloseEvent *event) {
    // Closing is never refused, and its actions run once whichever way it was asked for.
    if (!closed_) {
        closed_ = true;
        FillRouterGrid();
        p_.host.dialogClosed();
    }
    event->accept();
}

} // namespace tarvo::options
