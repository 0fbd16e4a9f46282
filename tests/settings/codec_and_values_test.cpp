// The small value rules: the stored password, colours, the settings path and Shift-JIS text.
#include "colour_value.h"
#include "cp932.h"
#include "password_codec.h"
#include "settings_path.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvo::settings;

TEST(PasswordCodec, ShuffleSwapsRoundedQuarterOfPositions) {
    // The number of swaps is L / 4 with halves to even: 2 -> 0, 6 -> 2, 10 -> 2, 14 -> 4.
    const struct {
        const char *text;
        const char *shuffled;
    } cases[] = {
        {"", ""},
        {"ab", "ab"},
        {"abcdef", "fdcbea"},
        {"0123456789", "9723456180"},
        {"abcdefghijklmn", "nljhefgdickbma"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ShuffleText(c.text), c.shuffled) << c.text;
}

TEST(PasswordCodec, ShuffleIsItsOwnInverseAtEveryLength) {
    std::string text;
    for (int length = 0; length < 200; ++length) {
        EXPECT_EQ(ShuffleText(ShuffleText(text)), text) << "length " << length;
        text += static_cast<char>('!' + length % 90);
    }
}

TEST(PasswordCodec, KnownStoredForms) {
    EXPECT_EQ(EncodePassword("abc"), "126366");
    EXPECT_EQ(DecodePassword("126366"), "abc");
    EXPECT_EQ(DecodePassword("  126366  "), "abc");
    EXPECT_EQ(EncodePassword(""), "");
    EXPECT_EQ(DecodePassword(""), "");
}

TEST(PasswordCodec, EveryCodeFrom0x10To0xFFComesBack) {
    std::string all;
    for (int code = 0x10; code <= 0xFF; ++code)
        all += static_cast<char>(code);
    for (std::size_t length = 1; length <= all.size(); length += 7) {
        std::string plain = all.substr(all.size() - length);
        EXPECT_EQ(DecodePassword(EncodePassword(plain)), plain) << "length " << length;
    }
}

TEST(PasswordCodec, NonHexPairsAreAnError) {
    EXPECT_FALSE(DecodePassword("12G366"));
    EXPECT_FALSE(DecodePassword("1 6366"));
    EXPECT_FALSE(DecodePassword("zz"));
}

TEST(ColourValue, BothStoredForms) {
    EXPECT_EQ(parseColour("&H00FFFFFF"), 0xFFFFFFu);
    EXPECT_EQ(parseColour("&h0000ff"), 0xFFu);
    EXPECT_EQ(parseColour("16777215"), 0xFFFFFFu);
    EXPECT_EQ(parseColour("0"), 0u);
    EXPECT_FALSE(parseColour(""));
    EXPECT_FALSE(parseColour("&H"));
    EXPECT_FALSE(parseColour("&HFFFFFFFFF"));
    EXPECT_FALSE(parseColour("12ab"));
    EXPECT_FALSE(parseColour("-1"));
}

TEST(SettingsPath, RootFolderGetsNoDoubledSeparator) {
    EXPECT_EQ(SettingsPath("/opt/tarvo"), "/opt/tarvo/InitData.ini");
    EXPECT_EQ(SettingsPath("/opt/tarvo/"), "/opt/tarvo/InitData.ini");
    EXPECT_EQ(SettingsPath("/"), "/InitData.ini");
    EXPECT_EQ(PathSep("/opt/tarvo"), "/");
    EXPECT_EQ(PathSep("/"), "");
}

TEST(Cp932, TextRoundTripsThroughUtf8) {
    const std::string sjis = "\xca\xde\xb0\xbc\xde\xae\xdd \x82\xa0\x95\\"; // ﾊﾞｰｼﾞｮﾝ あ表
    EXPECT_EQ(cp932::toUtf8(sjis), "ﾊﾞｰｼﾞｮﾝ あ表");
    EXPECT_EQ(cp932::fromUtf8("ﾊﾞｰｼﾞｮﾝ あ表"), sjis);
}

TEST(Cp932, BadBytesDecodeToTheWindowsDefaultCharacter) {
    EXPECT_EQ(cp932::toUtf8("a\x82"), "a・");   // lead byte at the end
    EXPECT_EQ(cp932::toUtf8("\x82\r"), "・\r"); // lead byte before a line end
    EXPECT_EQ(cp932::toUtf8("\xff"
                            "b"),
              "・b");
    EXPECT_EQ(cp932::fromUtf8("・"), "\x81\x45");
}

TEST(Cp932, UnencodableTextIsRefused) {
    EXPECT_FALSE(cp932::fromUtf8("\xF0\x9F\x98\x80")); // an emoji
    EXPECT_FALSE(cp932::fromUtf8("\xC3"));             // not UTF-8
}

TEST(Cp932, CutNeverSplitsACharacter) {
    EXPECT_EQ(cp932::cutToCharBoundary("a\x82\xa0", 2), "a");
    EXPECT_EQ(cp932::cutToCharBoundary("a\x82\xa0", 3), "a\x82\xa0");
    EXPECT_EQ(cp932::cutToCharBoundary("ab\x82", 2), "ab");
}

} // namespace
