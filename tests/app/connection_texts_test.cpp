#include "connection_texts.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tarvo {
namespace {

TEST(FormatIpTest, MostSignificantByteFirstWithoutLeadingZeros) {
    EXPECT_EQ(FormatIp(0xC0A80001), QStringLiteral("192.168.0.1"));
    EXPECT_EQ(FormatIp(0), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(FormatIp(0xFFFFFFFF), QStringLiteral("255.255.255.255"));
}

struct ModeCase {
    std::uint32_t field;
    QString text;
};

TEST(ModeTextTest, CodeIsPositionOfFirstOneInTheDecimalField) {
    const ModeCase cases[] = {
        {10, QStringLiteral("ISP・端末型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続")},
        {1, QStringLiteral("ISP・端末型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続")},
        {100, QStringLiteral("ISP・端末型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続")},
        {21, QStringLiteral("RASｸﾗｲｱﾝﾄIP接続")},
        {221, QStringLiteral("RASｻｰﾊﾞｰIP接続")},
        {2221, QStringLiteral("ISP・LAN型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続")},
        {22221, QStringLiteral("ISP・専用線IP接続")},
        {222221, QStringLiteral("専用線IP接続")},
        {2222221, QStringLiteral("未使用")},
        {222222221, QStringLiteral("LAN型ﾀﾞｲﾔﾙｱｯﾌﾟIP接続")},
        {0xFFFFFFFF, QStringLiteral("RASｸﾗｲｱﾝﾄIP接続")}, // read as a signed number: "-1"
        {5, QStringLiteral("-1")},
        {0, QStringLiteral("-1")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ModeText(ModeCode(c.field)), c.text) << c.field;
    EXPECT_EQ(ModeText(32), QStringLiteral("32"));
}

TEST(LineTypeTextTest, KnownTypesAndOthersInDecimal) {
    const std::pair<int, QString> cases[] = {
        {1, QStringLiteral("ｱﾅﾛｸﾞ回線(ﾄｰﾝ)")},
        {2, QStringLiteral("ｱﾅﾛｸﾞ回線(ﾊﾟﾙｽ)")},
        {3, QStringLiteral("3")},
        {4, QStringLiteral("ISDN回線")},
        {5, QStringLiteral("ISDN専用線")},
        {6, QStringLiteral("ｱﾅﾛｸﾞ専用線(ｵﾘｼﾞﾈｰﾄ)")},
        {7, QStringLiteral("ｱﾅﾛｸﾞ専用線(ｱﾝｻ)")},
        {0, QStringLiteral("0")},
    };
    for (const auto &[type, text] : cases)
        EXPECT_EQ(LineTypeText(type), text) << type;
}

TEST(LeadingNumberTest, HandEditedTextsCountByTheirLeadingDigits) {
    const std::pair<const char *, int> cases[] = {
        {"1", 1},
        {"3abc", 3},
        {"abc", 0},
        {"", 0},
        {" 12 ", 12},
        {"-1", -1},
        {"99999999999", INT_MAX},
    };
    for (const auto &[text, value] : cases)
        EXPECT_EQ(LeadingNumber(QString::fromLatin1(text)), value) << text;
}

TEST(DestinationNameTest, SelectedNameUpToNulAndNothingPastTheFourNames) {
    ConditionExRecord ex{};
    std::strcpy(ex.site_names[2], "Provider");
    ex.selected_site = 2;
    EXPECT_EQ(DestinationName(ex), QStringLiteral("Provider"));
    ex.selected_site = 4;
    EXPECT_EQ(DestinationName(ex), QString());
}

TEST(DestinationNameTest, ShiftJisNamesDecode) {
    ConditionExRecord ex{};
    // "接続" in Shift-JIS
    const char sjis[] = "\x90\xda\x91\xb1";
    std::memcpy(ex.site_names[0], sjis, 4);
    EXPECT_EQ(DestinationName(ex), QStringLiteral("接続"));
}

} // namespace
} // namespace tarvo
