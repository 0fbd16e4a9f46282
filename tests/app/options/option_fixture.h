// The options dialog on a real settings file in a private folder, with the router library, the
// program around it and the pickers faked.
#pragma once

#include "option_dialog_opener.h"
#include "qstring_printer.h"
#include "settings_fakes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

namespace tarvo::options::testing {

// Routers that answer at once with the dial entries set for their address.
class FakeRouters : public RouterLibrary {
  public:
    struct Call {
        std::uint32_t address;
        std::int32_t port;
    };
    std::map<std::uint32_t, ConditionExRecord> entries;
    std::vector<Call> exCalls;

    std::string fileName() const override { return "libQuaystone.so"; }
    std::int32_t GetDllVersion() override { return KZV_INTERFACE_VERSION; }
    std::int32_t Find(const NotifyTarget &, std::int32_t) override { return 0; }
    std::int32_t GetInformation(RouterRecord *, std::int32_t *) override { return 0; }
    std::int32_t Connect(const NotifyTarget &, const RouterRecord &, std::int32_t) override {
        return 0;
    }
    std::int32_t Disconnect(const NotifyTarget &, const RouterRecord &, std::int32_t) override {
        return 0;
    }
    std::int32_t GetCondition(RouterRecord &, std::int32_t) override { return LINE_IDLE; }
    std::int32_t ChangeSite(const RouterRecord &, std::int32_t, std::int32_t) override { return 0; }
    std::int32_t GetConditionEx(const RouterRecord &r, ConditionExRecord &ex,
                                std::int32_t port) override {
        exCalls.push_back({r.address, port});
        // A router without entries here does not answer: the record stays as it was.
        if (const auto e = entries.find(r.address); e != entries.end()) ex = e->second;
        return LINE_IDLE;
    }
    std::int32_t ClearCounter(const RouterRecord &, std::int32_t) override { return 0; }
    std::int32_t Cleanup() override { return 0; }
};

inline ConditionExRecord DialEntries(std::initializer_list<const char *> names,
                                     std::array<std::uint16_t, 4> registered, int selected) {
    ConditionExRecord ex{};
    int n = 0;
    for (const char *name : names)
        std::strncpy(ex.site_names[n++], name, sizeof ex.site_names[0] - 1);
    for (std::size_t i = 0; i < 4; ++i)
        ex.site_registered[i] = registered[i];
    ex.selected_site = static_cast<std::uint16_t>(selected);
    return ex;
}

class FakeHost : public OptionHost {
  public:
    QString folder;
    std::vector<std::pair<QString, QString>> warnings;
    int lookUps = 0;
    int closings = 0;
    std::vector<int> timeTests;
    QString programFolder() const override { return folder; }
    QIcon mainWindowIcon() const override { return {}; }
    void showWarning(const QString &text, const QString &title) override {
        warnings.emplace_back(text, title);
    }
    // Runs while the dialog is being made, as pending events would.
    std::function<void()> duringLookUp;
    void lookUpSelectedRouter() override {
        ++lookUps;
        if (duringLookUp) duringLookUp();
    }
    void dialogClosed() override { ++closings; }
    void startTimeTest(int index) override { timeTests.push_back(index); }
};

// Pickers that stay open for a while, letting timers and events run, and then answer.
class FakePickers : public OptionPickers {
  public:
    std::optional<QString> program;
    std::optional<QColor> colour;
    QString programFolderAsked;
    QColor colourShown;
    int openMs = 50;

    std::optional<QString> pickProgram(QWidget *, const QString &folder) override {
        programFolderAsked = folder;
        stayOpen();
        return program;
    }
    std::optional<QColor> pickColour(QWidget *, const QColor &current) override {
        colourShown = current;
        stayOpen();
        return colour;
    }

  private:
    void stayOpen() const {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < openMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

class FakeMonitor : public MonitorGeometrySource {
  public:
    std::optional<settings::MonitorGeometry> geometry;
    std::optional<settings::MonitorGeometry> currentGeometry() const override { return geometry; }
};

inline RouterRecord Router(std::uint32_t address, std::uint32_t mask, const char *name,
                           std::uint32_t model) {
    RouterRecord r{};
    r.address = address;
    r.subnet_mask = mask;
    std::strncpy(r.name, name, sizeof r.name - 1);
    r.model_code = model;
    return r;
}

class OptionDialog : public ::testing::Test {
  protected:
    OptionDialog() { host.folder = QString::fromStdString(folder.path().string()); }
    ~OptionDialog() override {
        if (opener.dialog() != nullptr) opener.dialog()->close();
        flush();
    }

    static void flush() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    std::filesystem::path file() const { return folder.path() / "InitData.ini"; }
    void writeFile(std::string_view bytes) { settings_test::writeBytes(file(), bytes); }
    std::string fileBytes() const { return settings_test::readBytes(file()); }
    // One section of the file, header included, up to the next section.
    std::string section(const std::string &name) const {
        const std::string bytes = fileBytes();
        const std::size_t at = bytes.find("[" + name + "]\r\n");
        if (at == std::string::npos) return {};
        const std::size_t end = bytes.find("\r\n[", at);
        return bytes.substr(at, end == std::string::npos ? std::string::npos : end + 2 - at);
    }
    void loadAll() {
        store.LoadStandard();
        store.LoadConnectionStart();
        store.LoadWatch();
        store.LoadPopMun();
        store.LoadOther();
    }
    void addRouter(const RouterRecord &r) {
        core.RouterTable[static_cast<std::size_t>(core.RouterCount++)] = r;
    }

    FrmOption &open() {
        opener.ShowOptions();
        return *opener.dialog();
    }
    FrmOption &dialog() const { return *opener.dialog(); }
    template <class T = QWidget> T *w(const QString &name) const {
        T *found = opener.dialog()->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QLineEdit *edit(const QString &name) const { return w<QLineEdit>(name); }
    QCheckBox *check(const QString &name) const { return w<QCheckBox>(name); }
    QRadioButton *option(const QString &name) const { return w<QRadioButton>(name); }
    void showPage(int n) const { w<QTabWidget>(QStringLiteral("SSTab"))->setCurrentIndex(n); }
    void press(const char *button) const {
        w<QAbstractButton>(QString::fromLatin1(button))->click();
        flush();
    }
    // Whether the user can reach the control: its own state and every frame around it.
    bool usable(const QString &name) const { return w(name)->isEnabledTo(&dialog()); }

    settings_test::TempFolder folder{"options"};
    settings_test::FakeEffects effects;
    settings::Settings store{folder.path().string(), settings::ProgramVersion{1, 2, 3}, effects};
    FakeRouters library;
    CoreState core;
    FakeHost host;
    FakePickers pickers;
    FakeMonitor monitor;
    OptionDialogOpener opener{
        OptionDialogOpener::Ports{store, library, core, host, pickers, monitor}};
};

inline const std::string kVer = "Ver=\xca\xde\xb0\xbc\xde\xae\xdd 1.2.3\r\n";

} // namespace tarvo::options::testing
