#include "ftp_address.h"
#include "ip_page.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// Every expected page is written out line by line, as the user's browser gets it.
const char *const kHead = "<!doctype html public \"-//w3c//dtd html 4.01 transitional//en\">\r\n"
                          "<html lang=\"ja\">\r\n"
                          "<head>\r\n"
                          "<title>ip</title>\r\n";

TEST(IpPage, PlainPageHasNineLines) {
    const QString page = BuildIpPage(QStringLiteral("&H00000000"), QStringLiteral("&H00FFFFFF"), 0,
                                     1, QStringLiteral("203.0.113.7"));
    const QString expected =
        QString::fromLatin1(kHead) + QStringLiteral("</head>\r\n"
                                                    "<body bgcolor=\"#000000\"text=\"#FFFFFF\">\r\n"
                                                    "203.0.113.7<br>\r\n"
                                                    "</body>\r\n"
                                                    "</html>\r\n");
    EXPECT_EQ(page, expected);
    EXPECT_EQ(page.count(QStringLiteral("\r\n")), 9);
    EXPECT_EQ(page.count(QLatin1Char('\n')), 9); // no bare line feeds
}

TEST(IpPage, LinkWithoutScript) {
    const QString page = BuildIpPage(QStringLiteral("&H00123456"), QStringLiteral("&H00FF8000"), 1,
                                     0, QStringLiteral("198.51.100.22"));
    const QString expected =
        QString::fromLatin1(kHead) +
        QStringLiteral("<style type=\"text/css\"><!--\r\n"
                       "a:link { color: #0080FF; font: 12pt; text-decoration: none; }\r\n"
                       "a:visited { color: #0080FF; font: 12pt; text-decoration: none; }\r\n"
                       "a:active { color: #0080FF; font: 12pt; text-decoration: underline; }\r\n"
                       "a:hover { color: #0080FF; font: 12pt; text-decoration: underline; }\r\n"
                       "--></style>\r\n"
                       "</head>\r\n"
                       "<body bgcolor=\"#563412\"text=\"#0080FF\">\r\n"
                       "<a href=\"http://198.51.100.22\">198.51.100.22</a><br>\r\n"
                       "</body>\r\n"
                       "</html>\r\n");
    EXPECT_EQ(page, expected);
}

TEST(IpPage, LinkWithScript) {
    // Decimal colours, as the options dialog writes them back: 255 is red, 16711680 blue.
    const QString page = BuildIpPage(QStringLiteral("255"), QStringLiteral("16711680"), 1, 1,
                                     QStringLiteral("10.0.0.1"));
    const QString expected =
        QString::fromLatin1(kHead) +
        QStringLiteral("<style type=\"text/css\"><!--\r\n"
                       "a:link { color: #0000FF; font: 12pt; text-decoration: none; }\r\n"
                       "a:visited { color: #0000FF; font: 12pt; text-decoration: none; }\r\n"
                       "a:active { color: #0000FF; font: 12pt; text-decoration: underline; }\r\n"
                       "a:hover { color: #0000FF; font: 12pt; text-decoration: underline; }\r\n"
                       "--></style>\r\n"
                       "</head>\r\n"
                       "<body bgcolor=\"#FF0000\"text=\"#0000FF\">\r\n"
                       "<!-- ** this is comment java script for moving url is follows ** -->\r\n"
                       "<!-- ** this is comment move to new url within 4 seconds ** -->\r\n"
                       "<!--noedit-->\r\n"
                       "<script language=\"javascript1.1\">\r\n"
                       "var new_url = \"http://10.0.0.1\";\r\n"
                       "setTimeout(\"location = new_url;\",4000);\r\n"
                       "</script>\r\n"
                       "<!--/noedit-->\r\n"
                       "<!-- ** this is comment script end ** -->\r\n"
                       "<!--selection-->\r\n"
                       "<!--/selection-->\r\n"
                       "<a href=\"http://10.0.0.1\">10.0.0.1</a><br>\r\n"
                       "</body>\r\n"
                       "</html>\r\n");
    EXPECT_EQ(page, expected);
}

TEST(IpPage, ColourConversion) {
    const struct {
        const char *setting;
        const char *page; // nullptr: unusable
    } cases[] = {
        {"&H00000000", "000000"}, {"&H00FFFFFF", "FFFFFF"}, {"&H00123456", "563412"},
        {"&h00abcdef", "EFCDAB"}, {"&H1", "010000"},        {"16777215", "FFFFFF"},
        {"1193046", "563412"},    {"0", "000000"},          {"&H01000000", nullptr},
        {"16777216", nullptr},    {"white", nullptr},       {"", nullptr},
        {"&H", nullptr},          {"-1", nullptr},          {"12 ", nullptr},
        {"&HFFFFFFFFF", nullptr},
    };
    for (const auto &c : cases) {
        const std::optional<QString> colour = PageColour(QString::fromLatin1(c.setting));
        if (c.page)
            EXPECT_EQ(colour, QString::fromLatin1(c.page)) << c.setting;
        else
            EXPECT_FALSE(colour) << c.setting;
    }
}

TEST(IpPage, UnusableColourGivesOnlyTheErrorText) {
    const QString ip = QStringLiteral("1.2.3.4");
    EXPECT_EQ(BuildIpPage(QStringLiteral("&H0"), QStringLiteral("blue"), 1, 1, ip),
              QStringLiteral("EDIT ERROR!!!"));
    EXPECT_EQ(BuildIpPage(QStringLiteral("&H01000000"), QStringLiteral("&H0"), 0, 0, ip),
              QStringLiteral("EDIT ERROR!!!"));
}

TEST(IpPage, RemotePathsAndAddresses) {
    const struct {
        const char *folder;
        const char *fileName;
        const char *host;
        const char *port;
        const char *url; // nullptr: refused
    } cases[] = {
        {"public_html", "IPData.html", "ftp.example.lab", "21",
         "ftp://ftp.example.lab:21/public_html/IPData.html"},
        {"/www/", "ip.html", "ftp.example.lab", "2121", "ftp://ftp.example.lab:2121//www/ip.html"},
        {"", "IPData.html", "192.0.2.1", "21", "ftp://192.0.2.1:21//IPData.html"},
        {"", "  ", "192.0.2.1", "21", "ftp://192.0.2.1:21//IPData.html"},
        {"a b/c#d", "x?.html", "h", "65535", "ftp://h:65535/a%20b/c%23d/x%3F.html"},
        // CP932 bytes: ホーム is 83 7A 81 5B 83 80, 表 is 95 5C.
        {"ホーム", "表.html", "h", "21", "ftp://h:21/%83z%81%5B%83%80/%95%5C.html"},
        {"pub", "IPData.html", "2001:db8::1", "21", "ftp://[2001:db8::1]:21/pub/IPData.html"},
        {"pub", "IPData.html", "", "21", nullptr},
        {"pub", "IPData.html", "user@evil", "21", nullptr},
        {"pub", "IPData.html", "h/x", "21", nullptr},
        {"pub", "IPData.html", "h", "0", nullptr},
        {"pub", "IPData.html", "h", "65536", nullptr},
        {"pub", "IPData.html", "h", "21a", nullptr},
        {"pub", "IPData.html", "h", "", nullptr},
        {"pub", "IPData.html", "h", "-21", nullptr},
        {"pub", "😀.html", "h", "21", nullptr},
    };
    for (const auto &c : cases) {
        const QString remote =
            RemoteFolder(QString::fromUtf8(c.folder)) + PageFileName(QString::fromUtf8(c.fileName));
        const std::optional<int> port = FtpPortNumber(QString::fromLatin1(c.port));
        const std::optional<std::string> url =
            port ? FtpUrl(QString::fromLatin1(c.host), *port, remote) : std::nullopt;
        if (c.url)
            EXPECT_EQ(url.value_or("(refused)"), c.url) << c.folder << " " << c.host;
        else
            EXPECT_FALSE(url) << c.folder << " " << c.host << " " << c.port;
    }
}

} // namespace
} // namespace tarvo
