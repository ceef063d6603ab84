// Whole download runs: the download session (the crawl driver with the real engine) against the
// demo site.
#include "DemoSiteThread.h"
#include "core/crawl/DownloadSession.h"
#include "core/crawl/PictureName.h"
#include "core/net/ResponseCache.h"
#include "core/platform/FileIo.h"
#include "core/platform/FolderLock.h"
#include "core/platform/ProgramFolder.h"
#include "support/RecordingCrawlHost.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString Done = u"Фсе. Можно фтыкать."_s;
const QString SwitchedOff = u"Абламался"_s;

// The album's row of one picture, as the album writer writes it.
QByteArray albumRow(const QByteArray& name, const QByteArray& path)
{
    return "<tr>\r\n<td>\r\n<div align=\"center\"> \r\n<p><br>\r\n<img src=\"" + name +
           "\" border=\"1\"></p>\r\n<font face=\"Verdana, Arial, Helvetica, sans-serif\"><b><a "
           "href=\"http://zolvane.com" +
           path +
           "\">\xEA\xE0\xEC\xE5\xED\xF2\xFB</a></font></b></font>\r\n<hr width=\"80%\" "
           "size=\"1\">\r\n</div>\r\n</td>\r\n</tr>\r\n";
}

// One program folder, window and session, pointed at a demo site through its proxy form.
struct Program {
    QTemporaryDir folder{ScratchFolder::templatePath()};
    RecordingCrawlHost host;
    ProgramFolder programFolder{folder.path()};
    DownloadSession session{host, programFolder};

    explicit Program(const DemoSiteThread& site)
    {
        host.settings.proxyOn = true;
        host.settings.proxyName = u"127.0.0.1"_s;
        host.settings.proxyPort = QString::number(site.port());
        deployData();
    }

    void deployData()
    {
        const QString data = folder.path() + u"/data"_s;
        QDir().mkpath(data);
        for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s})
            QFile::copy(QStringLiteral(ZOLVANE_BIN_DIR) + u"/data/"_s + name, data + u'/' + name);
    }

    QString downloads() const { return folder.path() + u"/downloads"_s; }
    QString album() const { return downloads() + u"/index.htm"_s; }

    void run(int pages)
    {
        host.settings.pageCount = QString::number(pages);
        session.Down_Click();
    }

    // Clicks `Down` once the status shows `text` and the transfer after it has begun waiting.
    void clickDuring(const QString& text)
    {
        host.onStat = [this, text](const QString& shown) {
            if (shown == text)
                QTimer::singleShot(20, &session, &DownloadSession::Down_Click);
        };
    }
};

// The file a picture of the site is saved under.
QString savedAs(const QString& downloads, const QByteArray& siteName)
{
    return downloads + u'/' + PictureName::diskName(PictureName::safeName(siteName));
}

} // namespace

class TestCrawlRun : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteThread> m_site;
    // Pages whose picture a run saves under another name than the site's, as the album lists it.
    QHash<int, QByteArray> m_renamed;

    const SiteContent& content() const { return m_site->content(); }

    // The demo site's page 6 shows another picture under page 1's name.
    static QHash<int, QByteArray> demoSiteRenames() { return {{6, "zakat (2).jpg"}}; }

    QByteArray listedName(int page) const
    {
        return m_renamed.value(page, content().picture(page).name);
    }

    QByteArray albumRows(int from, int to, const QList<int>& unlisted = {}) const
    {
        QByteArray rows;
        for (int i = from; i <= to; ++i) {
            if (!unlisted.contains(i))
                rows += albumRow(listedName(i), content().listingPath(i));
        }
        return rows;
    }

    // The album holds exactly the rows of pages 1..count but the unlisted ones, in order.
    void verifyAlbum(const Program& program, int count, const QList<int>& unlisted = {}) const
    {
        const QByteArray album = TestSupport::readAll(program.album());
        QVERIFY2(!album.isEmpty(), "no album");
        const QByteArray rows = albumRows(1, count, unlisted);
        QVERIFY(album.contains(QByteArray("  <tr>\r\n" + rows + "\r\n</tr>\r\n")));
        QCOMPARE(album.count("<tr>\r\n<td>\r\n"), count - unlisted.size());
        QVERIFY(album.startsWith("<html>\r\n<head>\r\n"));
        QVERIFY(album.endsWith("</table>\r\n</body>\r\n</html>\r\n"));
        for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s}) {
            QCOMPARE(TestSupport::readAll(program.downloads() + u'/' + name),
                     TestSupport::readAll(program.folder.path() + u"/data/"_s + name));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_site = std::make_unique<DemoSiteThread>();
        m_renamed = demoSiteRenames();
    }
    void cleanup() { m_site.reset(); }

    void onePage()
    {
        Program program(*m_site);
        program.run(1);

        const QStringList stats = {u"Грузиццo главная..."_s, u"Грузиццo страница 1..."_s,
                                   u"Грузиццо картинка 1..."_s, u"Создание альбома..."_s, Done};
        QCOMPARE(program.host.stats, stats);
        const DemoSiteStats served = m_site->stats();
        QCOMPARE(served.frontRequests, 1);
        QCOMPARE(served.listingRequests, 1);
        QCOMPARE(served.pictureRequests, 1);
        const SiteContent::Picture picture = content().picture(1);
        const QString file = savedAs(program.downloads(), picture.name);
        QCOMPARE(TestSupport::readAll(file), content().pictureBytes(1));
        QCOMPARE(program.host.previews, QStringList{file});
        QCOMPARE(program.host.traffic, program.session.engine().TrafficCount());
        verifyAlbum(program, 1);
        QCOMPARE(program.host.failureMessages, 0);
    }

    void tenPages()
    {
        Program program(*m_site);
        program.run(10);
        QCOMPARE(program.host.stats.last(), Done);
        // The run ended with every listing page and picture in the cache.
        const QByteArray database =
            TestSupport::readAll(program.programFolder.cache() + u"/!Cashe.dat"_s);
        QCOMPARE(ResponseCache::filesIn(database), qint16(20));

        // Each page's picture, byte for byte, in a file of its own: page 6 shows another picture
        // under page 1's name.
        QCOMPARE(content().picture(6).name, content().picture(1).name);
        for (int i = 1; i <= 10; ++i)
            QCOMPARE(TestSupport::readAll(savedAs(program.downloads(), listedName(i))),
                     content().pictureBytes(i));
        const QStringList files = QDir(program.downloads()).entryList(QDir::Files);
        QCOMPARE(files.size(), 10 + 4);

        // The album names the files by the bytes the site sent, non-ASCII ones too.
        const QByteArray russian = content().picture(4).name;
        QVERIFY(std::any_of(russian.cbegin(), russian.cend(), [](char c) { return c & 0x80; }));
        verifyAlbum(program, 10);
        QCOMPARE(program.session.PagePaths()[10], content().listingPath(10));

        const DemoSiteStats served = m_site->stats();
        QCOMPARE(served.listingRequests, 10);
        QCOMPARE(served.pictureRequests, 10);
        QCOMPARE(served.otherRequests, 0);
    }

    // Another run in the folder: the click says so and starts nothing, and the cache is not
    // cleared under that run. Once the other run lets go, a run goes as usual, and lets go too.
    void secondRunInTheFolderStartsNothing()
    {
        Program program(*m_site);
        FolderLock otherRun;
        QVERIFY(!otherRun.take(program.programFolder.runLock()));
        const auto everything = [&program] {
            return QDir(program.folder.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        };
        const QStringList before = everything();
        program.run(2);
        QVERIFY(program.session.folderWasBusy());
        QCOMPARE(program.host.events, QStringList{u"stat:"_s + DownloadSession::StatFolderBusy});
        QCOMPARE(m_site->stats().requests, 0);
        QCOMPARE(program.session.ClearCashe().reason(), FileIo::Reason::Busy);
        QCOMPARE(everything(), before);

        otherRun.release();
        program.run(2);
        QVERIFY(!program.session.folderWasBusy());
        QCOMPARE(program.host.stats.last(), Done);
        verifyAlbum(program, 2);
        QVERIFY(!program.session.ClearCashe());
        QCOMPARE(program.session.engine().SizeCashe(), 0);
        QVERIFY(!otherRun.take(program.programFolder.runLock()));
    }

    void secondRunComesFromTheCache()
    {
        Program program(*m_site);
        program.run(10);
        QCOMPARE(program.host.stats.last(), Done);
        const QByteArray firstAlbum = TestSupport::readAll(program.album());
        const qint64 trafficAfterFirst = program.session.engine().TrafficCount();
        m_site->server().resetStats();

        const QStringList firstFiles = QDir(program.downloads()).entryList(QDir::Files);
        const auto stampOfPicture = [&](int page) {
            return FileIo::stamp(savedAs(program.downloads(), content().picture(page).name));
        };
        const auto firstStamp = stampOfPicture(1);
        QVERIFY(firstStamp);
        program.host.stats.clear();
        program.run(10);
        QCOMPARE(program.host.stats.last(), Done);
        // The same names again; a file that holds its picture already is kept as it is.
        QCOMPARE(QDir(program.downloads()).entryList(QDir::Files), firstFiles);
        QCOMPARE(stampOfPicture(1), firstStamp);
        const DemoSiteStats served = m_site->stats();
        QCOMPARE(served.frontRequests, 1);
        QCOMPARE(served.listingRequests, 0);
        QCOMPARE(served.pictureRequests, 0);
        QCOMPARE(served.requests, 1);
        // Only the front page travelled.
        const QByteArray front = program.session.engine().BuildRequest("/");
        QVERIFY(program.session.engine().TrafficCount() - trafficAfterFirst > front.size());
        QCOMPARE(TestSupport::readAll(program.album()), firstAlbum);
    }

    void stopDuringATransfer_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("clickAt");
        QTest::addColumn<int>("complete");
        QTest::newRow("front page") << QByteArray("stall=front") << u"Грузиццo главная..."_s << 0;
        QTest::newRow("listing page 3")
            << QByteArray("stall=page:3") << u"Грузиццo страница 3..."_s << 2;
        QTest::newRow("picture 2")
            << QByteArray("stall=picture:2") << u"Грузиццо картинка 2..."_s << 1;
    }

    void stopDuringATransfer()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, clickAt);
        QFETCH(int, complete);
        QVERIFY(m_site->server().addFault(fault));
        Program program(*m_site);
        // An earlier run's folder: the album of no pages still has a place to go.
        QVERIFY(QDir().mkpath(program.downloads()));
        program.clickDuring(clickAt);
        program.run(5);

        QCOMPARE(program.host.failureMessages, 0);
        QVERIFY(!program.session.Running());
        const QStringList tail = program.host.stats.mid(program.host.stats.indexOf(clickAt));
        QCOMPARE(tail, (QStringList{clickAt, u"Загрузка прервана"_s, SwitchedOff}));
        QCOMPARE(program.session.PageIndex(), qint16(complete + 1));
        verifyAlbum(program, complete);
        // Nothing of the unfinished page was saved.
        QCOMPARE(QDir(program.downloads()).entryList(QDir::Files).size(), complete + 4);
        QCOMPARE(program.host.events.last(), u"state:Idle"_s);
    }

    void closingTheWindowEndsTheRunLikeTheButton()
    {
        QVERIFY(m_site->server().addFault("stall=page:3"));
        Program program(*m_site);
        program.host.onStat = [&program](const QString& shown) {
            if (shown == u"Грузиццo страница 3..."_s)
                QTimer::singleShot(20, &program.session, &DownloadSession::windowClosing);
        };
        program.run(5);
        QCOMPARE(program.host.failureMessages, 0);
        QCOMPARE(program.host.stats.last(), SwitchedOff);
        verifyAlbum(program, 2);
    }

    void socketErrorEndsTheRunQuietly()
    {
        QVERIFY(m_site->server().addFault("reset=picture:3"));
        Program program(*m_site);
        program.run(5);
        QCOMPARE(program.host.failureMessages, 0);
        QCOMPARE(program.host.stats.last(), SwitchedOff);
        QCOMPARE(program.session.PageIndex(), qint16(3));
        verifyAlbum(program, 2);
        QVERIFY(!QFile::exists(savedAs(program.downloads(), content().picture(3).name)));
    }

    void unexpectedReplyEndsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("listings");
        // The window's status line when the message comes: the engine's words on a refusing
        // proxy, else the step that failed.
        QTest::addColumn<QString>("lastStat");
        QTest::newRow("404 listing page")
            << QByteArray("404=page:2") << 2 << u"Грузиццo страница 2..."_s;
        QTest::newRow("404 picture")
            << QByteArray("404=picture:2") << 2 << u"Грузиццо картинка 2..."_s;
        QTest::newRow("listing page without marker")
            << QByteArray("nomarker=page:3") << 3 << u"Грузиццo страница 3..."_s;
        QTest::newRow("front page without marker")
            << QByteArray("nomarker=front") << 0 << u"Грузиццo главная..."_s;
        QTest::newRow("picture without blank line")
            << QByteArray("nomarker=picture:1") << 1 << u"Грузиццо картинка 1..."_s;
        QTest::newRow("proxy wants credentials")
            << QByteArray("407=page:1") << 1 << u"Ошибка авторизации на прокси-сервере"_s;
    }

    void unexpectedReplyEndsTheProgram()
    {
        QFETCH(QByteArray, fault);
        QFETCH(int, listings);
        QFETCH(QString, lastStat);
        QVERIFY(m_site->server().addFault(fault));
        Program program(*m_site);
        program.run(5);
        QCOMPARE(program.host.failureMessages, 1);
        QCOMPARE(program.host.stats.last(), lastStat);
        QCOMPARE(program.host.failureText, u"Ашиыпка при абработке страниц сайта золванеком."_s);
        QCOMPARE(program.host.failureTitle, u"Ужос нах!"_s);
        QCOMPARE(program.host.events.last(), u"failure"_s);
        QVERIFY(!QFile::exists(program.album()));
        QCOMPARE(m_site->stats().listingRequests, listings);
    }

    void replacedAndReadOnlyFiles()
    {
        Program program(*m_site);
        QVERIFY(QDir().mkpath(program.downloads()));
        const QString replaced = savedAs(program.downloads(), content().picture(2).name);
        const QString locked = savedAs(program.downloads(), content().picture(3).name);
        const QString stranger = program.downloads() + u"/mine.txt"_s;
        TestSupport::writeAll(replaced, QByteArray(300000, 'r'));
        TestSupport::writeAll(locked, "locked");
        TestSupport::writeAll(stranger, "mine");
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup));
        program.run(4);

        // The locked file stays as it was and stands for its page: the run is complete.
        QCOMPARE(program.host.stats.last(), Done);
        QCOMPARE(TestSupport::readAll(replaced), content().pictureBytes(2));
        QCOMPARE(TestSupport::readAll(locked), QByteArray("locked"));
        QCOMPARE(TestSupport::readAll(stranger), QByteArray("mine"));
        QCOMPARE(TestSupport::readAll(savedAs(program.downloads(), content().picture(4).name)),
                 content().pictureBytes(4));
        verifyAlbum(program, 4);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    }

    void hostileNamesStayInsideDownloads()
    {
        DemoSiteOptions options;
        options.pictureNames = {{1, "..\\..\\escape.jpg"}, {2, "a\"<b>.gif"}, {3, ".."}};
        m_site = std::make_unique<DemoSiteThread>(options);
        Program program(*m_site);
        program.run(4);
        QCOMPARE(program.host.stats.last(), u"Фсе, но 1 картинка не записалась: имя негодное."_s);
        QCOMPARE(program.host.failureMessages, 0);

        const QString downloads = program.downloads();
        QCOMPARE(TestSupport::readAll(downloads + u"/.._.._escape.jpg"_s),
                 content().pictureBytes(1));
        QCOMPARE(TestSupport::readAll(downloads + u"/a\"<b>.gif"_s), content().pictureBytes(2));
        QCOMPARE(TestSupport::readAll(savedAs(downloads, content().picture(4).name)),
                 content().pictureBytes(4));
        // Page 3 saved nothing; nothing at all landed beside "downloads".
        QCOMPARE(QDir(downloads).entryList(QDir::Files | QDir::Hidden).size(), 3 + 4);
        QCOMPARE(QDir(program.folder.path())
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{u"!cashe"_s, u"data"_s, u"downloads"_s}));
        QCOMPARE(program.host.previews.size(), 3);

        // The album names the files as they were saved, escaped inside its attributes.
        const QByteArray album = TestSupport::readAll(program.album());
        QVERIFY(album.contains("<img src=\".._.._escape.jpg\" border=\"1\">"));
        QVERIFY(album.contains("<img src=\"a&quot;&lt;b&gt;.gif\" border=\"1\">"));
        QVERIFY(!album.contains("<img src=\"\""));
        QCOMPARE(album.count("<tr>\r\n<td>\r\n"), 3);
    }

    // Names the album's own files take, and long names that one cut would make the same: each
    // picture keeps a file of its own, and its row names that file.
    void takenAndCutNamesGetFilesOfTheirOwn()
    {
        const QByteArray longName(300, 'x');
        const QByteArray cut = QByteArray(251, 'x') + ".jpg";
        DemoSiteOptions options;
        options.pictureNames = {{1, "index.htm"}, {2, "bg.gif"},           {3, "bghead.gif"},
                                {4, "head.gif"},  {5, longName + "1.jpg"}, {6, longName + "2.jpg"}};
        m_site = std::make_unique<DemoSiteThread>(options);
        m_renamed = {
            {1, "index (2).htm"}, {2, "bg (2).gif"}, {3, "bghead (2).gif"},
            {4, "head (2).gif"},  {5, cut},          {6, QByteArray(247, 'x') + " (2).jpg"}};
        Program program(*m_site);
        program.run(6);
        QCOMPARE(program.host.stats.last(), Done);
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(TestSupport::readAll(savedAs(program.downloads(), listedName(i))),
                     content().pictureBytes(i));
        verifyAlbum(program, 6);
        QCOMPARE(QDir(program.downloads()).entryList(QDir::Files).size(), 6 + 4);
    }

    void moreThanAThousandPages()
    {
        // Short tails: a thousand pages of filler would only slow the test down.
        DemoSiteOptions options;
        options.tailBytes = 512;
        m_site = std::make_unique<DemoSiteThread>(options);
        Program program(*m_site);
        program.host.settings.cacheLimit = 0;
        program.run(1001);
        QCOMPARE(program.host.stats.last(), Done);
        QCOMPARE(program.host.failureMessages, 0);
        verifyAlbum(program, 1001);
        QCOMPARE(m_site->stats().pictureRequests, 1001);
    }
};

QTEST_GUILESS_MAIN(TestCrawlRun)
#include "tst_CrawlRun.moc"
