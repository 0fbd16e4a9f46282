#pragma once

#include "core_state.h"
#include "option_ports.h"
#include "option_rules.h"
#include "router_library.h"
#include "settings.h"

#include <QDialog>
#include <QString>
#include <map>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace tarvo::options {

// "name(i)": the name of element i of a control array.
QString Indexed(const char *name, int i);

// The options dialog: five pages, one per settings section. Each page is stored on its own;
// controls are named as the settings they edit, so tests find them by name.
class FrmOption : public QDialog {
    Q_OBJECT
  public:
    struct Ports {
        settings::Settings &store;
        RouterLibrary &library;
        const CoreState &core;
        OptionHost &host;
        OptionPickers &pickers;
        MonitorGeometrySource &monitor;
        // The one extended condition the dialog reads dial entries into; a router that does not
        // answer leaves what an earlier call put there.
        ConditionExRecord &condition;
    };

    explicit FrmOption(Ports ports, QWidget *parent = nullptr);

    // Fills every page from the store and runs the enabling rules.
    void ShowOptions();
    // Stores the visible page and reads its section back, so that its effects apply at once.
    void ApplyOptionsPage();

    // The router list and the dial entries.
    void FillRouterGrid();
    void SplitAddressToLabels(const QString &ip, const QString &mask);
    void JoinLabelsToAddress();
    void RefreshDialEntries();

    // Control behaviour.
    void ApplyRasMode();
    void EnableCurrentPage();
    void CheckProgramEntry(int i);
    int CheckFtpEntries() const;
    void ShowOptionTips();
    // The clock correction's test reply.
    void showTimeTestReply(const QString &text);

    template <class T = QWidget> T *control(const QString &name) const {
        return findChild<T *>(name);
    }

  protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // Pages.
    QWidget *buildStandardPage();
    QWidget *buildConnectionStartPage();
    QWidget *buildWatchPage();
    QWidget *buildPopMunPage();
    QWidget *buildOtherPage();
    QWidget *buildGatewayFrame(QWidget *parent);

    // Bindings, page by page.
    void loadStandard();
    void loadConnectionStart();
    void loadWatch();
    void loadPopMun();
    void loadOther();
    void storeStandard();
    void storeConnectionStart();
    void storeWatch();
    void storePopMun();
    void storeOther();

    // Enabling rules, one per trigger box.
    void ruleAutoStart();
    void ruleEnd();
    void ruleStart();
    void ruleApiEnd();
    void ruleFtp();
    void ruleGotoIpPage();
    void ruleWatch();
    void ruleWatch2();
    void ruleAboutWatch();
    void ruleCorvastineWatch();
    void enable(std::initializer_list<QString> names, bool on);
    bool checked(const QString &name) const;

    void connectBehaviour();
    void installFilters();
    void openingDialRefresh();
    void gridClicked(int row);
    void portChosen();
    void pickProgram(int i);
    void pickColour(int i);
    void setSwatch(int i, std::uint32_t colour);
    std::uint32_t swatch(int i) const;
    int portNumber() const;

    Ports p_;
    QTabWidget *tabs_ = nullptr;
    QTableWidget *grid_ = nullptr;
    std::map<QObject *, FieldCheck> fieldChecks_;
    std::map<QObject *, int (*)(int)> keyFilters_;
    bool pageSwitched_ = false;
    bool closed_ = false;
};

} // namespace tarvo::options
