#include "core_fakes.h"
#include "upload_picture.h"

#include <gtest/gtest.h>

namespace tarvo::testing {
namespace {

struct UploadPicture : ::testing::Test, CoreFixture {
    UploadPicture() {
        tray.present = true;
        core.state.DoneFlag = true;
        // The router the settings name, as discovery would have found it.
        core.state.RouterTable[0].address = 0xC0A80001;
        library.line = LINE_CONNECTED;
    }
};

TEST_F(UploadPicture, PollsTheLineWhenItIsFree) {
    services.upload = true;
    PollForUpload(core, true);
    EXPECT_EQ(library.conditionCalls, 1);
    EXPECT_EQ(tray.pictures.back(), TRAY_UPLOADING);
    services.upload = false;
    PollForUpload(core, false);
    EXPECT_EQ(library.conditionCalls, 2);
    EXPECT_EQ(tray.pictures.back(), TRAY_CONNECTED);
}

TEST_F(UploadPicture, InsideAnotherSequenceOnlyTheConnectedPictureChanges) {
    const struct {
        int before;
        bool busy;
        int after;
    } cases[] = {
        {TRAY_CONNECTED, true, TRAY_UPLOADING}, {TRAY_UPLOADING, false, TRAY_CONNECTED},
        {TRAY_REQUEST, true, TRAY_REQUEST},     {TRAY_IDLE, false, TRAY_IDLE},
        {TRAY_FAILED, true, TRAY_FAILED},
    };
    for (const auto &c : cases) {
        core.TraySetPicture(c.before);
        core.RunSequence([&] { PollForUpload(core, c.busy); });
        EXPECT_EQ(library.conditionCalls, 0);
        EXPECT_EQ(core.state.TrayPicture, c.after) << c.before;
    }
}

TEST_F(UploadPicture, NothingAfterShutdownBegan) {
    core.TraySetPicture(TRAY_CONNECTED);
    core.state.ExitInProgress = true;
    PollForUpload(core, true);
    EXPECT_EQ(core.state.TrayPicture, TRAY_CONNECTED);
    EXPECT_EQ(library.conditionCalls, 0);
}

} // namespace
} // namespace tarvo::testing
