#include "desktop_help_viewer.h"
#include "dynamic_router_library.h"
#include "message_boxes.h"
#include "qt_event_pump.h"
#include "single_instance.h"
#include "user_runtime_folder.h"
#include "window_message_bridge.h"

#include <winmsg/winmsg.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tarvo {
namespace {

const std::string kBinDir = TARVO_TEST_BIN_DIR;

std::vector<QMessageBox *> visibleBoxes() {
    std::vector<QMessageBox *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) out.push_back(box);
    return out;
}

TEST(MessageBoxesTest, AShownBoxReturnsAtOnceStaysOpenAndIsNotRepeated) {
    MessageBoxes boxes;
    boxes.show(QStringLiteral("接続完了\r\nISDN回線"), QStringLiteral("接続情報"),
               MessageIcon::None);
    auto open = visibleBoxes();
    ASSERT_EQ(open.size(), 1u);
    EXPECT_FALSE(open[0]->isModal());
    EXPECT_EQ(open[0]->objectName(), QStringLiteral("MessageBox"));
    EXPECT_EQ(open[0]->text(), QStringLiteral("接続完了\nISDN回線"));

    // The same box again (a watch failing every few minutes) stays one box; another is another.
    boxes.show(QStringLiteral("接続完了\r\nISDN回線"), QStringLiteral("接続情報"),
               MessageIcon::None);
    EXPECT_EQ(visibleBoxes().size(), 1u);
    boxes.show(QStringLiteral("切断しました。"), QStringLiteral("接続情報"), MessageIcon::None);
    EXPECT_EQ(visibleBoxes().size(), 2u);

    // Closed with OK, it is gone; the same text later opens a new one.
    open[0]->button(QMessageBox::Ok)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleBoxes().size(), 1u);
    boxes.show(QStringLiteral("接続完了\r\nISDN回線"), QStringLiteral("接続情報"),
               MessageIcon::None);
    EXPECT_EQ(visibleBoxes().size(), 2u);
}

TEST(MessageBoxesTest, AWaitingBoxReturnsOnlyOnceClosed) {
    MessageBoxes boxes;
    bool openWhileWaiting = false;
    QTimer::singleShot(50, [&] {
        for (QMessageBox *box : visibleBoxes())
            if (box->text().startsWith(QStringLiteral("必要な"))) {
                openWhileWaiting = box->isModal();
                box->button(QMessageBox::Ok)->click();
            }
    });
    boxes.showAndWait(QStringLiteral("必要なＤＬＬ(libQuaystone.so)ファイルが見つかりません。"),
                      QStringLiteral("警告：Tarvo"), MessageIcon::Stop);
    EXPECT_TRUE(openWhileWaiting);
}

TEST(DynamicRouterLibraryTest, LoadsTheLibraryBesideTheProgramAtTheFirstCall) {
    DynamicRouterLibrary library(kBinDir, "libQuaystone.so");
    // The version call neither starts the library nor sends anything.
    EXPECT_EQ(library.GetDllVersion(), KZV_INTERFACE_VERSION);
}

TEST(DynamicRouterLibraryTest, AMissingFileOrAMissingExportIsReportedNotFatal) {
    QTemporaryDir empty;
    DynamicRouterLibrary missing(empty.path().toStdString(), "libQuaystone.so");
    EXPECT_THROW(missing.GetDllVersion(), LibraryUnavailable);
    EXPECT_THROW(missing.Cleanup(), LibraryUnavailable);
    EXPECT_EQ(missing.fileName(), "libQuaystone.so");

    // A real shared library without the exports.
    DynamicRouterLibrary foreign(kBinDir, "libwinmsg.so");
    EXPECT_THROW(foreign.GetDllVersion(), LibraryUnavailable);
}

TEST(WindowMessageBridgeTest, PostsFromAnyThreadReachTheHookOnTheOwnersThread) {
    WindowMessageBridge bridge;
    ASSERT_NE(bridge.handle(), 0u);
    std::vector<std::uint32_t> seen;
    bool onOwnerThread = true;
    bridge.hook(
        [&](std::uint32_t window, std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
            onOwnerThread &= QThread::currentThread() == bridge.thread();
            EXPECT_EQ(window, bridge.handle());
            EXPECT_EQ(wParam, -106);
            EXPECT_EQ(lParam, 3);
            seen.push_back(message);
            return 0;
        });
    std::thread worker([h = bridge.handle()] { winmsg_post(h, 1054, -106, 3); });
    worker.join();
    EXPECT_TRUE(seen.empty()); // handed over, not run on the posting thread
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, std::vector<std::uint32_t>{1054});
    EXPECT_TRUE(onOwnerThread);

    bridge.unhook();
    bridge.post(1064, -106, 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u);
}

TEST(QtEventPumpTest, AWaitSleepsUntilItsDeadlineInsteadOfSpinning) {
    QtEventPump pump;
    const std::int64_t deadline = pump.nowMs() + 200;
    int passes = 0;
    while (pump.nowMs() < deadline) {
        pump.waitForEvents(deadline);
        ++passes;
    }
    // One pass when the wake-up timer fires; a few more would be stray events, never a spin.
    EXPECT_LE(passes, 5);
}

TEST(QtEventPumpTest, APostedMessageEndsAWaitWithoutDeadline) {
    QtEventPump pump;
    WindowMessageBridge bridge;
    bool done = false;
    bridge.hook([&](std::uint32_t, std::uint32_t, std::int32_t, std::int32_t) {
        done = true;
        return 0;
    });
    std::thread worker([h = bridge.handle()] { winmsg_post(h, 1034, 0, 0); });
    while (!done)
        pump.waitForEvents(std::nullopt);
    worker.join();
    EXPECT_TRUE(done);
}

// Waits, handling events, until the first instance has seen `count` activations.
bool activatedWithin(const int &activations, int count) {
    QElapsedTimer waited;
    waited.start();
    while (activations < count && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return activations == count;
}

// The second start runs in its own thread, as it would in its own process, while the first
// answers on this thread's event loop.
bool startAgain(const QString &runtimeFolder) {
    std::atomic<bool> done{false};
    bool found = false;
    std::thread second([&] {
        found = SingleInstance(QStringLiteral("Tarvo-test"), runtimeFolder).activateRunning();
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.join();
    return found;
}

TEST(SingleInstanceTest, ASecondStartOfTheSameUserAsksTheFirstToShowItself) {
    QTemporaryDir runtime;
    SingleInstance first(QStringLiteral("Tarvo-test"), runtime.path());
    ASSERT_TRUE(first.listen());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });

    EXPECT_TRUE(startAgain(runtime.path()));
    EXPECT_TRUE(activatedWithin(activations, 1));
    QTemporaryDir empty;
    EXPECT_FALSE(startAgain(empty.path()));
}

// Two users: each has a runtime folder of its own, so each has exactly one instance and neither
// reaches, blocks or is blocked by the other's.
TEST(SingleInstanceTest, EachRuntimeFolderHasItsOwnInstance) {
    QTemporaryDir userA, userB;
    SingleInstance a(QStringLiteral("Tarvo-test"), userA.path());
    SingleInstance b(QStringLiteral("Tarvo-test"), userB.path());
    ASSERT_TRUE(a.listen());
    ASSERT_TRUE(b.listen()) << "the other user's instance does not hold the name";
    int seenA = 0, seenB = 0;
    QObject::connect(&a, &SingleInstance::activationRequested, [&] { ++seenA; });
    QObject::connect(&b, &SingleInstance::activationRequested, [&] { ++seenB; });
    EXPECT_TRUE(startAgain(userB.path()));
    EXPECT_TRUE(activatedWithin(seenB, 1));
    EXPECT_EQ(seenA, 0);
}

TEST(SingleInstanceTest, ASocketLeftByACrashedInstanceIsTakenOver) {
    QTemporaryDir runtime;
    {
        QFile stale(runtime.path() + QStringLiteral("/Tarvo-test"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(QStringLiteral("Tarvo-test"), runtime.path());
    EXPECT_TRUE(first.listen());
}

TEST(SingleInstanceTest, WithoutARuntimeFolderEveryStartRuns) {
    SingleInstance none(QStringLiteral("Tarvo-test"), QString());
    EXPECT_FALSE(none.activateRunning());
    EXPECT_FALSE(none.listen());
}

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, QString>> values) {
    QProcessEnvironment env;
    for (const auto &[name, value] : values)
        env.insert(QString::fromLatin1(name), value);
    return env;
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

TEST(UserRuntimeFolderTest, TheUsersOwnRuntimeFolderIsTakenAsItIs) {
    QTemporaryDir runtime; // 0700, ours
    EXPECT_EQ(UserRuntimeFolder(environment({{"XDG_RUNTIME_DIR", runtime.path()}})),
              runtime.path());
}

// A runtime folder others can enter, or one that is not ours, could be held by someone else:
// the user's own cache folder is used instead, made private.
TEST(UserRuntimeFolderTest, AFolderOthersCanReachGivesWayToAPrivateOneInTheUsersCache) {
    QTemporaryDir home, shared, foreign;
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
    const QString fallback = home.path() + QStringLiteral("/.cache/Tarvo");
    std::vector<QString> runtimes = {shared.path(), QString(), QStringLiteral("relative/run")};
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(foreign.path()).constData(), 65534, 65534), 0);
        runtimes.push_back(foreign.path());
    }
    for (const QString &runtime : runtimes) {
        EXPECT_EQ(
            UserRuntimeFolder(environment({{"XDG_RUNTIME_DIR", runtime}, {"HOME", home.path()}})),
            fallback)
            << runtime.toStdString();
        EXPECT_EQ(modeOf(fallback), 0700u);
    }
    EXPECT_EQ(UserRuntimeFolder(environment(
                  {{"XDG_CACHE_HOME", home.path() + QStringLiteral("/c")}, {"HOME", home.path()}})),
              home.path() + QStringLiteral("/c/Tarvo"));
    EXPECT_TRUE(UserRuntimeFolder(environment({})).isEmpty());
}

TEST(UserRuntimeFolderTest, AFallbackFolderOthersCanEnterIsNotUsed) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(home.path() + QStringLiteral("/.cache/Tarvo")));
    ::chmod(QFile::encodeName(home.path() + QStringLiteral("/.cache/Tarvo")).constData(), 0755);
    EXPECT_TRUE(UserRuntimeFolder(environment({{"HOME", home.path()}})).isEmpty());
}

// Stands in for the desktop's browser: takes the file URLs the viewer hands over.
class FakeBrowser : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void openUrl(const QUrl &url) { opened.append(url); }
};

bool hasLatinWord(const QString &text) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    return word.match(text).hasMatch();
}

TEST(DesktopHelpViewerTest, HandsTheManualToTheBrowserAndSaysInJapaneseWhenItIsMissing) {
    QTemporaryDir program;
    const QString manual = program.path() + QStringLiteral("/help/index.html");
    DesktopHelpViewer viewer;

    const std::optional<QString> missing = viewer.open(manual);
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->startsWith(QStringLiteral("ヘルプファイル("))) << missing->toStdString();
    EXPECT_FALSE(hasLatinWord(QString(*missing).remove(manual))) << missing->toStdString();

    ASSERT_TRUE(QDir().mkpath(program.path() + QStringLiteral("/help")));
    QFile page(manual);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    FakeBrowser browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "openUrl");
    EXPECT_FALSE(viewer.open(manual));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(browser.opened, QList<QUrl>{QUrl::fromLocalFile(manual)});
}

} // namespace
} // namespace tarvo

#include "platform_test.moc"
