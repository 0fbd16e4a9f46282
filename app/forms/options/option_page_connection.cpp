// Page 1 "連動設定": the registered programs and the IP page upload.
#include "frm_option.h"
#include "option_widgets.h"

#include <QGridLayout>
#include <QVBoxLayout>

namespace tarvo::options {

namespace {
QGridLayout *tightGrid(QWidget *frame) {
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(5, 2, 5, 3);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(1);
    return grid;
}

QWidget *inRow(QWidget *parent, std::initializer_list<QWidget *> widgets) {
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (QWidget *w : widgets) {
        w->setParent(box);
        row->addWidget(w);
    }
    row->addStretch(1);
    return box;
}
} // namespace

QWidget *FrmOption::buildConnectionStartPage() {
    auto *page = named(new QWidget, Indexed("fraTab", 1));
    auto *outer = new QVBoxLayout(page);
    outer->setContentsMargins(4, 4, 4, 4);
    auto *fraInterlock =
        makeFrame(page, QStringLiteral("fraInterlock"), QStringLiteral("Interlock option"));
    outer->addWidget(fraInterlock);
    auto *interlock = new QVBoxLayout(fraInterlock);
    interlock->setContentsMargins(4, 2, 4, 4);
    interlock->setSpacing(2);
    // The switch of the whole page stays outside the frames it switches off.
    interlock->addWidget(inRow(
        fraInterlock,
        {makeCheck(nullptr, QStringLiteral("ChkStart"), QStringLiteral("接続後、連動起動")),
         makeCheck(nullptr, QStringLiteral("chkAPIEnd"), QStringLiteral("自動プログラム終了"))}));
    auto *columns = new QHBoxLayout;
    columns->setSpacing(4);
    interlock->addLayout(columns, 1);

    auto *fraStart =
        makeFrame(fraInterlock, QStringLiteral("fraStart"), QStringLiteral("連動起動"));
    auto *g = tightGrid(fraStart);
    g->addWidget(
        inRow(fraStart,
              {makeCheck(nullptr, QStringLiteral("chkTerehoStart"),
                         QStringLiteral("テレホーダイ時のみ実行")),
               makeLabel(nullptr, QStringLiteral("lblKStartTime"), QStringLiteral("起動間隔：")),
               makeNumber(nullptr, QStringLiteral("txtKStartTime"),
                          QStringLiteral("UpDownStartTime"), QStringLiteral("0"), 2, 0, 99, 26)}),
        0, 0, 1, 4);
    for (int i = 0; i < 5; ++i) {
        auto *chk = makeCheck(fraStart, Indexed("chkStartData", i), QString());
        g->addWidget(chk, 1 + i, 0);
        g->addWidget(makeEdit(fraStart, Indexed("txtStartData", i), QString(), 80), 1 + i, 1);
        auto *pick = makeButton(fraStart, Indexed("cmdStartData", i), QStringLiteral("・・・"));
        pick->setFixedWidth(30);
        g->addWidget(pick, 1 + i, 2);
        g->addWidget(makeEdit(fraStart, Indexed("txtOptionData", i), QString(), 20, 56), 1 + i, 3);
    }
    g->addWidget(inRow(fraStart, {makeCheck(nullptr, QStringLiteral("chkGoStart"),
                                            QStringLiteral("連続起動スタート表示")),
                                  makeCheck(nullptr, QStringLiteral("chkGoEnd"),
                                            QStringLiteral("連動終了表示"))}),
                 6, 0, 1, 4);
    g->addWidget(
        makeCheck(fraStart, QStringLiteral("chkStartMunDisp"), QStringLiteral("起動全リスト表示")),
        7, 0, 1, 4);
    g->setColumnStretch(1, 1);
    g->setRowStretch(8, 1);
    columns->addWidget(fraStart, 1);

    auto *ftp =
        makeFrame(fraInterlock, QStringLiteral("frmFTPIP"), QStringLiteral("IP情報をFTP転送"));
    g = tightGrid(ftp);
    int r = 0;
    g->addWidget(makeCheck(ftp, QStringLiteral("chkFTP"), QStringLiteral("IP情報の転送機能を使用")),
                 r++, 0, 1, 4);
    g->addWidget(makeCheck(ftp, QStringLiteral("chkTerehoStartFTP"),
                           QStringLiteral("テレホーダイ時のみ実行")),
                 r++, 0, 1, 4);
    g->addWidget(makeCheck(ftp, QStringLiteral("chkFTPTLS"), QStringLiteral("FTPS(TLS)で転送")),
                 r++, 0, 1, 4);
    const auto field = [&](const char *label, const QString &caption, QWidget *edit) {
        g->addWidget(makeLabel(ftp, QString::fromLatin1(label), caption), r, 0);
        g->addWidget(edit, r++, 1, 1, 3);
    };
    field("lblFTPHP", QStringLiteral("ホスト："),
          makeEdit(ftp, QStringLiteral("txtFTPHOST"), QString(), 80));
    auto *port = makeEdit(ftp, QStringLiteral("txtFTPPORT"), QStringLiteral("21"), 5, 44);
    port->setAlignment(Qt::AlignRight);
    field("lblFTPPORT", QStringLiteral("ポート："), inRow(ftp, {port}));
    field("lblFTPName", QStringLiteral("名前："),
          makeEdit(ftp, QStringLiteral("txtFTPName"), QString(), 20));
    auto *password = makeEdit(ftp, QStringLiteral("txtFTPPassword"), QString(), 20);
    password->setEchoMode(QLineEdit::Password);
    password->setAttribute(Qt::WA_InputMethodEnabled, false);
    field("lblFTPPassword", QStringLiteral("パスワード："), password);
    field("lblFTPll", QStringLiteral("格納場所："),
          makeEdit(ftp, QStringLiteral("txtFTPll"), QString(), 80));
    field("lblFTPFileName", QStringLiteral("ファイル名："),
          makeEdit(ftp, QStringLiteral("txtFTPFileName"), QStringLiteral("IPData.html"), 20));
    const char *colourLabels[] = {"lblFTPFontColor", "lblFTPBackColor"};
    const QString colourCaptions[] = {QStringLiteral("フォントカラー："),
                                      QStringLiteral("バックカラー：")};
    for (int i = 0; i < 2; ++i) {
        auto *sw = makeEdit(ftp, Indexed("txtFTPColor", i), QString(), 32767, 40);
        sw->setReadOnly(true);
        sw->setFocusPolicy(Qt::NoFocus);
        auto *pick = makeButton(ftp, Indexed("cmdColor", i), QStringLiteral("・・・"));
        pick->setFixedWidth(30);
        field(colourLabels[i], colourCaptions[i], inRow(ftp, {sw, pick}));
    }
    g->addWidget(
        inRow(ftp, {makeCheck(nullptr, QStringLiteral("chkGotoIpPage"),
                              QStringLiteral("IP情報にジャンプのタグを追加")),
                    makeCheck(nullptr, QStringLiteral("chkAutoGoto"), QStringLiteral("自動移動"))}),
        r++, 0, 1, 4);
    g->setColumnStretch(1, 1);
    g->setRowStretch(r, 1);
    columns->addWidget(ftp, 1);
    return page;
}

} // namespace tarvo::options
