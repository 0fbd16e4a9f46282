#include "command_line_split.h"
#include "linux_program_launcher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tarvo {
namespace {

const QString kProbe = QStringLiteral(TARVO_PROGRAM_PROBE);

TEST(SplitCommandLineTest, SplitsLikeAShellWithoutExpandingAnything) {
    using Words = std::vector<std::string>;
    const struct Case {
        const char *text;
        Words words;
    } cases[] = {
        {"", {}},
        {" \t ", {}},
        {"-a -b", {"-a", "-b"}},
        {"  -a\t\t-b  ", {"-a", "-b"}},
        {"'two words'", {"two words"}},
        {"\"two words\"", {"two words"}},
        {"\"\"", {""}},
        {"'' x", {"", "x"}},
        {"\"\" \"\"", {"", ""}},
        {"a\"\"b", {"ab"}},
        {"a'b'\"c\"d", {"abcd"}},
        {"plain\\ space", {"plain space"}},
        {"\"q\\\"uote\"", {"q\"uote"}},
        {"'a\\b'", {"a\\b"}},
        {"\"a\\b\"", {"a\\b"}},
        {"\"\\$HOME \\\\ \\`\"", {"$HOME \\ `"}},
        {"$HOME *.txt ~ a;b |c", {"$HOME", "*.txt", "~", "a;b", "|c"}},
        {"c:\\temp", {"c:temp"}},
        {"x\\\ny", {"xy"}},
        {"\"x\\\ny\"", {"xy"}},
        {"'it''s'", {"its"}},
        {"日本語 'ファイル 名'", {"日本語", "ファイル 名"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto words = SplitCommandLine(c.text);
        ASSERT_TRUE(words.has_value());
        EXPECT_EQ(*words, c.words);
    }
    for (const char *broken : {"'open", "\"open", "trail\\", "a \"b\\\""}) {
        SCOPED_TRACE(broken);
        EXPECT_FALSE(SplitCommandLine(broken).has_value());
    }
}

// Lets the event loop run until `done` holds or five seconds passed.
bool waitUntil(const std::function<bool()> &done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

QStringList lines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool alive(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

class ProgramLauncherTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString record(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString options(const char *mode, const QString &recordPath, const QString &more = {}) {
        return QStringLiteral("%1 '%2' %3").arg(QString::fromLatin1(mode), recordPath, more);
    }
    // Processes of the test's own that are not the launcher's: ended at the end.
    std::vector<pid_t> strays;
    void TearDown() override {
        for (pid_t pid : strays)
            ::kill(pid, SIGKILL);
    }
};

TEST_F(ProgramLauncherTest, StartsWithoutAShellInASessionOfItsOwnWithOurFolderAndEnvironment) {
    LinuxProgramLauncher launcher;
    const QString rec = record("report");
    const QString oldCwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    qputenv("TARVO_PROBE_ENV", "from Tarvo");
    const std::int32_t pid = launcher.launch(
        kProbe, options("report", rec, QStringLiteral("'two words' \"\" plain\\ space $HOME")));
    QDir::setCurrent(oldCwd);
    qunsetenv("TARVO_PROBE_ENV");
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitUntil([&] { return lines(rec).contains(QStringLiteral("fd3=closed")); }));
    EXPECT_EQ(lines(rec), (QStringList{
                              QStringLiteral("argc=4"),
                              QStringLiteral("arg=[two words]"),
                              QStringLiteral("arg=[]"),
                              QStringLiteral("arg=[plain space]"),
                              QStringLiteral("arg=[$HOME]"),
                              QStringLiteral("cwd=") + QDir(dir.path()).canonicalPath(),
                              QStringLiteral("env=from Tarvo"),
                              QStringLiteral("session_leader=1"),
                              QStringLiteral("stdin=/dev/null"),
                              QStringLiteral("stdout=/dev/null"),
                              QStringLiteral("stderr=/dev/null"),
                              QStringLiteral("fd3=closed"),
                          }));
}

TEST_F(ProgramLauncherTest, AStartThatCannotHappenGivesZeroAndNoChild) {
    LinuxProgramLauncher launcher;
    QFile text(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("#!/bin/sh\necho hi\n");
    text.close();
    const struct Case {
        const char *what;
        QString path;
        QString options;
    } cases[] = {
        {"missing file", dir.filePath(QStringLiteral("missing")), QString()},
        {"not executable", text.fileName(), QString()},
        {"a folder", dir.path(), QString()},
        {"empty path", QString(), QString()},
        {"options with an open quote", kProbe, QStringLiteral("report 'x")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(launcher.launch(c.path, c.options), 0);
    }
    EXPECT_EQ(launcher.children().size(), 0u);
    EXPECT_TRUE(launcher.isPlainFile(text.fileName()));
    EXPECT_FALSE(launcher.isPlainFile(dir.path()));
    EXPECT_FALSE(launcher.isPlainFile(dir.filePath(QStringLiteral("missing"))));
}

TEST_F(ProgramLauncherTest, AnEndedChildIsReapedAndNeverSignalled) {
    LinuxProgramLauncher launcher;
    const pid_t pid = launcher.launch(kProbe, options("report", record("r")));
    ASSERT_GT(pid, 0);
    // Reaped from the event loop, so no zombie is left behind.
    ASSERT_TRUE(waitUntil([&] { return launcher.children().size() == 0; }));
    siginfo_t info{};
    EXPECT_EQ(waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    const auto report = launcher.closePrograms({pid});
    EXPECT_TRUE(report.windowsAsked.empty());
    EXPECT_TRUE(report.terminated.empty());
}

TEST_F(ProgramLauncherTest, AProcessThatIsNotOurChildIsNeverTouched) {
    LinuxProgramLauncher launcher;
    // Another program with an id the slot might have held once.
    const pid_t stranger = fork();
    if (stranger == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(stranger, 0);
    strays.push_back(stranger);
    const auto report = launcher.closePrograms({stranger});
    EXPECT_TRUE(report.terminated.empty());
    QThread::msleep(200);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(stranger), &info, WEXITED | WNOHANG), 0);
    EXPECT_EQ(info.si_pid, 0) << "the stranger must still run";
}

TEST_F(ProgramLauncherTest, ChildrenOutliveTheLauncher) {
    pid_t pid = 0;
    const QString rec = record("quiet");
    {
        LinuxProgramLauncher launcher;
        pid = launcher.launch(kProbe, options("quiet", rec));
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(waitUntil([&] { return lines(rec).contains(QStringLiteral("ready")); }));
    }
    strays.push_back(pid);
    QThread::msleep(100);
    EXPECT_TRUE(alive(pid));
    EXPECT_FALSE(lines(rec).contains(QStringLiteral("SIGTERM")));
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A private X server for the close requests; nothing here needs the user's display.
class PrivateXServer {
  public:
    PrivateXServer() {
        server_.setProgram(QStringLiteral("Xvfb"));
        server_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                              QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("640x480x24")});
        server_.start();
        if (!server_.waitForStarted(5000)) return;
        QByteArray out;
        QDeadlineTimer deadline(10000);
        while (!out.contains('\n') && !deadline.hasExpired()) {
            server_.waitForReadyRead(200);
            out += server_.readAllStandardOutput();
        }
        if (!out.contains('\n')) return;
        display_ = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
        previous_ = qgetenv("DISPLAY");
        qputenv("DISPLAY", display_.toLatin1());
    }
    ~PrivateXServer() {
        if (!display_.isEmpty()) qputenv("DISPLAY", previous_);
        server_.terminate();
        server_.waitForFinished(5000);
    }
    bool running() const { return !display_.isEmpty(); }

  private:
    QProcess server_;
    QString display_;
    QByteArray previous_;
};

class ProgramClosingTest : public ProgramLauncherTest {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            GTEST_SKIP() << "Xvfb is not installed";
        x_ = std::make_unique<PrivateXServer>();
        if (!x_->running()) GTEST_SKIP() << "Xvfb did not start";
    }
    pid_t start(const char *mode, const QString &rec) {
        const pid_t pid = launcher.launch(kProbe, options(mode, rec));
        EXPECT_GT(pid, 0);
        EXPECT_TRUE(waitUntil([&] { return lines(rec).contains(QStringLiteral("ready")); }))
            << mode;
        strays.push_back(pid);
        return pid;
    }
    std::unique_ptr<PrivateXServer> x_;
    LinuxProgramLauncher launcher;
};

TEST_F(ProgramClosingTest, WindowsAreAskedToCloseWindowlessProgramsGetSigtermNobodyIsKilled) {
    const QString windowRec = record("window"), quietRec = record("quiet"),
                  stubbornRec = record("stubborn");
    const pid_t window = start("window", windowRec);
    const pid_t quiet = start("quiet", quietRec);
    const pid_t stubborn = start("stubborn", stubbornRec);

    const auto report = launcher.closePrograms({window, quiet, stubborn});
    EXPECT_EQ(report.windowsAsked, (std::set<pid_t>{window, stubborn}));
    EXPECT_EQ(report.terminated, (std::set<pid_t>{quiet}));

    ASSERT_TRUE(waitUntil([&] { return launcher.children().size() == 1; }));
    EXPECT_TRUE(lines(windowRec).contains(QStringLiteral("WM_DELETE_WINDOW")));
    EXPECT_FALSE(lines(windowRec).contains(QStringLiteral("SIGTERM")));
    EXPECT_TRUE(lines(quietRec).contains(QStringLiteral("SIGTERM")));
    ASSERT_TRUE(
        waitUntil([&] { return lines(stubbornRec).contains(QStringLiteral("WM_DELETE_WINDOW")); }));
    // The one that refuses keeps running, and is never sent more than the polite request.
    QThread::msleep(300);
    QCoreApplication::processEvents();
    EXPECT_TRUE(alive(stubborn));
    EXPECT_EQ(launcher.children().running({window, quiet, stubborn}), std::vector<pid_t>{stubborn});
    EXPECT_FALSE(lines(stubbornRec).contains(QStringLiteral("SIGTERM")));

    // Asked again, only the one still running hears of it.
    const auto again = launcher.closePrograms({window, quiet, stubborn});
    EXPECT_EQ(again.windowsAsked, (std::set<pid_t>{stubborn}));
    EXPECT_TRUE(again.terminated.empty());
}

TEST_F(ProgramClosingTest, WithoutAnXDisplayEveryProgramGetsSigterm) {
    const QString rec = record("window");
    const pid_t window = start("window", rec);
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const auto report = launcher.closePrograms({window});
    qputenv("DISPLAY", display);
    EXPECT_TRUE(report.windowsAsked.empty());
    EXPECT_EQ(report.terminated, (std::set<pid_t>{window}));
    ASSERT_TRUE(waitUntil([&] { return launcher.children().size() == 0; }));
    EXPECT_EQ(lines(rec).filter(QStringLiteral("SIGTERM")).size(), 1);
}

// A window manager of the test's own: it offers _NET_CLOSE_WINDOW and lists the probe's window.
TEST_F(ProgramClosingTest, AWindowWithoutTheDeleteProtocolIsClosedThroughTheWindowManager) {
    Display *d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureRedirectMask);
    const Atom closeWindow = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
    XChangeProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&closeWindow), 1);
    XSync(d, False);

    const QString rec = record("bare");
    const pid_t bare = start("bare", rec);
    const QStringList ids = lines(rec).filter(QStringLiteral("window="));
    ASSERT_EQ(ids.size(), 1);
    const unsigned long id = ids.front().mid(7).toULong();
    XChangeProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(&id), 1);
    XSync(d, False);

    const auto report = launcher.closePrograms({bare});
    EXPECT_EQ(report.windowsAsked, (std::set<pid_t>{bare}));
    EXPECT_TRUE(report.terminated.empty());

    bool asked = false;
    QDeadlineTimer deadline(5000);
    while (!asked && !deadline.hasExpired()) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == ClientMessage && ev.xclient.message_type == closeWindow &&
                ev.xclient.window == id)
                asked = true;
        }
        QThread::msleep(20);
    }
    EXPECT_TRUE(asked) << "no _NET_CLOSE_WINDOW for the window reached the window manager";
    EXPECT_FALSE(lines(rec).contains(QStringLiteral("SIGTERM")));
    XCloseDisplay(d);
}

} // namespace
} // namespace tarvo

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
