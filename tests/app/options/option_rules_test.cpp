// The dialog's plain rules, as tables.
#include "option_rules.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace tarvo::options {
namespace {

TEST(OptionKeyFilters, PassOnlyTheirCharacters) {
    struct Case {
        int key;
        bool digits;
        bool alphanumeric;
    };
    const Case cases[] = {
        {8, true, true},     {9, true, true},        {10, true, true},    {13, true, true},
        {'0', true, true},   {'9', true, true},      {'a', false, true},  {'Z', false, true},
        {'-', false, false}, {'.', false, false},    {' ', false, false}, {'/', false, false},
        {':', false, false}, {'@', false, false},    {'[', false, false}, {'{', false, false},
        {22, false, false},  {0x30A2, false, false}, // Ctrl+V and a katakana
    };
    for (const Case &c : cases) {
        EXPECT_EQ(DigitsOnly(c.key), c.digits ? c.key : 0) << c.key;
        EXPECT_EQ(AlphanumericOnly(c.key), c.alphanumeric ? c.key : 0) << c.key;
    }
}

TEST(OptionFieldChecks, RequireNumberThenOwnStepThenPattern) {
    const FieldCheck atLeastOne{OwnStep::ZeroBecomesOne, QStringLiteral("###0")};
    const FieldCheck hours{OwnStep::ZeroBecomesOne, QStringLiteral("#0")};
    const FieldCheck clock{OwnStep::None, QStringLiteral("0000")};
    const FieldCheck points{OwnStep::AtLeastEighty, QStringLiteral("###0")};
    const FieldCheck geometry{OwnStep::None, QStringLiteral("####0")};
    const FieldCheck portOnly{OwnStep::None, QString()};
    struct Case {
        FieldCheck check;
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {atLeastOne, "", "1"},   // empty: "0", then "1"
        {atLeastOne, "00", "0"}, // not the text "0": only formatted
        {atLeastOne, "a", "1"},  // a letter in txtCount
        {atLeastOne, "0", "1"},
        {atLeastOne, "0042", "42"},
        {atLeastOne, "7.5", "8"}, // rounded to a whole number
        {atLeastOne, " 12 ", "12"},
        {hours, "0", "1"},
        {hours, "9", "9"},
        {clock, "730", "0730"},
        {clock, "2575", "2575"}, // any four digits are accepted
        {clock, "", "0000"},
        {clock, "5", "0005"},
        {points, "12", "80"},
        {points, "120", "120"},
        {points, "x", "80"},
        {geometry, "-300", "-300"},
        {geometry, "999999", "999999"}, // no upper bound but the box's length
        {portOnly, "1", "1"},
        {portOnly, "q", "0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckField(c.check, QString::fromLatin1(c.in)), QString::fromLatin1(c.out))
            << c.in << " with " << c.check.pattern.toStdString();
}

TEST(OptionFieldChecks, WhatCountsAsANumber) {
    for (const char *yes : {"0", "12", "+3", "-4", "1.5", ".5", " 7 "})
        EXPECT_TRUE(IsNumber(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", " ", "-", ".", "1e3", "1.2.3", "0x10", "12a", "１２"})
        EXPECT_FALSE(IsNumber(QString::fromUtf8(no))) << no;
}

TEST(OptionFieldChecks, BlankPageFileNameFallsBack) {
    EXPECT_EQ(CheckPageFileName(QString()), "IPData.html");
    EXPECT_EQ(CheckPageFileName(QStringLiteral("   ")), "IPData.html");
    EXPECT_EQ(CheckPageFileName(QStringLiteral(" ip.html")), " ip.html");
}

TEST(OptionRouterTexts, VersionCellsOfModelCodes) {
    struct Case {
        std::uint32_t code;
        const char *text;
    };
    const Case cases[] = {
        {0x22040, "2.2040"},   {0x23090, "2.3090"},        {0x300001, "30.0001"}, {0, "0.0000"},
        {0x3A0F1C, "3A.0F1C"}, {0xABCDEF01u, "ABCD.EF01"}, {0x10000, "1.0000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VersionText(c.code), QString::fromLatin1(c.text)) << std::hex << c.code;
}

TEST(OptionRouterTexts, AddressesSplitIntoFourLabelsWhateverTheirShape) {
    struct Case {
        const char *in;
        std::array<const char *, 4> labels;
        bool joinsBack;
    };
    const Case cases[] = {
        {"192.168.0.2", {"192", "168", "0", "2"}, true}, {"0.0.0.0", {"0", "0", "0", "0"}, true},
        {"10.0.0", {"10", "0", "0", ""}, false},         {"", {"", "", "", ""}, false},
        {"a.b.c.d.e", {"a", "b", "c", "d.e"}, true},     {"1..2.3", {"1", "", "2", "3"}, true},
    };
    for (const Case &c : cases) {
        const auto labels = SplitAddress(QString::fromLatin1(c.in));
        for (std::size_t n = 0; n < 4; ++n)
            EXPECT_EQ(labels[n], QString::fromLatin1(c.labels[n])) << c.in << " label " << n;
        EXPECT_EQ(JoinAddress(labels) == QString::fromLatin1(c.in), c.joinsBack) << c.in;
    }
}

TEST(OptionRouterTexts, DialEntryCaptionsWithoutARouter) {
    EXPECT_EQ(ChangedEntryCaption(0, 0), "ISP 1-1");
    EXPECT_EQ(ChangedEntryCaption(1, 2), "ISP 2-3");
    EXPECT_EQ(OpeningEntryCaption(0, 0), "ISP1-1");
    EXPECT_EQ(OpeningEntryCaption(0, 2), "ISP1-3");
    EXPECT_EQ(OpeningEntryCaption(0, 3), "RAS1-4");
    EXPECT_EQ(OpeningEntryCaption(1, 3), "RAS2-4");
}

TEST(OptionRouterTexts, FindRouterGivesTheFirstMatchOrZero) {
    RouterRecord table[4]{};
    table[0].address = 0x0A000001;
    table[1].address = 0x0A000002;
    table[3].address = 0x0A000002;
    EXPECT_EQ(FindRouter(table, 4, QStringLiteral("10.0.0.2")), 1);
    EXPECT_EQ(FindRouter(table, 4, QStringLiteral("10.0.0.9")), 0);
    EXPECT_EQ(FindRouter(table, 4, QStringLiteral("0.0.0.0")), 0);
}

TEST(OptionFtpCheck, RefusesOnlyWhenOnAndNameAndPasswordAndHostAreAllBlank) {
    struct Case {
        bool on;
        const char *name;
        const char *password;
        const char *host;
        int result;
    };
    const Case cases[] = {
        {true, "", "", "", -1}, {true, " ", "  ", "\t", -1}, {true, "", "", "h", 0},
        {true, "u", "", "", 0}, {true, "", "p", "", 0},      {false, "", "", "", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckFtpEntries(c.on, QString::fromLatin1(c.name),
                                  QString::fromLatin1(c.password), QString::fromLatin1(c.host)),
                  c.result)
            << c.on << " '" << c.name << "' '" << c.password << "' '" << c.host << "'";
}

} // namespace
} // namespace tarvo::options
