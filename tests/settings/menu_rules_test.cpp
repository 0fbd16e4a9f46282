// Which menu entries the loaded settings show.
#include "menu_rules.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

namespace {

using namespace settings_test;

class StartMenuRules : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = (folder_.path() / "ftp-tool").string();
        writeBytes(program_, "#!/bin/sh\n");
        std::filesystem::create_directories(folder_.path() / "a-folder");
        keys_.Start = 1;
        keys_.StartDirData.fill((folder_.path() / "missing").string());
    }

    TempFolder folder_{"menu"};
    std::string program_;
    ConnectionStartKeys keys_;
};

TEST_F(StartMenuRules, OnlyAnExistingFileShowsItsEntry) {
    keys_.CStartDirData.fill(1);
    keys_.StartDirData[0] = program_;
    keys_.StartDirData[1] = (folder_.path() / "a-folder").string();
    keys_.StartDirData[3] = "";
    StartMenuView view = startMenuFor(keys_);
    EXPECT_EQ(view.programs[0], "ftp-tool");
    for (std::size_t i = 1; i < 5; ++i)
        EXPECT_FALSE(view.programs[i]) << "entry " << i + 1;
}

TEST_F(StartMenuRules, EntryNeedsEnabledOrFullListAndLaunchingOn) {
    keys_.StartDirData[0] = program_;
    const struct {
        std::int16_t enabled, fullList, start;
        bool shown;
    } cases[] = {
        {1, 0, 1, true},  {0, 1, 1, true},  {0, 0, 1, false},
        {1, 1, 0, false}, {2, 0, 1, false}, {-1, 0, 1, false},
    };
    for (const auto &c : cases) {
        keys_.CStartDirData[0] = c.enabled;
        keys_.StartMunDisp = c.fullList;
        keys_.Start = c.start;
        EXPECT_EQ(startMenuFor(keys_).programs[0].has_value(), c.shown)
            << c.enabled << " " << c.fullList << " " << c.start;
    }
}

TEST_F(StartMenuRules, StartAllAndEndAllEntries) {
    keys_.StartDirData[2] = program_;
    keys_.CStartDirData[2] = 1;
    const struct {
        std::int16_t goStart, goEnd, end;
        bool anyShown;
        bool startAll, endAll, separator;
    } cases[] = {
        {1, 0, 0, true, true, false, true},
        {0, 1, 1, true, false, true, true},
        {0, 1, 0, true, false, false, false}, // end-all needs the programs to be ended at all
        {1, 1, 1, true, true, true, true},
        {2, 0, 0, true, false, false, false}, // nonzero opens the rule, only 1 shows the entry
        {1, 1, 1, false, false, false, false},
        {0, 0, 1, true, false, false, false},
    };
    for (const auto &c : cases) {
        keys_.GoStart = c.goStart;
        keys_.GoEnd = c.goEnd;
        keys_.End = c.end;
        keys_.CStartDirData[2] = c.anyShown ? 1 : 0;
        StartMenuView view = startMenuFor(keys_);
        EXPECT_EQ(view.startAll, c.startAll) << c.goStart << c.goEnd << c.end << c.anyShown;
        EXPECT_EQ(view.endAll, c.endAll) << c.goStart << c.goEnd << c.end << c.anyShown;
        EXPECT_EQ(view.separator, c.separator) << c.goStart << c.goEnd << c.end << c.anyShown;
    }
}

TEST(PopupMenuRules, EntriesNeedOneSeparatorsNeedNonzero) {
    PopMunKeys keys;
    keys.Start = 1;
    keys.GetIP = 2;
    keys.LocalIPFTP = 1;
    keys.Help = -1;
    PopupMenuView view = popupMenusFor(keys);
    EXPECT_TRUE(view.start);
    EXPECT_FALSE(view.getIp);
    EXPECT_TRUE(view.separatorAboveGetIp);
    EXPECT_TRUE(view.localIpFtp);
    EXPECT_TRUE(view.separatorAboveGetLocalIp);
    EXPECT_FALSE(view.help);
    EXPECT_FALSE(view.about);
    EXPECT_TRUE(view.separatorAboveMonitor);
}

TEST(PopupMenuRules, IpMenuNeverEndsUpEmpty) {
    const struct {
        std::int16_t mGetIp, mLocal;
        bool getIp, local, separator;
    } cases[] = {
        {1, 0, true, false, false}, {0, 1, false, true, false},  {1, 1, true, true, false},
        {0, 0, false, false, true}, {2, 0, false, false, false}, // nonzero keeps the separator
                                                                 // hidden, 1 shows an entry
    };
    for (const auto &c : cases) {
        PopMunKeys keys;
        keys.MGetIP = c.mGetIp;
        keys.MLocalIPFTP = c.mLocal;
        PopupMenuView view = popupMenusFor(keys);
        EXPECT_EQ(view.ipMenuGetIp, c.getIp) << c.mGetIp << c.mLocal;
        EXPECT_EQ(view.ipMenuGetLocalIp, c.local) << c.mGetIp << c.mLocal;
        EXPECT_EQ(view.ipMenuSeparator, c.separator) << c.mGetIp << c.mLocal;
    }
}

} // namespace
