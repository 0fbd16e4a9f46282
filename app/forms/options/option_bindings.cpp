// Each page's controls to and from the settings store. Check boxes store 1 or 0, option
// buttons -1 for the chosen one and 0 for the others, numbers as integers of their text, texts
// as they stand.
#include "colour_value.h"
#include "connection_texts.h"
#include "frm_option.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>
#include <limits>

namespace tarvo::options {

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}

template <class Int> Int number(const QLineEdit *edit) {
    // Fields are corrected when they lose the focus; a text typed and applied without leaving
    // the box still counts by its leading digits, within the key's range.
    const long long v = LeadingNumber(edit->text());
    return static_cast<Int>(
        std::clamp<long long>(v, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max()));
}

// Chooses one option of a group, or none when `index` is -1.
void choose(QButtonGroup *group, int index) {
    group->setExclusive(false);
    for (QAbstractButton *b : group->buttons())
        b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

// The last option whose stored value is not 0 is the chosen one.
int storedChoice(std::initializer_list<std::int16_t> values) {
    int chosen = -1;
    int n = 0;
    for (std::int16_t v : values) {
        if (v != 0) chosen = n;
        ++n;
    }
    return chosen;
}

std::int16_t optionValue(const QButtonGroup *group, int n) {
    return group->checkedId() == n ? -1 : 0;
}
} // namespace

bool FrmOption::checked(const QString &name) const {
    return control<QCheckBox>(name)->isChecked();
}

void FrmOption::loadStandard() {
    const auto &s = p_.store.Standard;
    const auto setText = [this](const char *name, const QString &value) {
        control<QLineEdit>(QString::fromLatin1(name))->setText(value);
    };
    const auto setCheck = [this](const QString &name, int value) {
        control<QCheckBox>(name)->setChecked(value == 1);
    };
    setText("txtCount", text(s.Count));
    setCheck(QStringLiteral("chkAutoStart"), s.AutoStart);
    setText("txtSTime", QString::number(s.STime));
    setText("txtStartTime", text(s.StartTime));
    setText("txtEndTime", text(s.EndTime));
    SplitAddressToLabels(text(s.IP), text(s.Mask));
    auto *port = control<QComboBox>(QStringLiteral("cmdPort"));
    const int portIndex = port->findText(text(s.Port));
    // A hand-edited port other than 0 or 1 shows as it is.
    if (portIndex >= 0) {
        port->setCurrentIndex(portIndex);
    } else {
        port->setEditable(true);
        port->setEditText(text(s.Port));
    }
    setCheck(QStringLiteral("chkRAS"), s.RAS);
    openingDialRefresh();
    choose(findChild<QButtonGroup *>(QStringLiteral("grpEndType")),
           storedChoice({s.EndType1, s.EndType2, s.EndType3, s.EndType4, s.EndType5}));
    setCheck(QStringLiteral("chkEnd"), s.End);
    setCheck(QStringLiteral("chkSEnd"), s.SEnd);
    choose(findChild<QButtonGroup *>(QStringLiteral("grpDialList")),
           storedChoice({s.IspType1, s.IspType2, s.IspType3, s.RasType1}));
    ruleEnd();
    ruleAutoStart();
    ApplyRasMode();
}

void FrmOption::storeStandard() {
    auto &s = p_.store.Standard;
    s.Count = control<QLineEdit>(QStringLiteral("txtCount"))->text().toStdString();
    s.AutoStart = checked(QStringLiteral("chkAutoStart")) ? 1 : 0;
    s.STime = number<std::int16_t>(control<QLineEdit>(QStringLiteral("txtSTime")));
    s.StartTime = control<QLineEdit>(QStringLiteral("txtStartTime"))->text().toStdString();
    s.EndTime = control<QLineEdit>(QStringLiteral("txtEndTime"))->text().toStdString();
    s.Port = control<QComboBox>(QStringLiteral("cmdPort"))->currentText().toStdString();
    s.RAS = checked(QStringLiteral("chkRAS")) ? 1 : 0;
    s.End = checked(QStringLiteral("chkEnd")) ? 1 : 0;
    const auto *ends = findChild<QButtonGroup *>(QStringLiteral("grpEndType"));
    s.EndType1 = optionValue(ends, 0);
    s.EndType2 = optionValue(ends, 1);
    s.EndType3 = optionValue(ends, 2);
    s.EndType4 = optionValue(ends, 3);
    s.EndType5 = optionValue(ends, 4);
    s.SEnd = checked(QStringLiteral("chkSEnd")) ? 1 : 0;
    const auto *dial = findChild<QButtonGroup *>(QStringLiteral("grpDialList"));
    s.IspType1 = optionValue(dial, 0);
    s.IspType2 = optionValue(dial, 1);
    s.IspType3 = optionValue(dial, 2);
    s.RasType1 = optionValue(dial, 3);
    if (dial->checkedId() >= 0) s.UseNumber = static_cast<std::int16_t>(dial->checkedId());
}

void FrmOption::loadConnectionStart() {
    const auto &s = p_.store.ConnectionStart;
    const auto setCheck = [this](const QString &name, int value) {
        control<QCheckBox>(name)->setChecked(value == 1);
    };
    const auto setText = [this](const QString &name, const QString &value) {
        control<QLineEdit>(name)->setText(value);
    };
    setCheck(QStringLiteral("ChkStart"), s.Start);
    setCheck(QStringLiteral("chkAPIEnd"), s.End);
    setCheck(QStringLiteral("chkTerehoStart"), s.TerehoStart);
    setText(QStringLiteral("txtKStartTime"), QString::number(s.Time));
    for (int i = 0; i < 5; ++i) {
        const auto k = static_cast<std::size_t>(i);
        setCheck(Indexed("chkStartData", i), s.CStartDirData[k]);
        setText(Indexed("txtStartData", i), text(s.StartDirData[k]));
        setText(Indexed("txtOptionData", i), text(s.StartOptData[k]));
        CheckProgramEntry(i);
    }
    setCheck(QStringLiteral("chkGoStart"), s.GoStart);
    setCheck(QStringLiteral("chkGoEnd"), s.GoEnd);
    setCheck(QStringLiteral("chkStartMunDisp"), s.StartMunDisp);
    setCheck(QStringLiteral("chkFTP"), s.FTP);
    setCheck(QStringLiteral("chkTerehoStartFTP"), s.TerehoStartFTP);
    setCheck(QStringLiteral("chkFTPTLS"), s.FTPTLS);
    setText(QStringLiteral("txtFTPName"), text(s.FTPName));
    setText(QStringLiteral("txtFTPPassword"), text(s.FTPPassword));
    setText(QStringLiteral("txtFTPHOST"), text(s.FTPHOST));
    setText(QStringLiteral("txtFTPll"), text(s.FTPll));
    setText(QStringLiteral("txtFTPPORT"), text(s.FTPPORT));
    setText(QStringLiteral("txtFTPFileName"), text(s.FTPFileName));
    setSwatch(0, settings::parseColour(s.FTPFontColor).value_or(0));
    setSwatch(1, settings::parseColour(s.FTPBackColor).value_or(0));
    setCheck(QStringLiteral("chkGotoIpPage"), s.FTPGotoIpPage);
    setCheck(QStringLiteral("chkAutoGoto"), s.FTPAutoGoto);
    ruleStart();
    ruleGotoIpPage();
    ruleFtp();
}

void FrmOption::storeConnectionStart() {
    auto &s = p_.store.ConnectionStart;
    const auto flag = [this](const QString &name) -> std::int16_t { return checked(name) ? 1 : 0; };
    const auto str = [this](const QString &name) {
        return control<QLineEdit>(name)->text().toStdString();
    };
    s.Start = flag(QStringLiteral("ChkStart"));
    s.End = flag(QStringLiteral("chkAPIEnd"));
    s.TerehoStart = flag(QStringLiteral("chkTerehoStart"));
    s.Time = number<std::int16_t>(control<QLineEdit>(QStringLiteral("txtKStartTime")));
    for (int i = 0; i < 5; ++i) {
        const auto k = static_cast<std::size_t>(i);
        s.CStartDirData[k] = flag(Indexed("chkStartData", i));
        s.StartDirData[k] = str(Indexed("txtStartData", i));
        s.StartOptData[k] = str(Indexed("txtOptionData", i));
    }
    s.GoStart = flag(QStringLiteral("chkGoStart"));
    s.GoEnd = flag(QStringLiteral("chkGoEnd"));
    s.StartMunDisp = flag(QStringLiteral("chkStartMunDisp"));
    s.FTP = flag(QStringLiteral("chkFTP"));
    s.TerehoStartFTP = flag(QStringLiteral("chkTerehoStartFTP"));
    s.FTPTLS = flag(QStringLiteral("chkFTPTLS"));
    s.FTPName = str(QStringLiteral("txtFTPName"));
    s.FTPPassword = str(QStringLiteral("txtFTPPassword"));
    s.FTPHOST = str(QStringLiteral("txtFTPHOST"));
    s.FTPll = str(QStringLiteral("txtFTPll"));
    s.FTPPORT = str(QStringLiteral("txtFTPPORT"));
    s.FTPFileName = str(QStringLiteral("txtFTPFileName"));
    s.FTPFontColor = std::to_string(swatch(0));
    s.FTPBackColor = std::to_string(swatch(1));
    s.FTPGotoIpPage = flag(QStringLiteral("chkGotoIpPage"));
    s.FTPAutoGoto = flag(QStringLiteral("chkAutoGoto"));
}

namespace {
struct WatchBinding {
    const char *control;
    std::int16_t settings::WatchKeys::*field;
    bool isCheck;
};
constexpr WatchBinding kWatch[] = {
    {"chkWatch", &settings::WatchKeys::Watch, true},
    {"chkTerehoSts", &settings::WatchKeys::TerehoSts, true},
    {"txtWatchTime", &settings::WatchKeys::WatchTime, false},
    {"chkWatchAutoStart", &settings::WatchKeys::WatchAutoStart, true},
    {"chkWatch2", &settings::WatchKeys::Watch2, true},
    {"chkTerehoSts2", &settings::WatchKeys::TerehoSts2, true},
    {"txtWatchTime2", &settings::WatchKeys::WatchTime2, false},
    {nullptr, &settings::WatchKeys::NTPIndex, false}, // ComboIP, by list position
    {"txtWatchTime3", &settings::WatchKeys::WatchTime3, false},
    {"txtTimeZisa", &settings::WatchKeys::Zisa, false},
    {"chkAboutWatch", &settings::WatchKeys::AboutWatch, true},
    {"txtAboutWatch", &settings::WatchKeys::AboutWatchTime, false},
    {"chkCorvastineWatch", &settings::WatchKeys::CorvastineWatch, true},
    {"txtCorvastineWatch", &settings::WatchKeys::CorvastineWatchTime, false},
};

struct PopMunBinding {
    const char *control;
    int index;
    std::int16_t settings::PopMunKeys::*field;
};
constexpr PopMunBinding kPopMun[] = {
    {"chkmunStatus", 0, &settings::PopMunKeys::Start},
    {"chkmunStatus", 1, &settings::PopMunKeys::GetIP},
    {"chkmunStatus", 2, &settings::PopMunKeys::IPFTP},
    {"chkmunStatus", 3, &settings::PopMunKeys::GetLocalIP},
    {"chkmunStatus", 4, &settings::PopMunKeys::LocalIPFTP},
    {"chkmunStatus", 7, &settings::PopMunKeys::Monitor},
    {"chkmunStatus", 5, &settings::PopMunKeys::About},
    {"chkmunStatus", 6, &settings::PopMunKeys::Help},
    {"chkMainmunStatus", 0, &settings::PopMunKeys::MGetIP},
    {"chkMainmunStatus", 1, &settings::PopMunKeys::MLocalIPFTP},
};
} // namespace

void FrmOption::loadWatch() {
    auto &s = p_.store.Watch;
    for (const WatchBinding &b : kWatch) {
        if (b.control == nullptr) {
            auto *combo = control<QComboBox>(QStringLiteral("ComboIP"));
            // A position outside the list leaves nothing chosen.
            combo->setCurrentIndex(s.NTPIndex < combo->count() ? s.NTPIndex : -1);
        } else if (b.isCheck) {
            control<QCheckBox>(QString::fromLatin1(b.control))->setChecked(s.*b.field == 1);
        } else {
            control<QLineEdit>(QString::fromLatin1(b.control))
                ->setText(QString::number(s.*b.field));
        }
    }
    ruleWatch();
    ruleWatch2();
    ruleAboutWatch();
    ruleCorvastineWatch();
}

void FrmOption::storeWatch() {
    auto &s = p_.store.Watch;
    for (const WatchBinding &b : kWatch) {
        if (b.control == nullptr)
            s.*b.field = static_cast<std::int16_t>(
                control<QComboBox>(QStringLiteral("ComboIP"))->currentIndex());
        else if (b.isCheck)
            s.*b.field = checked(QString::fromLatin1(b.control)) ? 1 : 0;
        else
            s.*b.field = number<std::int16_t>(control<QLineEdit>(QString::fromLatin1(b.control)));
    }
}

void FrmOption::loadPopMun() {
    for (const PopMunBinding &b : kPopMun)
        control<QCheckBox>(Indexed(b.control, b.index))->setChecked(p_.store.PopMun.*b.field == 1);
}

void FrmOption::storePopMun() {
    for (const PopMunBinding &b : kPopMun)
        p_.store.PopMun.*b.field = checked(Indexed(b.control, b.index)) ? 1 : 0;
}

void FrmOption::loadOther() {
    const auto &s = p_.store.Other;
    const auto setCheck = [this](const QString &name, int value) {
        control<QCheckBox>(name)->setChecked(value == 1);
    };
    setCheck(QStringLiteral("chkLOG"), s.LOG);
    setCheck(QStringLiteral("CheckTRY"), s.Hyouzi);
    setCheck(QStringLiteral("chkTopDisp"), s.TopDisp1);
    setCheck(QStringLiteral("chkTopMonitor"), s.TopDisp2);
    setCheck(QStringLiteral("chkMonitorAutoSave"), s.MonitorAutoSave);
    const std::int32_t points[] = {s.MonitorPoint1, s.MonitorPoint2, s.MonitorPoint3,
                                   s.MonitorPoint4};
    for (int n = 0; n < 4; ++n)
        control<QLineEdit>(Indexed("txtMonitorPoint", n))->setText(QString::number(points[n]));
    setCheck(QStringLiteral("chkMonitorKakushi"), s.MonitorKakushi);
    setCheck(QStringLiteral("chkMaxNewSort"), s.MonitorMaxNewSort);
    control<QLineEdit>(QStringLiteral("txtMonitorPointSu"))
        ->setText(QString::number(s.MonitorPoint));
    choose(findChild<QButtonGroup *>(QStringLiteral("grpMonitorType")),
           storedChoice({s.MonitorType1, s.MonitorType2, s.MonitorType3}));
}

void FrmOption::storeOther() {
    auto &s = p_.store.Other;
    const auto flag = [this](const QString &name) -> std::int16_t { return checked(name) ? 1 : 0; };
    s.LOG = flag(QStringLiteral("chkLOG"));
    s.Hyouzi = flag(QStringLiteral("CheckTRY"));
    s.TopDisp1 = flag(QStringLiteral("chkTopDisp"));
    s.TopDisp2 = flag(QStringLiteral("chkTopMonitor"));
    s.MonitorAutoSave = flag(QStringLiteral("chkMonitorAutoSave"));
    std::int32_t *points[] = {&s.MonitorPoint1, &s.MonitorPoint2, &s.MonitorPoint3,
                              &s.MonitorPoint4};
    for (int n = 0; n < 4; ++n)
        *points[n] = number<std::int32_t>(control<QLineEdit>(Indexed("txtMonitorPoint", n)));
    s.MonitorKakushi = flag(QStringLiteral("chkMonitorKakushi"));
    s.MonitorMaxNewSort = flag(QStringLiteral("chkMaxNewSort"));
    s.MonitorPoint = number<std::int16_t>(control<QLineEdit>(QStringLiteral("txtMonitorPointSu")));
    const auto *types = findChild<QButtonGroup *>(QStringLiteral("grpMonitorType"));
    s.MonitorType1 = optionValue(types, 0);
    s.MonitorType2 = optionValue(types, 1);
    s.MonitorType3 = optionValue(types, 2);
}

} // namespace tarvo::options
