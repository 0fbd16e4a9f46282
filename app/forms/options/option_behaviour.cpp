// How the controls react while the dialog is open: the enabling rules, the key filters, the
// corrections on leaving a field, the pickers and the fill-in buttons.
#include "frm_option.h"
#include "up_down.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace tarvo::options {

namespace {
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

void setTextColour(QLineEdit *edit, const QColor &colour) {
    QPalette p = edit->palette();
    p.setColor(QPalette::Text, colour);
    edit->setPalette(p);
}
} // namespace

void FrmOption::enable(std::initializer_list<QString> names, bool on) {
    for (const QString &name : names)
        if (QWidget *w = control(name)) w->setEnabled(on);
}

void FrmOption::ruleAutoStart() {
    const bool on = checked(QStringLiteral("chkAutoStart"));
    enable({QStringLiteral("fraTime"), QStringLiteral("cmdTime"), QStringLiteral("lblStartTime"),
            QStringLiteral("txtStartTime"), QStringLiteral("lblEndTime"),
            QStringLiteral("txtEndTime"), QStringLiteral("fraEnd"), QStringLiteral("chkEnd")},
           on);
    if (on) {
        ruleEnd();
    } else {
        enable({QStringLiteral("fraEndType"), QStringLiteral("chkSEnd")}, false);
        for (int n = 0; n < 5; ++n)
            enable({Indexed("optEndType", n)}, false);
    }
}

void FrmOption::ruleEnd() {
    const bool on = checked(QStringLiteral("chkEnd"));
    enable({QStringLiteral("fraEndType"), QStringLiteral("chkSEnd")}, on);
    for (int n = 0; n < 5; ++n)
        enable({Indexed("optEndType", n)}, on);
}

void FrmOption::ruleStart() {
    const bool on = checked(QStringLiteral("ChkStart"));
    enable({QStringLiteral("chkAPIEnd"),       QStringLiteral("chkTerehoStart"),
            QStringLiteral("fraStart"),        QStringLiteral("lblKStartTime"),
            QStringLiteral("txtKStartTime"),   QStringLiteral("UpDownStartTime"),
            QStringLiteral("chkGoStart"),      QStringLiteral("chkGoEnd"),
            QStringLiteral("chkStartMunDisp"), QStringLiteral("frmFTPIP"),
            QStringLiteral("chkFTP"),          QStringLiteral("chkTerehoStartFTP"),
            QStringLiteral("lblFTPName"),      QStringLiteral("txtFTPName"),
            QStringLiteral("lblFTPPassword"),  QStringLiteral("txtFTPPassword"),
            QStringLiteral("lblFTPHP"),        QStringLiteral("txtFTPHOST"),
            QStringLiteral("lblFTPPORT"),      QStringLiteral("txtFTPPORT")},
           on);
    for (int i = 0; i < 5; ++i)
        enable({Indexed("chkStartData", i), Indexed("txtStartData", i), Indexed("cmdStartData", i)},
               on);
    if (on) ruleApiEnd();
}

void FrmOption::ruleApiEnd() {
    enable({QStringLiteral("chkGoEnd")}, checked(QStringLiteral("chkAPIEnd")));
}

void FrmOption::ruleFtp() {
    const bool on = checked(QStringLiteral("chkFTP")) && checked(QStringLiteral("ChkStart"));
    enable({QStringLiteral("chkTerehoStartFTP"),
            QStringLiteral("chkFTPTLS"),
            QStringLiteral("lblFTPName"),
            QStringLiteral("txtFTPName"),
            QStringLiteral("lblFTPPassword"),
            QStringLiteral("txtFTPPassword"),
            QStringLiteral("lblFTPHP"),
            QStringLiteral("txtFTPHOST"),
            QStringLiteral("lblFTPll"),
            QStringLiteral("txtFTPll"),
            QStringLiteral("lblFTPPORT"),
            QStringLiteral("txtFTPPORT"),
            QStringLiteral("lblFTPFileName"),
            QStringLiteral("txtFTPFileName"),
            QStringLiteral("lblFTPFontColor"),
            QStringLiteral("lblFTPBackColor"),
            Indexed("cmdColor", 0),
            Indexed("cmdColor", 1),
            QStringLiteral("chkGotoIpPage"),
            QStringLiteral("chkAutoGoto")},
           on);
    // chkTerehoStartFTP has just taken this rule's state.
    if (on) ruleGotoIpPage();
}

void FrmOption::ruleGotoIpPage() {
    enable({QStringLiteral("chkAutoGoto")}, checked(QStringLiteral("chkGotoIpPage")));
}

void FrmOption::ruleWatch() {
    enable({QStringLiteral("chkTerehoSts"), QStringLiteral("chkWatchAutoStart"),
            QStringLiteral("lblWatchTime"), QStringLiteral("txtWatchTime"),
            QStringLiteral("lblWatchTimeUnit"), QStringLiteral("UpDownWatchTime"),
            QStringLiteral("lblKMsg")},
           checked(QStringLiteral("chkWatch")));
}

void FrmOption::ruleWatch2() {
    enable({QStringLiteral("lblWatchTimeT"), QStringLiteral("txtWatchTime2"),
            QStringLiteral("UpDownWatchTimeTime"), QStringLiteral("lblWatchTime2Unit"),
            QStringLiteral("chkTerehoSts2"), QStringLiteral("lblComboIP"),
            QStringLiteral("ComboIP"), QStringLiteral("lblWatchTime3"),
            QStringLiteral("txtWatchTime3"), QStringLiteral("UpDownWatchTimeGosa"),
            QStringLiteral("lblWatchTime3Unit"), QStringLiteral("lblTimeZisa"),
            QStringLiteral("txtTimeZisa"), QStringLiteral("UpDownTimeGosa"),
            QStringLiteral("lblTimeZisaUnit"), QStringLiteral("cmdTimeSaver"),
            QStringLiteral("txtTimeSaver")},
           checked(QStringLiteral("chkWatch2")));
}

void FrmOption::ruleAboutWatch() {
    enable({QStringLiteral("lblAboutWatch"), QStringLiteral("txtAboutWatch"),
            QStringLiteral("UpDownAboutWatch"), QStringLiteral("lblAboutWatchUnit")},
           checked(QStringLiteral("chkAboutWatch")));
}

void FrmOption::ruleCorvastineWatch() {
    enable({QStringLiteral("lblCorvastineWatch"), QStringLiteral("txtCorvastineWatch"),
            QStringLiteral("UpDownCorvastineWatch"), QStringLiteral("lblCorvastineWatchUnit")},
           checked(QStringLiteral("chkCorvastineWatch")));
}

void FrmOption::ApplyRasMode() {
    const bool ras = checked(QStringLiteral("chkRAS"));
    control<QGroupBox>(QStringLiteral("fraISP"))
        ->setTitle(ras ? QStringLiteral("RAS") : QStringLiteral("ISP"));
    for (int n = 0; n < 3; ++n)
        control(Indexed("optDialList", n))->setVisible(!ras);
    control(Indexed("optDialList", 3))->setVisible(ras);
}

void FrmOption::EnableCurrentPage() {
    pageSwitched_ = true;
    for (int n = 0; n < 5; ++n)
        control(Indexed("fraTab", n))->setEnabled(false);
    control(Indexed("fraTab", tabs_->currentIndex()))->setEnabled(true);
}

void FrmOption::CheckProgramEntry(int i) {
    auto *path = control<QLineEdit>(Indexed("txtStartData", i));
    auto *options = control<QLineEdit>(Indexed("txtOptionData", i));
    auto *enabled = control<QCheckBox>(Indexed("chkStartData", i));
    if (QFileInfo(path->text()).isFile()) {
        setTextColour(path, kBlack);
        setTextColour(options, kBlack);
    } else if (enabled->isChecked()) {
        setTextColour(path, kRed);
        setTextColour(options, kRed);
        enabled->setChecked(false);
    }
    if (path->text().isEmpty()) path->setText(p_.host.programFolder());
}

int FrmOption::CheckFtpEntries() const {
    const auto textOf = [this](const char *name) {
        return control<QLineEdit>(QString::fromLatin1(name))->text();
    };
    return options::CheckFtpEntries(checked(QStringLiteral("chkFTP")), textOf("txtFTPName"),
                                    textOf("txtFTPPassword"), textOf("txtFTPHOST"));
}

void FrmOption::pickProgram(int i) {
    auto *path = control<QLineEdit>(Indexed("txtStartData", i));
    if (const auto chosen = p_.pickers.pickProgram(this, p_.host.programFolder())) {
        path->setText(*chosen);
        path->setToolTip(QFileInfo(*chosen).fileName());
    }
    // Leaving the box afterwards runs the entry check on what was chosen.
    path->setFocus(Qt::OtherFocusReason);
}

void FrmOption::setSwatch(int i, std::uint32_t colour) {
    auto *sw = control<QLineEdit>(Indexed("txtFTPColor", i));
    sw->setProperty("colour", static_cast<uint>(colour));
    const QColor c(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                   static_cast<int>((colour >> 16) & 0xFF));
    sw->setStyleSheet(QStringLiteral("background-color: %1").arg(c.name()));
}

std::uint32_t FrmOption::swatch(int i) const {
    return control(Indexed("txtFTPColor", i))->property("colour").toUInt();
}

void FrmOption::pickColour(int i) {
    const std::uint32_t now = swatch(i);
    const QColor current(static_cast<int>(now & 0xFF), static_cast<int>((now >> 8) & 0xFF),
                         static_cast<int>((now >> 16) & 0xFF));
    if (const auto chosen = p_.pickers.pickColour(this, current)) {
        setSwatch(i, static_cast<std::uint32_t>(chosen->red()) |
                         static_cast<std::uint32_t>(chosen->green()) << 8 |
                         static_cast<std::uint32_t>(chosen->blue()) << 16);
    }
}

void FrmOption::showTimeTestReply(const QString &text) {
    control<QLineEdit>(QStringLiteral("txtTimeSaver"))->setText(text);
}

void FrmOption::connectBehaviour() {
    const auto onClick = [this](const QString &name, auto action) {
        connect(control<QAbstractButton>(name), &QAbstractButton::clicked, this, action);
    };
    onClick(QStringLiteral("chkAutoStart"), [this] { ruleAutoStart(); });
    onClick(QStringLiteral("chkEnd"), [this] { ruleEnd(); });
    onClick(QStringLiteral("ChkStart"), [this] {
        ruleStart();
        ruleFtp();
    });
    onClick(QStringLiteral("chkAPIEnd"), [this] { ruleApiEnd(); });
    onClick(QStringLiteral("chkFTP"), [this] { ruleFtp(); });
    onClick(QStringLiteral("chkGotoIpPage"), [this] { ruleGotoIpPage(); });
    onClick(QStringLiteral("chkWatch"), [this] { ruleWatch(); });
    onClick(QStringLiteral("chkWatch2"), [this] { ruleWatch2(); });
    onClick(QStringLiteral("chkAboutWatch"), [this] { ruleAboutWatch(); });
    onClick(QStringLiteral("chkCorvastineWatch"), [this] { ruleCorvastineWatch(); });
    onClick(QStringLiteral("chkPopHelp"), [this] { ShowOptionTips(); });
    onClick(QStringLiteral("chkRAS"), [this] { ApplyRasMode(); });
    connect(tabs_->tabBar(), &QTabBar::currentChanged, this, [this] { EnableCurrentPage(); });

    for (int i = 0; i < 5; ++i)
        onClick(Indexed("cmdStartData", i), [this, i] { pickProgram(i); });
    for (int i = 0; i < 2; ++i)
        onClick(Indexed("cmdColor", i), [this, i] { pickColour(i); });
    onClick(QStringLiteral("cmdTime"), [this] {
        control<QLineEdit>(QStringLiteral("txtStartTime"))->setText(QStringLiteral("2300"));
        control<QLineEdit>(QStringLiteral("txtEndTime"))->setText(QStringLiteral("0755"));
    });
    onClick(QStringLiteral("cmdTimeSaver"), [this] {
        const int index = control<QComboBox>(QStringLiteral("ComboIP"))->currentIndex();
        // With no server chosen there is nobody to ask.
        if (index < 0) return;
        control<QLineEdit>(QStringLiteral("txtTimeSaver"))->clear();
        p_.host.startTimeTest(index);
    });
    onClick(QStringLiteral("cmdMonitorSetPoint"), [this] {
        const auto g = p_.monitor.currentGeometry();
        if (!g) return;
        const std::int32_t values[] = {g->left, g->top, g->width, g->height};
        for (int n = 0; n < 4; ++n)
            control<QLineEdit>(Indexed("txtMonitorPoint", n))->setText(QString::number(values[n]));
    });

    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) { gridClicked(row); });
    connect(control<QComboBox>(QStringLiteral("cmdPort")), &QComboBox::activated, this,
            [this] { portChosen(); });
}

} // namespace tarvo::options
