// Tarvo in-process, for lab tests of its windows.
//
// A GoogleTest that runs inside the lab (tools/lab/lab.sh, on the PC host) on a display
// (tools/tarvo/lab-display.sh gives it a private Xvfb) builds the whole program with LabProgram
// and drives it as a user would, through widgets found by objectName (`cmdIN`, `lblIp`,
// `MessageBox`, ...), never by screen position:
//
//   LabProgram tarvo("[Standard]\r\nIP=10.77.1.2\r\n");   // InitData.ini of a fresh folder
//   tarvo.wall.set(QTime(22, 59, 58));                     // the PC's clock, injected
//   ASSERT_TRUE(tarvo.start());                            // start-up up to the shown window
//   tarvo.click("cmdIN");
//   ASSERT_TRUE(tarvo.waitUntil([&] { return tarvo.caption() == "198.51.100.22"; }));
//   QMessageBox *box = tarvo.openBox(QStringLiteral("接続完了"));
//   tarvo.screenshot("connected");                         // into $SHOT_DIR when set
//
// The library is the real one beside the test binary; the routers are the emulator's (its
// control socket: `emulator()`). End actions go to `sessionEnd`, never to logind. The program
// quits the application when it ends, so run one program per test process (a ctest entry per
// test with --gtest_filter). The test's main() must point the system bus nowhere and must run
// without CAP_SYS_TIME (setpriv), so that no clock or session of the machine can be touched.
#pragma once

#include "control_client.h"
#include "ports.h"
#include "tarvo_program.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace tarvo::testing {

// The PC's clock as the test sets it; it runs on in real time from there.
class SettableWallClock : public WallClock {
  public:
    SettableWallClock() { set(QDateTime::currentDateTime()); }
    void set(const QDateTime &local) {
        base_ = local;
        since_.start();
    }
    // Today (as the clock reads now) at `time`, or `days` later.
    void set(const QTime &time, int days = 0) {
        set(QDateTime(localNow().date().addDays(days), time));
    }
    QDateTime localNow() const override { return base_.addMSecs(since_.elapsed()); }

  private:
    QDateTime base_;
    QElapsedTimer since_;
};

class RecordingSessionEnd : public SessionEndPort {
  public:
    std::vector<EndRequest> requests;
    void request(EndRequest what) override { requests.push_back(what); }
};

class LabProgram {
  public:
    // `ini` is written as InitData.ini (CP932 is ASCII for the keys and values tests use).
    explicit LabProgram(const QByteArray &ini) {
        QFile file(folder_.filePath(QStringLiteral("InitData.ini")));
        if (file.open(QIODevice::WriteOnly)) file.write(ini);
        file.close();
        program_ = std::make_unique<TarvoProgram>(
            TarvoProgram::Options{folder_.path(), &wall, &sessionEnd});
    }

    SettableWallClock wall;
    RecordingSessionEnd sessionEnd;

    bool start() { return program_->start(); }
    bool ended() const { return program_->ended(); }
    TarvoProgram &program() { return *program_; }
    QString folder() const { return folder_.path(); }

    static qs::emulator::ControlClient emulator() {
        return qs::emulator::ControlClient::fromEnvironment();
    }

    // Keeps the program running (timers, completions, boxes) until `done` holds.
    static bool waitUntil(const std::function<bool()> &done, int limitMs = 15000) {
        QElapsedTimer waited;
        waited.start();
        while (!done()) {
            if (waited.elapsed() > limitMs) return false;
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QTest::qWait(20);
        }
        return true;
    }
    static void settle(int ms) {
        waitUntil([] { return false; }, ms);
    }

    // A widget, action or timer of the program's windows by objectName.
    template <class T = QWidget> static T *find(const QString &name) {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == name)
                if (T *t = qobject_cast<T *>(top)) return t;
            if (T *t = top->findChild<T *>(name)) return t;
        }
        return nullptr;
    }
    static QWidget *mainWindow() { return find<QWidget>(QStringLiteral("frmMain")); }
    static QString caption() {
        QWidget *w = mainWindow();
        return w ? w->windowTitle() : QString();
    }
    // Clicks a button of the main window, as the mouse would; false when it is not there or
    // not enabled.
    static bool click(const char *name) {
        auto *button = find<QPushButton>(QString::fromLatin1(name));
        if (!button || !button->isVisible() || !button->isEnabled()) return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }

    // The program's open message boxes, oldest first.
    static std::vector<QMessageBox *> openBoxes() {
        std::vector<QMessageBox *> boxes;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(top))
                if (box->isVisible() && box->objectName() == QStringLiteral("MessageBox"))
                    boxes.push_back(box);
        return boxes;
    }
    // The open box whose text starts with `prefix`, or nullptr.
    static QMessageBox *openBox(const QString &prefix) {
        for (QMessageBox *box : openBoxes())
            if (box->text().startsWith(prefix)) return box;
        return nullptr;
    }
    static void clickOk(QMessageBox *box) {
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            QTest::mouseClick(ok, Qt::LeftButton);
    }

    // The whole screen as a person sees it, saved as $SHOT_DIR/NAME.png when SHOT_DIR is set.
    static void screenshot(const QString &name) {
        const QString dir = qEnvironmentVariable("SHOT_DIR");
        if (dir.isEmpty()) return;
        settle(300); // the last paint
        if (QScreen *screen = QApplication::primaryScreen())
            screen->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

    // The connection log's raw bytes (code page 932).
    QByteArray logBytes() const {
        QFile file(folder_.filePath(QStringLiteral("Tarvo.log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QTemporaryDir folder_;
    std::unique_ptr<TarvoProgram> program_;
};

} // namespace tarvo::testing
