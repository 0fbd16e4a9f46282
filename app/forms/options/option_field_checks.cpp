// Typing and leaving the text boxes: which characters each box takes, what it selects when it
// gets the focus, and how its text is corrected when it loses the focus.
#include "frm_option.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace tarvo::options {

namespace {
int discardAll(int) {
    return 0;
}

const FieldCheck kAtLeastOne{OwnStep::ZeroBecomesOne, QStringLiteral("###0")};

// Every box's correction on leaving it.
std::vector<std::pair<QString, FieldCheck>> fieldChecks() {
    std::vector<std::pair<QString, FieldCheck>> checks = {
        {QStringLiteral("txtCount"), kAtLeastOne},
        {QStringLiteral("txtWatchTime"), kAtLeastOne},
        {QStringLiteral("txtWatchTime2"), kAtLeastOne},
        {QStringLiteral("txtWatchTime3"), kAtLeastOne},
        {QStringLiteral("txtAboutWatch"), kAtLeastOne},
        {QStringLiteral("txtCorvastineWatch"), kAtLeastOne},
        {QStringLiteral("txtTimeZisa"), {OwnStep::ZeroBecomesOne, QStringLiteral("#0")}},
        {QStringLiteral("txtSTime"), {OwnStep::None, QStringLiteral("###0")}},
        {QStringLiteral("txtKStartTime"), {OwnStep::None, QStringLiteral("#0")}},
        {QStringLiteral("txtFTPPORT"), {OwnStep::None, QStringLiteral("##0")}},
        {QStringLiteral("txtStartTime"), {OwnStep::None, QStringLiteral("0000")}},
        {QStringLiteral("txtEndTime"), {OwnStep::None, QStringLiteral("0000")}},
        {QStringLiteral("txtMonitorPointSu"), {OwnStep::AtLeastEighty, QStringLiteral("###0")}},
    };
    for (int n = 0; n < 4; ++n)
        checks.emplace_back(Indexed("txtMonitorPoint", n),
                            FieldCheck{OwnStep::None, QStringLiteral("####0")});
    return checks;
}

std::vector<QString> digitBoxes() {
    std::vector<QString> names = {
        QStringLiteral("txtSTime"),           QStringLiteral("txtStartTime"),
        QStringLiteral("txtEndTime"),         QStringLiteral("txtKStartTime"),
        QStringLiteral("txtFTPPORT"),         QStringLiteral("txtWatchTime"),
        QStringLiteral("txtWatchTime2"),      QStringLiteral("txtWatchTime3"),
        QStringLiteral("txtTimeZisa"),        QStringLiteral("txtAboutWatch"),
        QStringLiteral("txtCorvastineWatch"), QStringLiteral("txtMonitorPointSu")};
    for (int n = 0; n < 4; ++n)
        names.push_back(Indexed("txtMonitorPoint", n));
    return names;
}
} // namespace

void FrmOption::installFilters() {
    for (const QString &name : digitBoxes())
        keyFilters_[control(name)] = &DigitsOnly;
    keyFilters_[control(QStringLiteral("txtCount"))] = &AlphanumericOnly;
    keyFilters_[control(QStringLiteral("txtFTPPassword"))] = &AlphanumericOnly;
    for (const char *name : {"cmdPort", "ComboIP", "txtTimeSaver"})
        keyFilters_[control(QString::fromLatin1(name))] = &discardAll;
    for (const auto &[name, check] : fieldChecks())
        fieldChecks_[control(name)] = check;

    // Filtered boxes take no composed input either, which would slip past the key filter.
    for (const auto &[object, filter] : keyFilters_) {
        object->installEventFilter(this);
        static_cast<QWidget *>(object)->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    std::vector<QString> selectOnFocus = {QStringLiteral("txtFTPHOST"),
                                          QStringLiteral("txtFTPName"), QStringLiteral("txtFTPll"),
                                          QStringLiteral("txtFTPFileName")};
    for (const QString &name : digitBoxes())
        selectOnFocus.push_back(name);
    selectOnFocus.push_back(QStringLiteral("txtCount"));
    selectOnFocus.push_back(QStringLiteral("txtFTPPassword"));
    for (int i = 0; i < 5; ++i) {
        selectOnFocus.push_back(Indexed("txtStartData", i));
        selectOnFocus.push_back(Indexed("txtOptionData", i));
        control(Indexed("txtStartData", i))->installEventFilter(this);
        control(Indexed("chkStartData", i))->installEventFilter(this);
    }
    for (const QString &name : selectOnFocus) {
        QWidget *w = control(name);
        w->setProperty("selectOnFocus", true);
        w->installEventFilter(this);
    }
    control(QStringLiteral("txtFTPFileName"))->installEventFilter(this);
}

bool FrmOption::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto filter = keyFilters_.find(watched);
        if (filter == keyFilters_.end()) break;
        const auto *key = static_cast<QKeyEvent *>(event);
        // The list of time servers changes only with the mouse.
        if (watched == control(QStringLiteral("ComboIP"))) return true;
        // Keys that type nothing (arrows, Delete, the focus keys) are not characters.
        const QString text = key->text();
        if (text.isEmpty()) break;
        for (const QChar c : text) {
            const int code = c.unicode();
            const bool isControl = code < 32 || code == 127;
            if (!isControl || code == 8 || code == 9 || code == 10 || code == 13)
                if (filter->second(code) == 0) return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (auto *edit = qobject_cast<QLineEdit *>(watched);
            edit != nullptr && edit->property("selectOnFocus").toBool()) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
        }
        break;
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window coming to the front is not leaving the field.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        const QString name = watched->objectName();
        if (const auto check = fieldChecks_.find(watched); check != fieldChecks_.end()) {
            auto *edit = static_cast<QLineEdit *>(watched);
            edit->setText(CheckField(check->second, edit->text()));
        } else if (name == QStringLiteral("txtFTPFileName")) {
            auto *edit = static_cast<QLineEdit *>(watched);
            edit->setText(CheckPageFileName(edit->text()));
        }
        for (int i = 0; i < 5; ++i)
            if (name == Indexed("txtStartData", i) || name == Indexed("chkStartData", i))
                CheckProgramEntry(i);
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tarvo::options
