#include "core/net/Download_Control.h"
#include "core/net/EngineTexts.h"
#include "core/net/ResponseCache.h"
#include "core/settings/Ini.h"
#include "support/ScriptedServer.h"
#include "support/TestSupport.h"
#include "support/TransferOutcomeText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QDateTime Created(QDate(2024, 3, 5), QTime(14, 7, 9));
const QByteArray Ok10 = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>one</p>";
const QByteArray Ok11 = QByteArrayLiteral("HTTP/1.1 200 OK\r\n\r\n\x00\x01\xff picture bytes");

const QLocale Russian(QLocale::Russian, QLocale::Russia);

QByteArray header()
{
    return ";Tervik2 cashe database file\r\n;Created: 05.03.2024 14:07:09\r\n"
           ";Do not edit!\r\n\r\n\r\n[Main]\r\n[Cashe]\r\n";
}

class CacheFolder {
public:
    CacheFolder()
    {
        m_cache.setFolder(path());
        m_cache.setClock([] { return Created; });
        m_cache.setLocale(Russian);
    }
    QString path() const { return m_dir.path() + u"/!cashe"_s; }
    QString file(const QString& name) const { return path() + u'/' + name; }
    QByteArray database() const { return TestSupport::readAll(file(u"!Cashe.dat"_s)); }
    QStringList files() const { return QDir(path()).entryList(QDir::Files, QDir::Name); }
    ResponseCache& cache() { return m_cache; }

private:
    QTemporaryDir m_dir;
    ResponseCache m_cache;
};

// The lookup as a scan of one read per entry, for comparing results.
std::optional<QByteArray> lookupEntryByEntry(const QString& folder, const QByteArray& path)
{
    Ini ini;
    ini.setFileName(folder + u"/!Cashe.dat"_s);
    if (!QFile::exists(ini.FileName()))
        return std::nullopt;
    const int n = ini.RINIi("Main", "Files");
    for (int i = 1; i <= n; ++i) {
        const QByteArray number = ResponseCache::PadNumber(i);
        if (ini.RINI("Cashe", "cashe" + number) == path) {
            const QByteArray reply = TestSupport::readAll(folder + u"/cashe"_s +
                                                          QString::fromLatin1(number) + u".tmp"_s);
            if (!reply.isEmpty())
                return reply;
        }
    }
    return std::nullopt;
}

} // namespace

class TestResponseCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void padNumber_data();
    void padNumber();
    void clearMakesFolderAndDatabase();
    void createdLineFollowsTheLocale_data();
    void createdLineFollowsTheLocale();
    void databaseBytesAfterEachStore();
    void onlySuccessRepliesAreStored_data();
    void onlySuccessRepliesAreStored();
    void limitReachedStartsAgain();
    void limitZeroKeepsOnlyTheLatest();
    void pathOf254And255Characters();
    void differentCaseIsAMiss();
    void firstMatchWins();
    void controlBytesInPathNeverStored_data();
    void controlBytesInPathNeverStored();
    void missingOrEmptyEntryFileIsAMiss_data();
    void missingOrEmptyEntryFileIsAMiss();
    void leftoverEntryFileIsOverwritten();
    void linksLeadNowhereOutsideTheCache();
    void storeWithoutDatabaseEmptiesTheFolder();
    void lookupWithoutDatabaseCreatesNothing();
    void sizeOfTheCache_data();
    void sizeOfTheCache();
    void oneReadGivesTheSameResults_data();
    void oneReadGivesTheSameResults();
    void clearLeavesReadOnlyFilesAndFolders();
    void clearNeverFollowsLinks();
    void indexNeverAnswersFromAChangedDatabase();
    void shortenedReplyStoredAndServed();
    void missingEntryFileFetchedAgain();
    void databaseChangedByAnotherWriterIsReadAgain();
    void databaseRewrittenInPlaceIsReadAgain();
};

void TestResponseCache::padNumber_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("1") << 1 << QByteArray("00001");
    QTest::newRow("300") << 300 << QByteArray("00300");
    QTest::newRow("32767") << 32767 << QByteArray("32767");
    QTest::newRow("123456") << 123456 << QByteArray("123456");
}

void TestResponseCache::padNumber()
{
    QFETCH(int, number);
    QFETCH(QByteArray, text);
    QCOMPARE(ResponseCache::PadNumber(number), text);
}

void TestResponseCache::createdLineFollowsTheLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("ru_RU") << Russian << QByteArray(";Created: 05.03.2024 14:07:09\r\n");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                           << QByteArray(";Created: 3/5/24 2:07:09 PM\r\n");
    QTest::newRow("C") << QLocale::c() << QByteArray(";Created: 5 Mar 2024 14:07:09\r\n");
}

// The short date and the long time of the locale, without a time-zone name.
void TestResponseCache::createdLineFollowsTheLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, line);
    const QByteArray header = ResponseCache::databaseHeader(Created, locale);
    QVERIFY2(header.contains(QByteArray("\r\n" + line)), header.constData());
}

void TestResponseCache::clearMakesFolderAndDatabase()
{
    CacheFolder folder;
    QVERIFY(!QDir(folder.path()).exists());
    QVERIFY(!folder.cache().clear());
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s}));
    QCOMPARE(folder.database(), header());
    QCOMPARE(folder.cache().size(), 0);
}

void TestResponseCache::databaseBytesAfterEachStore()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/p/1", Ok10));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/p/1\r\n"));
    QCOMPARE(TestSupport::readAll(folder.file(u"cashe00001.tmp"_s)), Ok10);

    QVERIFY(!folder.cache().store("/img/a b.jpg", Ok11));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=2\r\n[Cashe]\r\ncashe00001=/p/1\r\n"
                              "cashe00002=/img/a b.jpg\r\n"));
    QCOMPARE(TestSupport::readAll(folder.file(u"cashe00002.tmp"_s)), Ok11);

    QVERIFY(!folder.cache().store("/p/1", Ok10)); // the same path again is a new entry
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=3\r\n[Cashe]\r\ncashe00001=/p/1\r\n"
                              "cashe00002=/img/a b.jpg\r\ncashe00003=/p/1\r\n"));
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s, u"cashe00001.tmp"_s, u"cashe00002.tmp"_s,
                                          u"cashe00003.tmp"_s}));
    QCOMPARE(folder.cache().lookup("/img/a b.jpg"), std::optional<QByteArray>(Ok11));
    QCOMPARE(folder.cache().size(), 3);
}

void TestResponseCache::onlySuccessRepliesAreStored_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("cutAtMarker");
    QTest::addColumn<bool>("stored");
    QTest::newRow("HTTP/1.0 200 OK") << QByteArray("HTTP/1.0 200 OK\r\n\r\nx") << false << true;
    QTest::newRow("HTTP/1.1 200 OK") << QByteArray("HTTP/1.1 200 OK\r\n\r\nx") << false << true;
    // A reply that can never be used must not be kept, or every later run fails from the cache.
    QTest::newRow("status line alone") << QByteArray("HTTP/1.0 200 OK\r\n") << false << false;
    QTest::newRow("no blank line")
        << QByteArray("HTTP/1.0 200 OKAY\r\nServer: x\r\n") << false << false;
    QTest::newRow("LF line ends") << QByteArray("HTTP/1.0 200 OK\nA: b\n\nbody") << false << false;
    QTest::newRow("body as long as declared")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody") << false << true;
    QTest::newRow("body shorter than declared")
        << QByteArray("HTTP/1.0 200 OK\r\ncontent-length:  9\r\n\r\nbody") << false << false;
    QTest::newRow("cut at the stop marker on purpose")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nbody") << true << true;
    QTest::newRow("200 Ok") << QByteArray("HTTP/1.0 200 Ok\r\n\r\nx") << false << false;
    QTest::newRow("304") << QByteArray("HTTP/1.0 304 Not Modified\r\n\r\n") << false << false;
    QTest::newRow("206") << QByteArray("HTTP/1.1 206 Partial Content\r\n\r\nx") << false << false;
    QTest::newRow("HTTP/2") << QByteArray("HTTP/2.0 200 OK\r\n\r\nx") << false << false;
    QTest::newRow("cut short") << QByteArray("HTTP/1.0 200 O") << false << false;
    QTest::newRow("leading blank") << QByteArray(" HTTP/1.0 200 OK\r\n") << false << false;
}

void TestResponseCache::onlySuccessRepliesAreStored()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, cutAtMarker);
    QFETCH(bool, stored);
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/x", reply, cutAtMarker));
    QCOMPARE(QDir(folder.path()).exists(), stored);
    QCOMPARE(folder.cache().lookup("/x"), stored ? std::optional<QByteArray>(reply) : std::nullopt);
}

void TestResponseCache::limitReachedStartsAgain()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/p/1", Ok10 + "1"));
    // Entries 2 to 299 laid down as the cache writes them; the 300th is stored for real.
    QByteArray entries = "cashe00001=/p/1\r\n";
    for (int i = 2; i <= 299; ++i) {
        const QByteArray number = ResponseCache::PadNumber(i);
        entries += "cashe" + number + "=/p/" + QByteArray::number(i) + "\r\n";
        TestSupport::writeAll(folder.file(u"cashe"_s + QString::fromLatin1(number) + u".tmp"_s),
                              Ok10 + QByteArray::number(i));
    }
    TestSupport::writeAll(
        folder.file(u"!Cashe.dat"_s),
        header().replace("[Main]\r\n[Cashe]\r\n",
                         QByteArray("[Main]\r\nFiles=299\r\n[Cashe]\r\n" + entries)));
    QVERIFY(!folder.cache().store("/p/300", Ok10 + "300"));
    QCOMPARE(folder.database(), header().replace("[Main]\r\n[Cashe]\r\n",
                                                 QByteArray("[Main]\r\nFiles=300\r\n[Cashe]\r\n" +
                                                            entries + "cashe00300=/p/300\r\n")));
    QCOMPARE(folder.cache().size(), 300);
    QCOMPARE(folder.files().size(), 301);
    QCOMPARE(folder.cache().lookup("/p/300"), std::optional<QByteArray>(Ok10 + "300"));
    QCOMPARE(folder.cache().lookup("/p/150"), std::optional<QByteArray>(Ok10 + "150"));

    QVERIFY(!folder.cache().store("/p/301", Ok11));
    QCOMPARE(folder.cache().size(), 1);
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s, u"cashe00001.tmp"_s}));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/p/301\r\n"));
    QCOMPARE(folder.cache().lookup("/p/1"), std::nullopt);
    QCOMPARE(folder.cache().lookup("/p/301"), std::optional<QByteArray>(Ok11));
}

void TestResponseCache::limitZeroKeepsOnlyTheLatest()
{
    CacheFolder folder;
    folder.cache().setLimit(0);
    QVERIFY(!folder.cache().store("/a", Ok10));
    QVERIFY(!folder.cache().store("/b", Ok11));
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s, u"cashe00001.tmp"_s}));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/b\r\n"));
    QCOMPARE(folder.cache().lookup("/a"), std::nullopt);
    QCOMPARE(folder.cache().lookup("/b"), std::optional<QByteArray>(Ok11));
}

void TestResponseCache::pathOf254And255Characters()
{
    CacheFolder folder;
    const QByteArray path254 = '/' + QByteArray(253, 'a');
    const QByteArray path255 = '/' + QByteArray(254, 'b');
    QVERIFY(!folder.cache().store(path254, Ok10));
    QVERIFY(!folder.cache().store(path255, Ok11));
    QVERIFY(folder.database().contains(QByteArray("cashe00002=" + path255 + "\r\n")));
    QCOMPARE(folder.cache().size(), 2);
    QCOMPARE(folder.cache().lookup(path254), std::optional<QByteArray>(Ok10));
    QCOMPARE(folder.cache().lookup(path255), std::nullopt);
    QCOMPARE(folder.cache().lookup(path255.left(254)), std::optional<QByteArray>(Ok11));
}

void TestResponseCache::differentCaseIsAMiss()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/Photo/Page.htm", Ok10));
    QCOMPARE(folder.cache().lookup("/photo/page.htm"), std::nullopt);
    QCOMPARE(folder.cache().lookup("/Photo/Page.htm"), std::optional<QByteArray>(Ok10));
    QCOMPARE(folder.cache().lookup("/Photo/Page.htm "), std::nullopt);
    QCOMPARE(folder.cache().lookup("/Photo/Page"), std::nullopt);
}

void TestResponseCache::firstMatchWins()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/same", Ok10));
    QVERIFY(!folder.cache().store("/same", Ok11));
    QCOMPARE(folder.cache().lookup("/same"), std::optional<QByteArray>(Ok10));
}

void TestResponseCache::controlBytesInPathNeverStored_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("stored");
    QTest::newRow("CR LF") << QByteArray("/a\r\nFiles=9") << false;
    QTest::newRow("LF") << QByteArray("/a\nb") << false;
    QTest::newRow("tab") << QByteArray("/a\tb") << false;
    QTest::newRow("NUL") << QByteArray("/a\0b", 4) << false;
    QTest::newRow("DEL") << QByteArray("/a\x7f") << false;
    QTest::newRow("blank") << QByteArray("/a b") << true;
    QTest::newRow("high bytes") << QByteArray("/\xe0\xff") << true;
}

void TestResponseCache::controlBytesInPathNeverStored()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, stored);
    CacheFolder folder;
    QVERIFY(!folder.cache().clear());
    QVERIFY(!folder.cache().store(path, Ok10));
    QCOMPARE(folder.cache().size(), stored ? 1 : 0);
    QCOMPARE(folder.files().size(), stored ? 2 : 1);
    if (!stored)
        QCOMPARE(folder.database(), header());
    QCOMPARE(folder.cache().lookup(path).has_value(), stored);
}

void TestResponseCache::missingOrEmptyEntryFileIsAMiss_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("missing") << true;
    QTest::newRow("empty") << false;
}

void TestResponseCache::missingOrEmptyEntryFileIsAMiss()
{
    QFETCH(bool, remove);
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/gone", Ok10));
    if (remove)
        QVERIFY(QFile::remove(folder.file(u"cashe00001.tmp"_s)));
    else
        TestSupport::writeAll(folder.file(u"cashe00001.tmp"_s), {});
    QCOMPARE(folder.cache().lookup("/gone"), std::nullopt);
    // Stored again, the newer copy is found behind the broken entry.
    QVERIFY(!folder.cache().store("/gone", Ok11));
    QCOMPARE(folder.cache().lookup("/gone"), std::optional<QByteArray>(Ok11));
}

void TestResponseCache::leftoverEntryFileIsOverwritten()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().clear());
    TestSupport::writeAll(folder.file(u"cashe00001.tmp"_s), QByteArray(5000, 'L'));
    QVERIFY(!folder.cache().store("/new", Ok10));
    QCOMPARE(TestSupport::readAll(folder.file(u"cashe00001.tmp"_s)), Ok10);
    QCOMPARE(folder.cache().lookup("/new"), std::optional<QByteArray>(Ok10));
}

// A link in an entry's place is neither followed for writing nor read from.
void TestResponseCache::linksLeadNowhereOutsideTheCache()
{
    CacheFolder folder;
    const QString outside = QFileInfo(folder.path()).path() + u"/outside.dat"_s;
    TestSupport::writeAll(outside, Ok11);
    QVERIFY(!folder.cache().clear());
    QVERIFY(QFile::link(outside, folder.file(u"cashe00001.tmp"_s)));
    QVERIFY(!folder.cache().store("/new", Ok10));
    QCOMPARE(TestSupport::readAll(outside), Ok11);
    QVERIFY(!QFileInfo(folder.file(u"cashe00001.tmp"_s)).isSymLink());
    QCOMPARE(folder.cache().lookup("/new"), std::optional<QByteArray>(Ok10));

    QVERIFY(QFile::remove(folder.file(u"cashe00001.tmp"_s)));
    QVERIFY(QFile::link(outside, folder.file(u"cashe00001.tmp"_s)));
    QCOMPARE(folder.cache().lookup("/new"), std::nullopt);
}

void TestResponseCache::storeWithoutDatabaseEmptiesTheFolder()
{
    CacheFolder folder;
    QVERIFY(QDir().mkpath(folder.path()));
    TestSupport::writeAll(folder.file(u"cashe00001.tmp"_s), "old");
    TestSupport::writeAll(folder.file(u"stray.txt"_s), "stray");
    QVERIFY(!folder.cache().store("/p", Ok10));
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s, u"cashe00001.tmp"_s}));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/p\r\n"));
}

void TestResponseCache::lookupWithoutDatabaseCreatesNothing()
{
    CacheFolder folder;
    QCOMPARE(folder.cache().lookup("/"), std::nullopt);
    QVERIFY(!QDir(folder.path()).exists());
    QVERIFY(QDir().mkpath(folder.path()));
    QCOMPARE(folder.cache().lookup("/"), std::nullopt);
    QVERIFY(folder.files().isEmpty());
}

void TestResponseCache::sizeOfTheCache_data()
{
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<int>("size");
    QTest::newRow("no database") << QByteArray() << 0;
    QTest::newRow("no Files") << QByteArray("[Main]\r\n") << 0;
    QTest::newRow("12") << QByteArray("[Main]\r\nFiles=12\r\n") << 12;
    QTest::newRow("not a number") << QByteArray("[main]\r\nfiles=abc\r\n") << 0;
    QTest::newRow("number then letters") << QByteArray("[MAIN]\r\nFILES = 7x\r\n") << 7;
}

void TestResponseCache::sizeOfTheCache()
{
    QFETCH(QByteArray, database);
    QFETCH(int, size);
    CacheFolder folder;
    Download_Control engine;
    engine.setPathCasheFiles(folder.path());
    QCOMPARE(engine.SizeCashe(), 0);
    QVERIFY(QDir().mkpath(folder.path()));
    if (!database.isNull())
        TestSupport::writeAll(folder.file(u"!Cashe.dat"_s), database);
    QCOMPARE(engine.SizeCashe(), size);
    QVERIFY(!engine.ClearCashe());
    QCOMPARE(engine.SizeCashe(), 0);
}

void TestResponseCache::oneReadGivesTheSameResults_data()
{
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<QByteArray>("path");
    const QByteArray three = "[Main]\r\nFiles=3\r\n[Cashe]\r\n";
    QTest::newRow("plain") << three + "cashe00001=/a\r\ncashe00002=/b\r\ncashe00003=/c\r\n"
                           << QByteArray("/b");
    QTest::newRow("duplicate key, first is read")
        << three + "cashe00002=/x\r\ncashe00001=/a\r\ncashe00002=/b\r\n"
        << QByteArray("/b");
    QTest::newRow("duplicate key, first found") << three + "cashe00002=/x\r\ncashe00002=/b\r\n"
                                                << QByteArray("/x");
    QTest::newRow("key in capitals") << three + "CASHE00003=/c\r\n" << QByteArray("/c");
    QTest::newRow("blanks and quotes") << three + "  cashe00001 =  \"/q\"  \r\n"
                                       << QByteArray("/q");
    QTest::newRow("second section ignored")
        << three + "cashe00001=/a\r\n[Other]\r\ncashe00002=/b\r\n[cashe]\r\ncashe00003=/c\r\n"
        << QByteArray("/c");
    QTest::newRow("Files beyond the keys")
        << QByteArray("[Main]\r\nFiles=2.5\r\n[Cashe]\r\ncashe00002=/b\r\ncashe00003=/c\r\n")
        << QByteArray("/b");
    QTest::newRow("entry above Files") << three + "cashe00004=/d\r\n" << QByteArray("/d");
    QTest::newRow("Files in the wrong section")
        << QByteArray("[Cashe]\r\nFiles=3\r\ncashe00001=/a\r\n") << QByteArray("/a");
    QTest::newRow("negative Files")
        << QByteArray("[Main]\r\nFiles=-1\r\n[Cashe]\r\ncashe00001=/a\r\n") << QByteArray("/a");
    QTest::newRow("comment and key without value")
        << three + ";cashe00001=/a\r\ncashe00001\r\ncashe00002=/a\r\n"
        << QByteArray("/a");
    QTest::newRow("LF line ends") << QByteArray("[Main]\nFiles=1\n[Cashe]\ncashe00001=/lf\n")
                                  << QByteArray("/lf");
}

void TestResponseCache::oneReadGivesTheSameResults()
{
    QFETCH(QByteArray, database);
    QFETCH(QByteArray, path);
    CacheFolder folder;
    QVERIFY(QDir().mkpath(folder.path()));
    TestSupport::writeAll(folder.file(u"!Cashe.dat"_s), database);
    for (int i = 1; i <= 4; ++i)
        TestSupport::writeAll(folder.file(u"cashe0000%1.tmp"_s.arg(i)),
                              "reply " + QByteArray::number(i));
    const auto expected = lookupEntryByEntry(folder.path(), path);
    QCOMPARE(folder.cache().lookup(path), expected);
    for (const QByteArray other : {"/a", "/b", "/c", "/d", "/x", "/q", "/lf", "\"/q\""})
        QCOMPARE(folder.cache().lookup(other), lookupEntryByEntry(folder.path(), other));
}

void TestResponseCache::clearLeavesReadOnlyFilesAndFolders()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/p", Ok10));
    QVERIFY(QDir().mkpath(folder.file(u"sub"_s)));
    const QString locked = folder.file(u"locked.tmp"_s);
    TestSupport::writeAll(locked, "keep");
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(!folder.cache().clear());
    QCOMPARE(folder.files(), QStringList({u"!Cashe.dat"_s, u"locked.tmp"_s}));
    QVERIFY(QDir(folder.file(u"sub"_s)).exists());
    QCOMPARE(folder.database(), header());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
}

// Clearing deletes the cache's own files only: a link in the place of the folder goes and a
// folder takes its place; a link inside it goes; what either leads to stays.
void TestResponseCache::clearNeverFollowsLinks()
{
    CacheFolder folder;
    const QString elsewhere = QFileInfo(folder.path()).path() + u"/elsewhere"_s;
    QVERIFY(QDir().mkpath(elsewhere));
    const QStringList theirs = {u"!Cashe.dat"_s, u"cashe00001.tmp"_s, u"photo.jpg"_s};
    for (const QString& name : theirs)
        TestSupport::writeAll(elsewhere + u'/' + name, name.toUtf8());
    QVERIFY(QFile::link(elsewhere, folder.path()));

    QVERIFY(!folder.cache().clear());
    for (const QString& name : theirs)
        QCOMPARE(TestSupport::readAll(elsewhere + u'/' + name), name.toUtf8());
    QVERIFY(!QFileInfo(folder.path()).isSymLink());
    QCOMPARE(folder.files(), QStringList{u"!Cashe.dat"_s});
    QCOMPARE(folder.database(), header());

    QVERIFY(QFile::link(elsewhere + u"/photo.jpg"_s, folder.file(u"cashe00002.tmp"_s)));
    QVERIFY(!folder.cache().clear());
    QVERIFY(!QFileInfo(folder.file(u"cashe00002.tmp"_s)).isSymLink());
    QCOMPARE(folder.files(), QStringList{u"!Cashe.dat"_s});
    QCOMPARE(TestSupport::readAll(elsewhere + u"/photo.jpg"_s), QByteArray("photo.jpg"));
}

// The lookups of a run share an index of the database they read. A store in between makes a new
// database, here one of exactly the same size: the index must not answer from the old one.
void TestResponseCache::indexNeverAnswersFromAChangedDatabase()
{
    CacheFolder folder;
    folder.cache().setLimit(1);
    QVERIFY(!folder.cache().store("/a", Ok10));
    QCOMPARE(folder.cache().lookup("/a"), std::optional<QByteArray>(Ok10));
    QCOMPARE(folder.cache().lookup("/a"), std::optional<QByteArray>(Ok10));
    const QByteArray before = folder.database();
    QVERIFY(!folder.cache().store("/b", Ok11));
    QCOMPARE(folder.database().size(), before.size());
    QCOMPARE(folder.cache().lookup("/a"), std::nullopt);
    QCOMPARE(folder.cache().lookup("/b"), std::optional<QByteArray>(Ok11));
    QCOMPARE(folder.cache().lookup("/b"), std::optional<QByteArray>(Ok11));
    QCOMPARE(folder.cache().lookup("/a"), std::nullopt);
}

void TestResponseCache::shortenedReplyStoredAndServed()
{
    const QByteArray shortened = "HTTP/1.0 200 OK\r\n\r\n<a>next</a>&raquo;&raquo;";
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(shortened).pause(200).send("the rest of the page").pause(60000);
    CacheFolder folder;
    Download_Control engine;
    engine.setPathCasheFiles(folder.path());
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(server.port());
    engine.setStopString("&raquo;&raquo;");
    QTimer::singleShot(5000, &engine, &Download_Control::Stopped);
    QCOMPARE(engine.Down("/p/2", true), TransferOutcome::reply(shortened));
    engine.finishCaching();
    QCOMPARE(TestSupport::readAll(folder.file(u"cashe00001.tmp"_s)), shortened);
    engine.setStopString({});
    QCOMPARE(engine.Down("/p/2", true), TransferOutcome::reply(shortened));
    QCOMPARE(EngineTexts::status(engine.status()), u"Файл взят из кэша"_s);
    QCOMPARE(server.connections(), 1);
}

void TestResponseCache::missingEntryFileFetchedAgain()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Ok10).close();
    CacheFolder folder;
    Download_Control engine;
    engine.setPathCasheFiles(folder.path());
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(server.port());
    QTimer::singleShot(5000, &engine, &Download_Control::Stopped);
    QCOMPARE(engine.Down("/p", true), TransferOutcome::reply(Ok10));
    engine.finishCaching();
    QVERIFY(QFile::remove(folder.file(u"cashe00001.tmp"_s)));
    QCOMPARE(engine.Down("/p", true), TransferOutcome::reply(Ok10));
    QCOMPARE(server.connections(), 2);
    QCOMPARE(engine.SizeCashe(), 2);
    QCOMPARE(engine.Down("/p", true), TransferOutcome::reply(Ok10));
    QCOMPARE(server.connections(), 2);
}

// The cache keeps the database it wrote in memory; one changed on disk since is read again, by
// lookups and by the next store alike.
void TestResponseCache::databaseChangedByAnotherWriterIsReadAgain()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/a", Ok10));
    QCOMPARE(folder.cache().lookup("/a"), std::optional<QByteArray>(Ok10));
    TestSupport::writeAll(folder.file(u"!Cashe.dat"_s),
                          header().replace("[Main]\r\n[Cashe]\r\n",
                                           "[Main]\r\nFiles=2\r\n[Cashe]\r\ncashe00001=/bb\r\n"
                                           "cashe00002=/a\r\n"));
    TestSupport::writeAll(folder.file(u"cashe00002.tmp"_s), Ok11);
    QCOMPARE(folder.cache().lookup("/a"), std::optional<QByteArray>(Ok11));
    QCOMPARE(folder.cache().lookup("/bb"), std::optional<QByteArray>(Ok10));
    QCOMPARE(folder.cache().size(), 2);

    QVERIFY(!folder.cache().store("/c", Ok10));
    QCOMPARE(folder.database(),
             header().replace("[Main]\r\n[Cashe]\r\n",
                              "[Main]\r\nFiles=3\r\n[Cashe]\r\ncashe00001=/bb\r\n"
                              "cashe00002=/a\r\ncashe00003=/c\r\n"));
    QCOMPARE(folder.cache().lookup("/c"), std::optional<QByteArray>(Ok10));
}

// Another writer's change in the same file, of the same size: only its times tell.
void TestResponseCache::databaseRewrittenInPlaceIsReadAgain()
{
    CacheFolder folder;
    QVERIFY(!folder.cache().store("/a", Ok10));
    QCOMPARE(folder.cache().lookup("/a"), std::optional<QByteArray>(Ok10));
    QFile database(folder.file(u"!Cashe.dat"_s));
    QVERIFY(database.open(QIODevice::ReadWrite));
    const QByteArray bytes = database.readAll();
    QVERIFY(database.seek(0));
    QCOMPARE(database.write(QByteArray(bytes).replace("cashe00001=/a", "cashe00001=/b")),
             bytes.size());
    // Later than the store, whatever the clock's tick.
    QVERIFY(database.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
    database.close();
    QCOMPARE(folder.cache().lookup("/a"), std::nullopt);
    QCOMPARE(folder.cache().lookup("/b"), std::optional<QByteArray>(Ok10));
}

QTEST_GUILESS_MAIN(TestResponseCache)
#include "tst_ResponseCache.moc"
