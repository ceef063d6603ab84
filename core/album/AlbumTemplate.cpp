#include "core/album/AlbumTemplate.h"

#include "core/platform/Constants.h"
#include "core/platform/Cp1251.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace AlbumTemplate {

namespace {

// Every line ends with CR LF, the last one too.
QByteArray lines(const QStringList& text)
{
    QByteArray bytes;
    for (const QString& line : text)
        bytes += Cp1251::fromUnicode(line) + "\r\n";
    return bytes;
}

} // namespace

QByteArray Site()
{
    return "http://" + Constants::SiteHost.toByteArray();
}

QByteArray RowStart()
{
    return lines({u"<tr>"_s, u"<td>"_s, u"<div align=\"center\"> "_s, u"<p><br>"_s}) +
           "<img src=\"";
}

QByteArray RowMiddle()
{
    return "\" border=\"1\"></p>\r\n"
           "<font face=\"Verdana, Arial, Helvetica, sans-serif\"><b><a href=\"";
}

QByteArray RowEnd()
{
    return "\">" + Cp1251::fromUnicode(u"каменты") + "</a></font></b></font>\r\n" +
           lines({u"<hr width=\"80%\" size=\"1\">"_s, u"</div>"_s, u"</td>"_s, u"</tr>"_s});
}

QByteArray Header()
{
    QByteArray header = lines({
        u"<html>"_s,
        u"<head>"_s,
        u"<title>Забавныйе картинки</title>"_s,
        u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"_s,
        u"</head>"_s,
        u""_s,
        u"<body bgcolor=\"#FFFFFF\" text=\"#000000\" background=\"bg.gif\" bgproperties=\"fixed\">"_s,
        u"<table width=\"100%\">"_s,
        u"  <tr> "_s,
        u"    <td background=\"bghead.gif\"> "_s,
        u"      <div align=\"center\"><font face=\"Verdana, Arial, Helvetica, sans-serif\" "
        "size=\"3\"><b><font color=\"#000000\">забавныйе</font></b></font>&nbsp;<a "
        "href=\"{site}/\"><img src=\"head.gif\" width=\"201\" height=\"72\" "
        "border=\"0\"></a>&nbsp;<font face=\"Verdana, Arial, Helvetica, sans-serif\" "
        "size=\"3\"><b><font color=\"#000000\">картинки</font></b></font></div>"_s,
        u"    </td>"_s,
        u"  </tr>"_s,
        u"  <tr> "_s,
        u"    <td bgcolor=\"#CCCCCC\"> "_s,
        u"      <div align=\"center\"><font face=\"Courier New, Courier, mono\" size=\"2\" "
        "color=\"#666666\">закачаны "_s,
        u"        программой <a href=\"{home}\">Zolvane VerezOzavidozoz</a></font></div>"_s,
        u"    </td>"_s,
        u"  </tr>"_s,
        u"  <tr>"_s,
    });
    header.replace("{site}", Site());
    header.replace("{home}", Constants::MakerPage.toByteArray());
    return header;
}

QByteArray Footer()
{
    // The cell between "<td>" and "</td>" holds an empty centred block.
    return lines({
        u""_s,
        u"</tr>"_s,
        u"  <tr> "_s,
        u"    <td>"_s,
        u"      <div align=\"center\"> "_s,
        u"      </div>"_s,
        u"    </td>"_s,
        u"  </tr>"_s,
        u"</table>"_s,
        u"</body>"_s,
        u"</html>"_s,
    });
}

} // namespace AlbumTemplate
