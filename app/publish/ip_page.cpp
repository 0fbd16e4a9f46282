#include "ip_page.h"

#include "colour_value.h"

#include <QStringList>

namespace tarvo {

std::optional<QString> PageColour(const QString &setting) {
    const std::optional<std::uint32_t> value = settings::parseColour(setting.toStdString());
    if (!value || *value > 0xFFFFFFu) return std::nullopt;
    // BBGGRR with leading zeros, read back to front in pairs.
    const QString bgr = QStringLiteral("%1").arg(*value, 6, 16, QLatin1Char('0')).toUpper();
    return bgr.mid(4, 2) + bgr.mid(2, 2) + bgr.mid(0, 2);
}

QString BuildIpPage(const QString &backColour, const QString &fontColour, int gotoIpPage,
                    int autoGoto, const QString &ip) {
    const std::optional<QString> bg = PageColour(backColour);
    const std::optional<QString> fg = PageColour(fontColour);
    if (!bg || !fg) return kPageEditError;
    const bool link = gotoIpPage == 1;
    const bool script = link && autoGoto == 1;

    QStringList lines;
    lines << QStringLiteral(R"(<!doctype html public "-//w3c//dtd html 4.01 transitional//en">)")
          << QStringLiteral(R"(<html lang="ja">)") << QStringLiteral("<head>")
          << QStringLiteral("<title>ip</title>");
    if (link) {
        lines << QStringLiteral(R"(<style type="text/css"><!--)");
        const char *states[][2] = {
            {"link", "none"}, {"visited", "none"}, {"active", "underline"}, {"hover", "underline"}};
        for (const auto &s : states)
            lines << QStringLiteral("a:%1 { color: #%2; font: 12pt; text-decoration: %3; }")
                         .arg(QLatin1String(s[0]), *fg, QLatin1String(s[1]));
        lines << QStringLiteral("--></style>");
    }
    lines << QStringLiteral("</head>")
          << QStringLiteral(R"(<body bgcolor="#%1"text="#%2">)").arg(*bg, *fg);
    if (script) {
        lines << QStringLiteral(
                     "<!-- ** this is comment java script for moving url is follows ** -->")
              << QStringLiteral("<!-- ** this is comment move to new url within 4 seconds ** -->")
              << QStringLiteral("<!--noedit-->")
              << QStringLiteral(R"(<script language="javascript1.1">)")
              << QStringLiteral(R"(var new_url = "http://%1";)").arg(ip)
              << QStringLiteral(R"(setTimeout("location = new_url;",4000);)")
              << QStringLiteral("</script>") << QStringLiteral("<!--/noedit-->")
              << QStringLiteral("<!-- ** this is comment script end ** -->")
              << QStringLiteral("<!--selection-->") << QStringLiteral("<!--/selection-->");
    }
    if (link)
        lines << QStringLiteral(R"(<a href="http://%1">%1</a><br>)").arg(ip);
    else
        lines << ip + QStringLiteral("<br>");
    lines << QStringLiteral("</body>") << QStringLiteral("</html>");

    QString page;
    for (const QString &line : lines)
        page += line + QStringLiteral("\r\n");
    return page;
}

QString PageFileName(const QString &setting) {
    return setting.trimmed().isEmpty() ? QStringLiteral("IPData.html") : setting;
}

QString RemoteFolder(const QString &setting) {
    if (setting.endsWith(QLatin1Char('/'))) return setting;
    return setting + QLatin1Char('/');
}

} // namespace tarvo
