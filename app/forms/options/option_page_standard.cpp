// Page 0 "基本設定": the dial settings, the schedule, the end action and the router.
#include "frm_option.h"
#include "option_widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvo::options {

namespace {
QGridLayout *tightGrid(QWidget *frame) {
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    return grid;
}
} // namespace

QWidget *FrmOption::buildStandardPage() {
    auto *page = named(new QWidget, Indexed("fraTab", 0));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);
    auto *columns = new QHBoxLayout;
    columns->setSpacing(6);
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    columns->addLayout(left, 1);
    columns->addLayout(right, 0);
    outer->addLayout(columns, 1);

    auto *fraDefault = makeFrame(page, QStringLiteral("fraDefault"), QStringLiteral("DEFAULT"));
    auto *g = tightGrid(fraDefault);
    g->addWidget(makeLabel(fraDefault, QStringLiteral("lblCount"), QStringLiteral("接続回数：")), 0,
                 0);
    g->addWidget(makeNumber(fraDefault, QStringLiteral("txtCount"), QStringLiteral("UpDown1"),
                            QStringLiteral("1"), 4, 1, 9999, 44),
                 0, 1);
    g->addWidget(makeLabel(fraDefault, QStringLiteral("lblSTime"), QStringLiteral("接続間隔：")), 1,
                 0);
    g->addWidget(makeNumber(fraDefault, QStringLiteral("txtSTime"), QStringLiteral("UpDown2"),
                            QStringLiteral("0"), 2, 0, 99, 30),
                 1, 1);
    g->addWidget(
        makeCheck(fraDefault, QStringLiteral("chkAutoStart"), QStringLiteral("自動接続・切断？")),
        2, 0, 1, 2);
    left->addWidget(fraDefault);

    auto *fraTime = makeFrame(page, QStringLiteral("fraTime"), QStringLiteral("TIME"));
    g = tightGrid(fraTime);
    g->addWidget(makeLabel(fraTime, QStringLiteral("lblStartTime"), QStringLiteral("接続時刻：")),
                 0, 0);
    g->addWidget(makeEdit(fraTime, QStringLiteral("txtStartTime"), QStringLiteral("0000"), 4, 44),
                 0, 1);
    g->addWidget(makeLabel(fraTime, QStringLiteral("lblEndTime"), QStringLiteral("切断時刻：")), 1,
                 0);
    g->addWidget(makeEdit(fraTime, QStringLiteral("txtEndTime"), QStringLiteral("0000"), 4, 44), 1,
                 1);
    g->addWidget(makeButton(fraTime, QStringLiteral("cmdTime"), QStringLiteral("テレホーダイ時間")),
                 2, 0, 1, 3);
    g->setColumnStretch(2, 1);
    left->addWidget(fraTime);

    left->addStretch(1);

    auto *fraEnd = makeFrame(page, QStringLiteral("fraEnd"), QStringLiteral("END"));
    auto *endGrid = tightGrid(fraEnd);
    endGrid->addWidget(
        makeCheck(fraEnd, QStringLiteral("chkEnd"), QStringLiteral("回線切断後Windows自動終了？")),
        0, 0);
    endGrid->addWidget(makeCheck(fraEnd, QStringLiteral("chkSEnd"), QStringLiteral("無条件終了")),
                       0, 1);
    endGrid->setColumnStretch(2, 1);
    auto *fraEndType = makeFrame(fraEnd, QStringLiteral("fraEndType"), QStringLiteral("終了方法"));
    auto *endRow = new QHBoxLayout(fraEndType);
    endRow->setContentsMargins(6, 2, 6, 4);
    auto *endGroup = named(new QButtonGroup(this), QStringLiteral("grpEndType"));
    const char *endTypes[] = {"POWEROFF", "LOGOFF", "REBOOT", "FORCE", "SHUTDOWN"};
    for (int n = 0; n < 5; ++n) {
        auto *o =
            makeOption(fraEndType, Indexed("optEndType", n), QString::fromLatin1(endTypes[n]));
        endGroup->addButton(o, n);
        endRow->addWidget(o);
    }
    endRow->addStretch(1);
    endGrid->addWidget(fraEndType, 1, 0, 1, 3);
    outer->addWidget(fraEnd);

    grid_ = named(new QTableWidget(page), QStringLiteral("MSFlexGrid"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(20);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setFixedSize(33 + 67 + 100 + 100 + 67 + 2 + 16, 104);
    right->addWidget(grid_);
    right->addWidget(buildGatewayFrame(page));
    right->addStretch(1);
    return page;
}

QWidget *FrmOption::buildGatewayFrame(QWidget *parent) {
    auto *fraGateway = makeFrame(parent, QStringLiteral("fraGateway"), QStringLiteral("Gateway"));
    auto *row = new QHBoxLayout(fraGateway);
    row->setContentsMargins(6, 2, 6, 4);
    row->setSpacing(6);

    auto *addresses = new QGridLayout;
    addresses->setHorizontalSpacing(2);
    addresses->setVerticalSpacing(3);
    const auto octets = [&](int line, const char *caption, const QString &captionText,
                            const char *name) {
        addresses->addWidget(makeLabel(fraGateway, QString::fromLatin1(caption), captionText), line,
                             0);
        for (int n = 0; n < 4; ++n) {
            auto *octet = makeLabel(fraGateway, Indexed(name, n), QStringLiteral("0"));
            octet->setFrameShape(QFrame::StyledPanel);
            octet->setFrameShadow(QFrame::Sunken);
            octet->setAlignment(Qt::AlignCenter);
            octet->setMinimumWidth(30);
            addresses->addWidget(octet, line, n + 1);
        }
    };
    octets(0, "lblTIP", QStringLiteral("IP："), "lblIP");
    octets(1, "lblTMask", QStringLiteral("MASK："), "lblMask");
    addresses->addWidget(makeLabel(fraGateway, QStringLiteral("lblPort"), QStringLiteral("PORT：")),
                         2, 0);
    auto *cmdPort = named(new QComboBox(fraGateway), QStringLiteral("cmdPort"));
    cmdPort->addItems({QStringLiteral("0"), QStringLiteral("1")});
    addresses->addWidget(cmdPort, 2, 1, 1, 2);
    addresses->addWidget(makeCheck(fraGateway, QStringLiteral("chkRAS"), QStringLiteral("RAS接続")),
                         2, 3, 1, 2);
    row->addLayout(addresses);

    auto *fraISP = makeFrame(fraGateway, QStringLiteral("fraISP"), QStringLiteral("ISP"));
    auto *entries = new QVBoxLayout(fraISP);
    entries->setContentsMargins(6, 2, 6, 4);
    entries->setSpacing(2);
    auto *dialGroup = named(new QButtonGroup(this), QStringLiteral("grpDialList"));
    const char *captions[] = {"ISP登録1", "ISP登録2", "ISP登録3", "RAS登録1"};
    for (int n = 0; n < 4; ++n) {
        auto *o = makeOption(fraISP, Indexed("optDialList", n), QString::fromUtf8(captions[n]));
        dialGroup->addButton(o, n);
        entries->addWidget(o);
    }
    entries->addStretch(1);
    row->addWidget(fraISP, 1);
    return fraGateway;
}

} // namespace tarvo::options
