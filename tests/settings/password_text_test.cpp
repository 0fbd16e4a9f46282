// A stored FTP password whose bytes are not all Shift-JIS characters: it loads, saves and goes to
// the server byte for byte.
#include "password_text.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

namespace {

using namespace settings_test;

// Bytes with no character of their own are carried as U+F700 + byte (UTF-8 EF, 9C-9F, 80-BF);
// a two-byte code that shares its character with another code carries its first byte and lets
// the second stand alone.
TEST(PasswordText, BytesWithoutACharacterOfTheirOwnAreCarried) {
    const struct {
        const char *what;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"ASCII", "s3cret", "s3cret"},
        {"a two-byte character", "\x8A\xBF", "漢"},
        {"the katakana middle dot itself", "\x81\x45", "\xE3\x83\xBB"},
        {"0x80", "\x80", "\xEF\x9E\x80"},
        {"0xA0", "\xA0", "\xEF\x9E\xA0"},
        {"0xFD 0xFE 0xFF", "\xFD\xFE\xFF", "\xEF\x9F\xBD\xEF\x9F\xBE\xEF\x9F\xBF"},
        {"a lead byte at the end", "A\x81", "A\xEF\x9E\x81"},
        {"an unassigned two-byte code", "\x85\x40", "\xEF\x9E\x85@"},
        // ED 40 and FA 5C are both U+7E8A; converted back, the character is FA 5C.
        {"a second code of a character", "\xED\x40", "\xEF\x9F\xAD@"},
        {"a lead byte before a whole character", "\x85\x81\x40", "\xEF\x9E\x85\xE3\x80\x80"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(passwordText(c.bytes), c.text) << c.what;
        EXPECT_EQ(passwordBytes(c.text), c.bytes) << c.what;
    }
}

TEST(PasswordText, TextWithoutAShiftJisFormIsRefused) {
    EXPECT_EQ(passwordBytes("\xF0\x9F\x98\x80"), std::nullopt);             // U+1F600
    EXPECT_EQ(passwordBytes("\xEF\x9E\x80\xF0\x9F\x98\x80"), std::nullopt); // carried, then U+1F600
    EXPECT_EQ(passwordBytes("\xEF\x9E"), std::nullopt);                     // cut UTF-8
}

class StoredPassword : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return folder_.path() / "InitData.ini"; }

    TempFolder folder_{"password"};
    FakeEffects effects_;
    Settings settings_{folder_.path().string(), ProgramVersion{1, 2, 0}, effects_};
};

// Stored forms worked out by hand: the bytes' hex from last to first, then the first
// round(length / 4) characters swapped with those at length, length - 2, ...
TEST_F(StoredPassword, LoadThenSaveKeepsTheStoredFormWhole) {
    const struct {
        const char *what;
        const char *stored;
        const char *loaded; // UTF-8
    } cases[] = {
        {"80", "80", "\xEF\x9E\x80"},
        {"61 FD", "1D6F", "a\xEF\x9F\xBD"},
        {"A0 FF FE", "0FFEAF", "\xEF\x9E\xA0\xEF\x9F\xBF\xEF\x9F\xBE"},
        {"8A BF 80", "AFB088", "漢\xEF\x9E\x80"},
        {"41 81", "1148", "A\xEF\x9E\x81"},
        {"85 40", "5084", "\xEF\x9E\x85@"},
        {"ED 40", "D0E4", "\xEF\x9F\xAD@"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before =
            std::string("[ConnectionStart]\r\nFTPPassword=") + c.stored + "\r\n";
        writeBytes(file(), before);
        ASSERT_EQ(settings_.LoadConnectionStart(), 0);
        EXPECT_EQ(settings_.ConnectionStart.FTPPassword, c.loaded);
        ASSERT_EQ(settings_.SaveConnectionStart(), 0);
        const std::string after = readBytes(file());
        EXPECT_NE(after.find(std::string("\r\nFTPPassword=") + c.stored + "\r\n"),
                  std::string::npos)
            << after;
    }
}

} // namespace
