#include "dynamic_router_library.h"
#include "qt_event_pump.h"
#include "single_instance.h"
#include "window_message_bridge.h"

#include <winmsg/winmsg.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace tarvo {
namespace {

const std::string kBinDir = TARVO_TEST_BIN_DIR;

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

TEST(SingleInstanceTest, ASecondStartAsksTheFirstToShowItself) {
    const QString name = QStringLiteral("tarvo-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    ASSERT_TRUE(first.listen());
    int activations = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { ++activations; });

    // The second start runs in its own thread, as it would in its own process.
    bool found = false;
    std::thread second([&] {
        SingleInstance other(name);
        found = other.activateRunning();
    });
    QElapsedTimer waited;
    waited.start();
    while (activations == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    second.join();
    EXPECT_TRUE(found);
    EXPECT_EQ(activations, 1);

    SingleInstance stranger(name + QStringLiteral("-none"));
    EXPECT_FALSE(stranger.activateRunning());
}

} // namespace
} // namespace tarvo
