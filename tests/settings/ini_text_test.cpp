// Editing a file in memory: one key changes, every other byte stays.
#include "ini_text.h"

#include <gtest/gtest.h>

namespace {

using namespace tarvo::settings::ini;

TEST(IniText, WritesTouchOnlyTheirKey) {
    const struct {
        const char *name;
        const char *before;
        const char *section;
        const char *key;
        const char *value;
        const char *after;
    } cases[] = {
        {"replace keeps neighbours, comments and unknown sections",
         "; mine\r\n[x]\r\nq = 1 \r\n\r\n[a]\r\n k = old ; c\r\nz=1\r\n[y]\r\n", "A", "K", "new",
         "; mine\r\n[x]\r\nq = 1 \r\n\r\n[a]\r\nk=new\r\nz=1\r\n[y]\r\n"},
        {"new key goes before the blank lines that end its section",
         "[a]\r\nx=1\r\n\r\n\r\n[b]\r\n", "a", "y", "2", "[a]\r\nx=1\r\ny=2\r\n\r\n\r\n[b]\r\n"},
        {"new key after a trailing comment of its section", "[a]\r\nx=1\r\n; end of a\r\n[b]\r\n",
         "a", "y", "2", "[a]\r\nx=1\r\n; end of a\r\ny=2\r\n[b]\r\n"},
        {"new key into an empty section at the end without a line end", "[a]", "a", "y", "2",
         "[a]\r\ny=2\r\n"},
        {"new section after a last line without a line end", "[a]\nx=1", "b", "y", "2",
         "[a]\nx=1\r\n[b]\r\ny=2\r\n"},
        {"a line end of the replaced line is kept as it was", "[a]\nx=1\ny=2\n", "a", "x", "9",
         "[a]\nx=9\ny=2\n"},
        {"a header whose name ends in a two-byte character with ']' inside", "[\x81]]\r\nx=1\r\n",
         "\x81]", "x", "2", "[\x81]]\r\nx=2\r\n"},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(isWritable(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(setValue(c.before, c.section, c.key, c.value), c.after) << c.name;
    }
}

TEST(IniText, NamesFoldOnlySingleByteLetters) {
    // 0x83 0x41 and 0x83 0x61 are two different two-byte characters.
    EXPECT_EQ(findValue("[S]\r\n\x83\x41=1\r\n", "s", "\x83\x41"), "1");
    EXPECT_FALSE(findValue("[S]\r\n\x83\x41=1\r\n", "s", "\x83\x61"));
}

TEST(IniText, RefusesWhatWouldChangeTheFilesStructure) {
    const struct {
        const char *section;
        const char *key;
        std::string_view value;
    } refused[] = {
        {"a", "k", "one\r\n[Standard]\r\nIP=1.2.3.4"},
        {"a", "k", "cr\ronly"},
        {"a", "k", std::string_view("nul\0", 4)},
        {"a]b", "k", "v"},
        {"a", "k=j", "v"},
        {"a", "[k]", "v"},
        {"", "k", "v"},
        {"a", "  ", "v"},
    };
    for (const auto &r : refused)
        EXPECT_FALSE(isWritable(r.section, r.key, r.value)) << r.section << " " << r.key;
    EXPECT_TRUE(isWritable("a", "k", ""));
    EXPECT_TRUE(isWritable("a", "k", " [x] = y ; z "));
}

} // namespace
