#include "core/album/AlbumWriter.h"
#include "core/crawl/PictureName.h"
#include "core/platform/Cp1251.h"
#include "core/platform/FileIo.h"
#include "core/platform/ProgramFolder.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using TestSupport::readAll;
using TestSupport::writeAll;

namespace {

const char* const DecorationNames[] = {"bg.gif", "bghead.gif", "head.gif"};

QByteArray crlfLines(std::initializer_list<const char*> lines)
{
    QByteArray bytes;
    for (const char* line : lines)
        bytes += QByteArray(line) + "\r\n";
    return bytes;
}

// The page as it must come out, written down line by line (Russian words as Windows-1251 bytes).
QByteArray expectedHeader()
{
    return crlfLines({
        "<html>",
        "<head>",
        "<title>\xC7\xE0\xE1\xE0\xE2\xED\xFB\xE9\xE5 \xEA\xE0\xF0\xF2\xE8\xED\xEA\xE8</title>",
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
        "</head>",
        "",
        "<body bgcolor=\"#FFFFFF\" text=\"#000000\" background=\"bg.gif\" bgproperties=\"fixed\">",
        "<table width=\"100%\">",
        "  <tr> ",
        "    <td background=\"bghead.gif\"> ",
        "      <div align=\"center\"><font face=\"Verdana, Arial, Helvetica, sans-serif\" "
        "size=\"3\"><b><font color=\"#000000\">\xE7\xE0\xE1\xE0\xE2\xED\xFB\xE9\xE5</font></b>"
        "</font>&nbsp;<a href=\"http://zolvane.com/\"><img src=\"head.gif\" width=\"201\" "
        "height=\"72\" border=\"0\"></a>&nbsp;<font face=\"Verdana, Arial, Helvetica, "
        "sans-serif\" size=\"3\"><b><font color=\"#000000\">\xEA\xE0\xF0\xF2\xE8\xED\xEA\xE8"
        "</font></b></font></div>",
        "    </td>",
        "  </tr>",
        "  <tr> ",
        "    <td bgcolor=\"#CCCCCC\"> ",
        "      <div align=\"center\"><font face=\"Courier New, Courier, mono\" size=\"2\" "
        "color=\"#666666\">\xE7\xE0\xEA\xE0\xF7\xE0\xED\xFB ",
        "        \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xEE\xE9 <a "
        "href=\"http://zolvane.com/soft/verezozavidozoz/\">Zolvane VerezOzavidozoz</a></font>"
        "</div>",
        "    </td>",
        "  </tr>",
        "  <tr>",
    });
}

QByteArray expectedRow(const QByteArray& name, const QByteArray& path)
{
    return crlfLines({"<tr>", "<td>", "<div align=\"center\"> ", "<p><br>"}) + "<img src=\"" +
           name + "\" border=\"1\"></p>\r\n" +
           "<font face=\"Verdana, Arial, Helvetica, sans-serif\"><b><a href=\"http://zolvane.com" +
           path + "\">\xEA\xE0\xEC\xE5\xED\xF2\xFB</a></font></b></font>\r\n" +
           crlfLines({"<hr width=\"80%\" size=\"1\">", "</div>", "</td>", "</tr>"});
}

QByteArray expectedFooter()
{
    return crlfLines({"", "</tr>", "  <tr> ", "    <td>", "      <div align=\"center\"> ",
                      "      </div>", "    </td>", "  </tr>", "</table>", "</body>", "</html>"});
}

// A program folder with the real decoration images in data/ and, when asked, a downloads/.
struct ScratchProgramFolder {
    QTemporaryDir dir;

    explicit ScratchProgramFolder(bool withDownloads = true)
    {
        QDir(dir.path()).mkdir(u"data"_s);
        if (withDownloads)
            QDir(dir.path()).mkdir(u"downloads"_s);
        for (const char* name : DecorationNames)
            writeAll(data(name), sourceImage(name));
    }

    static QByteArray sourceImage(const char* name)
    {
        return readAll(QStringLiteral(ZOLVANE_SOURCE_DIR "/data/") + QString::fromLatin1(name));
    }

    QString path() const { return dir.path(); }
    QString data(const char* name) const
    {
        return path() + u"/data/"_s + QString::fromLatin1(name);
    }
    QString downloads(const char* name) const
    {
        return path() + u"/downloads/"_s + QString::fromLatin1(name);
    }
    QString index() const { return downloads("index.htm"); }
    ProgramFolder programFolder() const { return ProgramFolder(path()); }
};

// Slot 0 stays empty, as the crawl leaves it.
void fill(QList<QByteArray>& paths, QList<QByteArray>& names, int slots, int used)
{
    paths = QList<QByteArray>(slots);
    names = QList<QByteArray>(slots);
    for (int i = 1; i <= used; ++i) {
        paths[i] = "/photo/page" + QByteArray::number(10000 + i) + ".html";
        names[i] = "foto" + QByteArray::number(i) + ".jpg";
    }
}

void clearWriteBits(const QString& path)
{
    QFile::setPermissions(path,
                          QFile::permissions(path) & ~(QFile::WriteOwner | QFile::WriteUser |
                                                       QFile::WriteGroup | QFile::WriteOther));
}

} // namespace

class TestAlbumWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyAlbum();
    void threeRows();
    void namesAndPathsFromTheSite_data();
    void namesAndPathsFromTheSite();
    void picturesNotSavedHaveNoRow();
    void browserFindsTheSavedFile_data();
    void browserFindsTheSavedFile();
    void replacesAnExistingAlbumWhole();
    void replacesDecorations();
    void noDownloadsFolder();
    void readOnlyAlbumStays();
    void missingDecorationStopsLaterCopies_data();
    void missingDecorationStopsLaterCopies();
    void moreThanAThousandPages();
    void countBeyondTheListsWritesNothing();
};

void TestAlbumWriter::emptyAlbum()
{
    ScratchProgramFolder folder;
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 0);
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 0, paths, names));
    const QByteArray page = readAll(folder.index());
    QCOMPARE(page, expectedHeader() + expectedFooter());
    QVERIFY(page.contains("  <tr>\r\n\r\n</tr>\r\n"));
    QVERIFY(page.endsWith("</html>\r\n"));
    for (const char* name : DecorationNames)
        QCOMPARE(readAll(folder.downloads(name)), ScratchProgramFolder::sourceImage(name));
}

void TestAlbumWriter::threeRows()
{
    ScratchProgramFolder folder;
    // Slot 2 holds a Russian name in the site's bytes; slot 4 is beyond the count.
    const QList<QByteArray> paths = {"", "/photo/page11234.html", "/photo/page19311.html",
                                     "/photo/page12345.html", "/x"};
    const QList<QByteArray> names = {"", "zakat.jpg", "\xCB\xCF\xD4\xDC.jpg", "kot.gif",
                                     "not.listed"};
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 3, paths, names));
    QCOMPARE(readAll(folder.index()),
             expectedHeader() + expectedRow("zakat.jpg", "/photo/page11234.html") +
                 expectedRow("\xCB\xCF\xD4\xDC.jpg", "/photo/page19311.html") +
                 expectedRow("kot.gif", "/photo/page12345.html") + expectedFooter());
}

void TestAlbumWriter::namesAndPathsFromTheSite_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("writtenName");
    QTest::addColumn<QByteArray>("writtenPath");
    QTest::newRow("quote ends the attribute")
        << QByteArray("a\" onerror=\"x.jpg") << QByteArray("/photo/page1.html\" onclick=\"y")
        << QByteArray("a&quot; onerror=&quot;x.jpg")
        << QByteArray("/photo/page1.html&quot; onclick=&quot;y");
    QTest::newRow("tags") << QByteArray("<script>.gif") << QByteArray("/photo/page2.html><b>")
                          << QByteArray("&lt;script&gt;.gif")
                          << QByteArray("/photo/page2.html&gt;&lt;b&gt;");
    QTest::newRow("ampersand starts an entity")
        << QByteArray("amp&quot;x.jpg") << QByteArray("/photo/page3.html?a=1&b='2'")
        << QByteArray("amp&amp;quot;x.jpg") << QByteArray("/photo/page3.html?a=1&amp;b='2'");
    // In the picture's address these would end the path or start an escape; the page's address
    // on the site is the site's own.
    QTest::newRow("hash, question mark, percent")
        << QByteArray("a#b?c%d.jpg") << QByteArray("/photo/page4.html#x?y%z")
        << QByteArray("a%23b%3Fc%25d.jpg") << QByteArray("/photo/page4.html#x?y%z");
    QTest::newRow("other bytes stay")
        << QByteArray("a'c \x01\x98\xFF.png") << QByteArray("/photo/page5.html")
        << QByteArray("a'c \x01\x98\xFF.png") << QByteArray("/photo/page5.html");
    // A browser drops blanks at either end of an address, and tabs and line breaks anywhere in
    // it, and reads a backslash as a slash.
    QTest::newRow("blanks at either end")
        << QByteArray("  a b.jpg ") << QByteArray("/photo/page6.html ")
        << QByteArray("%20%20a b.jpg%20") << QByteArray("/photo/page6.html%20");
    QTest::newRow("tab, line break, backslash")
        << QByteArray("a\tb\\c\n.jpg") << QByteArray("/photo/\\page\t7.html\r")
        << QByteArray("a%09b%5Cc%0A.jpg") << QByteArray("/photo/%5Cpage%097.html%0D");
    // Before any other mark, a colon after letters would make the name an address of its own.
    QTest::newRow("colon after letters")
        << QByteArray("http:x:y.jpg") << QByteArray("/photo/page8.html:9")
        << QByteArray("http%3Ax:y.jpg") << QByteArray("/photo/page8.html:9");
    QTest::newRow("colon after a digit stays")
        << QByteArray("1:x.jpg") << QByteArray("/photo/page9.html") << QByteArray("1:x.jpg")
        << QByteArray("/photo/page9.html");
}

void TestAlbumWriter::namesAndPathsFromTheSite()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, writtenName);
    QFETCH(QByteArray, writtenPath);
    ScratchProgramFolder folder;
    const QList<QByteArray> paths{"", path};
    const QList<QByteArray> names{"", name};
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 1, paths, names));
    QCOMPARE(readAll(folder.index()),
             expectedHeader() + expectedRow(writtenName, writtenPath) + expectedFooter());
}

void TestAlbumWriter::picturesNotSavedHaveNoRow()
{
    ScratchProgramFolder folder;
    const QList<QByteArray> paths{"", "/photo/page1.html", "/photo/page2.html",
                                  "/photo/page3.html"};
    const QList<QByteArray> names{"", "one.jpg", "", "three.jpg"};
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 3, paths, names));
    QCOMPARE(readAll(folder.index()), expectedHeader() + expectedRow(names[1], paths[1]) +
                                          expectedRow(names[3], paths[3]) + expectedFooter());
}

void TestAlbumWriter::browserFindsTheSavedFile_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QByteArray("kot.gif");
    QTest::newRow("entity") << QByteArray("amp&quot;x.jpg");
    QTest::newRow("hash") << QByteArray("a#b.jpg");
    QTest::newRow("question mark") << QByteArray("why?.png");
    QTest::newRow("percent") << QByteArray("100%25.jpg");
    QTest::newRow("blank and apostrophe") << QByteArray("it's me.jpg");
    QTest::newRow("Russian") << QByteArray("\xCF\xF0\xE8\xEA\xEE\xEB.png");
    QTest::newRow("colon") << QByteArray("http:x.jpg");
}

// What a browser does with the src attribute of a page read as windows-1251: the entities are
// undone, the text is a relative address, resolved against the album's own address.
void TestAlbumWriter::browserFindsTheSavedFile()
{
    QFETCH(QByteArray, name);
    QByteArray attribute = AlbumWriter::pictureAddress(name);
    attribute.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">");
    attribute.replace("&amp;", "&");
    const QString album = u"/home/user/zolvane/downloads/index.htm"_s;
    const QUrl resolved = QUrl::fromLocalFile(album).resolved(QUrl(Cp1251::toUnicode(attribute)));
    QCOMPARE(resolved.toLocalFile(),
             u"/home/user/zolvane/downloads/"_s + PictureName::diskName(name));
}

void TestAlbumWriter::replacesAnExistingAlbumWhole()
{
    ScratchProgramFolder folder;
    writeAll(folder.index(), QByteArray(100000, 'x'));
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 2);
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 2, paths, names));
    QCOMPARE(readAll(folder.index()), AlbumWriter::page(2, paths, names).value());
    QCOMPARE(readAll(folder.index()), expectedHeader() + expectedRow(names[1], paths[1]) +
                                          expectedRow(names[2], paths[2]) + expectedFooter());
}

// Written again as they are, the album and its decorations keep their files.
void TestAlbumWriter::replacesDecorations()
{
    ScratchProgramFolder folder;
    for (const char* name : DecorationNames)
        writeAll(folder.downloads(name), "old picture");
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 0, {}, {}));
    QList<std::optional<FileIo::Stamp>> stamps{FileIo::stamp(folder.index())};
    for (const char* name : DecorationNames) {
        QCOMPARE(readAll(folder.downloads(name)), ScratchProgramFolder::sourceImage(name));
        stamps << FileIo::stamp(folder.downloads(name));
    }
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 0, {}, {}));
    QList<std::optional<FileIo::Stamp>> again{FileIo::stamp(folder.index())};
    for (const char* name : DecorationNames)
        again << FileIo::stamp(folder.downloads(name));
    QCOMPARE(again, stamps);
}

void TestAlbumWriter::noDownloadsFolder()
{
    ScratchProgramFolder folder(false);
    QCOMPARE(AlbumWriter::write(folder.programFolder(), 0, {}, {}).reason(),
             FileIo::Reason::NoFolder);
    QVERIFY(!QFile::exists(folder.path() + u"/downloads"_s));
}

void TestAlbumWriter::readOnlyAlbumStays()
{
    ScratchProgramFolder folder;
    writeAll(folder.index(), "old album");
    clearWriteBits(folder.index());
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 1);
    QCOMPARE(AlbumWriter::write(folder.programFolder(), 1, paths, names).reason(),
             FileIo::Reason::ReadOnly);
    QCOMPARE(readAll(folder.index()), QByteArray("old album"));
    for (const char* name : DecorationNames)
        QVERIFY(!QFile::exists(folder.downloads(name)));
}

void TestAlbumWriter::missingDecorationStopsLaterCopies_data()
{
    QTest::addColumn<int>("missing");
    QTest::newRow("bg.gif") << 0;
    QTest::newRow("bghead.gif") << 1;
    QTest::newRow("head.gif") << 2;
}

void TestAlbumWriter::missingDecorationStopsLaterCopies()
{
    QFETCH(int, missing);
    ScratchProgramFolder folder;
    QVERIFY(QFile::remove(folder.data(DecorationNames[missing])));
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 1);
    // The page is written; it only lacks its look.
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 1, paths, names));
    QCOMPARE(readAll(folder.index()), AlbumWriter::page(1, paths, names).value());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(QFile::exists(folder.downloads(DecorationNames[i])), i < missing);
}

void TestAlbumWriter::moreThanAThousandPages()
{
    ScratchProgramFolder folder;
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 3000);
    QVERIFY(!AlbumWriter::write(folder.programFolder(), 3000, paths, names));
    const QByteArray page = readAll(folder.index());
    QCOMPARE(page.count("<tr>\r\n<td>\r\n"), 3000);
    QVERIFY(page.contains("<img src=\"foto1001.jpg\""));
    QVERIFY(page.contains("href=\"http://zolvane.com/photo/page13000.html\""));
    QVERIFY(page.endsWith(
        QByteArray(expectedRow("foto3000.jpg", "/photo/page13000.html") + expectedFooter())));
}

void TestAlbumWriter::countBeyondTheListsWritesNothing()
{
    ScratchProgramFolder folder;
    writeAll(folder.index(), "old album");
    QList<QByteArray> paths, names;
    fill(paths, names, 3001, 3000);
    QCOMPARE(AlbumWriter::write(folder.programFolder(), 3001, paths, names).reason(),
             FileIo::Reason::Incomplete);
    QCOMPARE(readAll(folder.index()), QByteArray("old album"));
    QVERIFY(!QFile::exists(folder.downloads("bg.gif")));
}

QTEST_GUILESS_MAIN(TestAlbumWriter)
#include "tst_AlbumWriter.moc"
