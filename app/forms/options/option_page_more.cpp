// Pages 2 to 4: the watches, the menu entries shown and the rest.
#include "frm_option.h"
#include "option_widgets.h"
#include "time_servers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
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

// Caption, number box with its up-down control, unit: one row of a grid.
void numberRow(QGridLayout *g, int row, QWidget *parent, const char *label, const QString &caption,
               const char *edit, const char *upDown, const QString &initial, int maxLength,
               int minimum, int maximum, const char *unitName, const QString &unit) {
    g->addWidget(makeLabel(parent, QString::fromLatin1(label), caption), row, 0);
    auto *box = makeNumber(parent, QString::fromLatin1(edit), QString::fromLatin1(upDown), initial,
                           maxLength, minimum, maximum, maxLength > 2 ? 44 : 30);
    // After the up-down control, before the stretch that closes the row.
    static_cast<QHBoxLayout *>(box->layout())
        ->insertWidget(2, makeLabel(box, QString::fromLatin1(unitName), unit));
    g->addWidget(box, row, 1);
}
} // namespace

QWidget *FrmOption::buildWatchPage() {
    auto *page = named(new QWidget, Indexed("fraTab", 2));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);

    auto *fraWatch = makeFrame(page, QStringLiteral("fraWatch"), QStringLiteral("Watch interval"));
    auto *columns = new QHBoxLayout(fraWatch);
    columns->setContentsMargins(4, 2, 4, 4);
    columns->setSpacing(10);

    auto *line = new QWidget(fraWatch);
    auto *g = tightGrid(line);
    g->setContentsMargins(0, 0, 0, 0);
    g->addWidget(
        makeCheck(line, QStringLiteral("chkWatch"), QStringLiteral("接続状態の監視を行う")), 0, 0,
        1, 2);
    g->addWidget(
        makeCheck(line, QStringLiteral("chkTerehoSts"), QStringLiteral("テレホーダイ時のみ実行")),
        1, 0, 1, 2);
    numberRow(g, 2, line, "lblWatchTime", QStringLiteral("監視間隔："), "txtWatchTime",
              "UpDownWatchTime", QStringLiteral("55"), 4, 1, 9999, "lblWatchTimeUnit",
              QStringLiteral("分"));
    g->addWidget(makeCheck(line, QStringLiteral("chkWatchAutoStart"),
                           QStringLiteral("回線が切断されている場合、自動接続")),
                 3, 0, 1, 2);
    auto *warning = makeLabel(
        line, QStringLiteral("lblKMsg"),
        QStringLiteral("※警告：常に無条件接続されるので、電話代の心配が無い方や、特殊な契約をして"
                       "いる方のみ使用してください、通常は常にＯＦＦにしてください。"));
    warning->setWordWrap(true);
    warning->setStyleSheet(QStringLiteral("color: #c00000"));
    g->addWidget(warning, 4, 0, 1, 2);
    g->setRowStretch(5, 1);
    columns->addWidget(line, 1);

    auto *clock = new QWidget(fraWatch);
    g = tightGrid(clock);
    g->setContentsMargins(0, 0, 0, 0);
    g->addWidget(makeCheck(clock, QStringLiteral("chkWatch2"), QStringLiteral("時刻補正を行う")), 0,
                 0, 1, 2);
    g->addWidget(
        makeCheck(clock, QStringLiteral("chkTerehoSts2"), QStringLiteral("テレホーダイ時のみ実行")),
        1, 0, 1, 2);
    numberRow(g, 2, clock, "lblWatchTimeT", QStringLiteral("監視間隔："), "txtWatchTime2",
              "UpDownWatchTimeTime", QStringLiteral("60"), 4, 1, 9999, "lblWatchTime2Unit",
              QStringLiteral("分"));
    g->addWidget(makeLabel(clock, QStringLiteral("lblComboIP"), QStringLiteral("接続先")), 3, 0);
    auto *combo = named(new QComboBox(clock), QStringLiteral("ComboIP"));
    combo->setMinimumWidth(150);
    g->addWidget(combo, 3, 1);
    numberRow(g, 4, clock, "lblWatchTime3", QStringLiteral("補正対象："), "txtWatchTime3",
              "UpDownWatchTimeGosa", QStringLiteral("10"), 4, 1, 9999, "lblWatchTime3Unit",
              QStringLiteral("分誤差"));
    numberRow(g, 5, clock, "lblTimeZisa", QStringLiteral("日本時差："), "txtTimeZisa",
              "UpDownTimeGosa", QStringLiteral("9"), 2, 1, 99, "lblTimeZisaUnit",
              QStringLiteral("時間"));
    g->addWidget(
        makeButton(clock, QStringLiteral("cmdTimeSaver"), QStringLiteral("時間取得テスト")), 6, 0);
    auto *reply = makeEdit(clock, QStringLiteral("txtTimeSaver"), QString(), 32767);
    reply->setReadOnly(true);
    g->addWidget(reply, 6, 1);
    g->setRowStretch(7, 1);
    columns->addWidget(clock, 1);
    outer->addWidget(fraWatch, 1);

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(6);
    auto *fraAbout =
        makeFrame(page, QStringLiteral("fraAboutWatch"), QStringLiteral("About Watch interval"));
    g = tightGrid(fraAbout);
    g->addWidget(makeCheck(fraAbout, QStringLiteral("chkAboutWatch"), QStringLiteral("更新を行う")),
                 0, 0, 1, 2);
    numberRow(g, 1, fraAbout, "lblAboutWatch", QStringLiteral("更新間隔："), "txtAboutWatch",
              "UpDownAboutWatch", QStringLiteral("60"), 4, 1, 9999, "lblAboutWatchUnit",
              QStringLiteral("分"));
    bottom->addWidget(fraAbout, 1);
    auto *fraRouter = makeFrame(page, QStringLiteral("fraWatchCorvastine"),
                                QStringLiteral("Watch Corvastine interval"));
    g = tightGrid(fraRouter);
    g->addWidget(
        makeCheck(fraRouter, QStringLiteral("chkCorvastineWatch"), QStringLiteral("監視を行う")), 0,
        0, 1, 2);
    numberRow(g, 1, fraRouter, "lblCorvastineWatch", QStringLiteral("監視間隔："),
              "txtCorvastineWatch", "UpDownCorvastineWatch", QStringLiteral("60"), 4, 1, 9999,
              "lblCorvastineWatchUnit", QStringLiteral("分"));
    bottom->addWidget(fraRouter, 1);
    outer->addLayout(bottom);
    return page;
}

QWidget *FrmOption::buildPopMunPage() {
    auto *page = named(new QWidget, Indexed("fraTab", 3));
    auto *outer = new QHBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);
    auto *task = makeFrame(page, QStringLiteral("fraTaskPopup"), QStringLiteral("TASK POPUP"));
    auto *g = tightGrid(task);
    const char *taskEntries[] = {
        "スタート",           "IP取得",   "IP FTP転送", "ローカルIP取得",
        "ローカルIP FTP転送", "情報表示", "ヘルプ",     "モニター表示/非表示"};
    for (int n = 0; n < 8; ++n)
        g->addWidget(makeCheck(task, Indexed("chkmunStatus", n), QString::fromUtf8(taskEntries[n])),
                     n, 0);
    g->setRowStretch(8, 1);
    outer->addWidget(task, 1);
    auto *main = makeFrame(page, QStringLiteral("fraMainPopup"), QStringLiteral("MAIN POPUP"));
    g = tightGrid(main);
    g->addWidget(makeCheck(main, Indexed("chkMainmunStatus", 0), QStringLiteral("IP取得")), 0, 0);
    g->addWidget(makeCheck(main, Indexed("chkMainmunStatus", 1), QStringLiteral("ローカルIP取得")),
                 1, 0);
    g->setRowStretch(2, 1);
    outer->addWidget(main, 1);
    return page;
}

QWidget *FrmOption::buildOtherPage() {
    auto *page = named(new QWidget, Indexed("fraTab", 4));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(2);
    outer->addWidget(makeCheck(page, QStringLiteral("chkTopDisp"),
                               QStringLiteral("Tarvoメイン画面、最前列表示固定")));
    outer->addWidget(
        makeCheck(page, QStringLiteral("CheckTRY"), QStringLiteral("起動時にタスクトレイに格納")));
    outer->addWidget(
        makeCheck(page, QStringLiteral("chkLOG"), QStringLiteral("接続・切断ログ記録")));

    auto *fraMonitor =
        makeFrame(page, QStringLiteral("fraMonitor"), QStringLiteral("リアルタイムモニタ"));
    auto *g = tightGrid(fraMonitor);
    g->addWidget(makeCheck(fraMonitor, QStringLiteral("chkTopMonitor"),
                           QStringLiteral("モニター画面、最前列表示固定")),
                 0, 0, 1, 4);
    g->addWidget(makeCheck(fraMonitor, QStringLiteral("chkMonitorAutoSave"),
                           QStringLiteral("終了時に現在の状態を記録")),
                 1, 0, 1, 4);
    // MonitorPoint3 is the width and MonitorPoint4 the height, so the captions say so.
    const QString captions[] = {QStringLiteral("位置Ｘ："), QStringLiteral("位置Ｙ："),
                                QStringLiteral("幅："), QStringLiteral("高さ：")};
    for (int n = 0; n < 4; ++n) {
        g->addWidget(makeLabel(fraMonitor, Indexed("lblMonitorPoint", n), captions[n]), 2 + n / 2,
                     (n % 2) * 2);
        auto *e = makeEdit(fraMonitor, Indexed("txtMonitorPoint", n), QStringLiteral("0"), 6, 60);
        e->setAlignment(Qt::AlignRight);
        g->addWidget(e, 2 + n / 2, (n % 2) * 2 + 1);
    }
    g->addWidget(makeButton(fraMonitor, QStringLiteral("cmdMonitorSetPoint"),
                            QStringLiteral("現在の状態を反映")),
                 4, 0, 1, 4, Qt::AlignLeft);
    g->addWidget(
        makeCheck(fraMonitor, QStringLiteral("chkMonitorKakushi"), QStringLiteral("自動的に隠す")),
        5, 0, 1, 4);
    g->addWidget(
        makeCheck(fraMonitor, QStringLiteral("chkMaxNewSort"), QStringLiteral("常に最大値を修正")),
        6, 0, 1, 4);
    g->addWidget(
        makeLabel(fraMonitor, QStringLiteral("lblMonitorPointSu"), QStringLiteral("データ数：")), 7,
        0);
    g->addWidget(makeNumber(fraMonitor, QStringLiteral("txtMonitorPointSu"),
                            QStringLiteral("UpDown4"), QStringLiteral("0"), 4, 80, 9999, 44),
                 7, 1, 1, 3);
    auto *fraType =
        makeFrame(fraMonitor, QStringLiteral("fraGraphType"), QStringLiteral("グラフタイプ"));
    auto *types = new QVBoxLayout(fraType);
    types->setContentsMargins(6, 2, 6, 4);
    types->setSpacing(2);
    auto *typeGroup = named(new QButtonGroup(this), QStringLiteral("grpMonitorType"));
    const char *typeCaptions[] = {"線", "円", "線と円"};
    for (int n = 0; n < 3; ++n) {
        auto *o =
            makeOption(fraType, Indexed("OptMonitorType", n), QString::fromUtf8(typeCaptions[n]));
        typeGroup->addButton(o, n);
        types->addWidget(o);
    }
    types->addStretch(1);
    g->addWidget(fraType, 0, 4, 8, 1);
    g->setColumnStretch(5, 1);
    outer->addWidget(fraMonitor, 1);
    return page;
}

} // namespace tarvo::options
