// The crawl driver's logic against a scripted transfer: what it asks of the engine, what it shows,
// what it saves, and how a stop, a socket error, a closing window or an odd page end the run.
#include "core/crawl/CrawlDriver.h"
#include "core/net/Transfer.h"
#include "core/platform/Cp1251.h"
#include "support/RecordingCrawlHost.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"
#include "support/TransferOutcomeText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray FrontMarker("\xE5\xD3\xDE\xA3</a>");
const QByteArray
    BlockMarker("\xFA\xE1\xE2\xE1\xF7\xEE\xF9\xEA\xE5 \xEB\xE1\xF2\xF4\xE9\xEE\xEB\xE9");

// Outcomes come from a table, failed for a path it lacks; a test can act while a transfer
// "waits".
class FakeTransfer : public Transfer {
public:
    QHash<QByteArray, TransferOutcome> outcomes;
    QStringList calls;
    // Runs inside Down, as a click or a socket event would, with the 0-based number of the call.
    std::function<void(const QByteArray& path, int call)> during;
    bool abandonWait = false;
    int downs = 0;

    void setUseProxyServer(const QByteArray& name, const QByteArray& port, bool on) override
    {
        calls << u"proxy:%1:%2:%3"_s.arg(QString::fromLatin1(name), QString::fromLatin1(port))
                     .arg(on);
    }
    void setCasheSize(qint16 size) override { calls << u"cashe:%1"_s.arg(size); }
    void finishCaching() override { calls << u"finishCaching"_s; }
    void setStopString(const QByteArray& stop) override
    {
        calls << u"stop:"_s + QString::fromLatin1(stop);
    }
    void setRHost(const QByteArray& host) override
    {
        calls << u"host:"_s + QString::fromLatin1(host);
    }
    TransferOutcome Down(const QByteArray& path, bool cache) override
    {
        calls << u"down:%1:%2"_s.arg(QString::fromLatin1(path)).arg(cache);
        m_result = {};
        const int call = downs++;
        if (during)
            during(path, call);
        if (!m_result.isPending())
            return m_result;
        if (abandonWait)
            return TransferOutcome::abandoned();
        m_result = outcomes.value(path, TransferOutcome::failed());
        return m_result;
    }
    void Stopped() override
    {
        calls << u"Stopped"_s;
        m_result = TransferOutcome::stopped();
    }
    TransferOutcome TransferResult() const override { return m_result; }
    // What the engine does on a socket error before it tells the window.
    void failSocket() { m_result = TransferOutcome::failed(); }

    void answer(const QByteArray& path, const QByteArray& reply)
    {
        outcomes.insert(path, TransferOutcome::reply(reply));
    }
    QStringList downCalls() const { return calls.filter(u"down:"_s); }

private:
    TransferOutcome m_result;
};

QByteArray reply(const QByteArray& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

QByteArray frontPage(const QByteArray& firstPage)
{
    return reply("<html><body><a href='/photo/random.html'>x</a> <a href='" + firstPage + "'>" +
                 FrontMarker + " photo/random.html");
}

QByteArray listingPage(const QByteArray& picture, const QByteArray& next)
{
    return reply("<a href='/photo/page999.html'>p</a><img src='/image/before.jpg'>" + BlockMarker +
                 "</b><br><img src='" + picture + "' border=0><br>&laquo;&laquo; <a href='" + next +
                 "'>next</a> &raquo;&raquo; <a href='/photo/page777.html'>" +
                 "<img src='/image/after.jpg'>");
}

QByteArray pagePath(int i)
{
    return "/photo/page" + QByteArray::number(i * 7 + 3) + ".html";
}

QByteArray picturePath(int i)
{
    return "/image/" + QByteArray::number(i) + "/pic" + QByteArray::number(i) + ".jpg";
}

QByteArray pictureBytes(int i)
{
    return "\xFF\xD8\r\n\r\npicture " + QByteArray::number(i) + QByteArray(1, '\0') + "\xFF\xD9";
}

// A site of `count` pages: page i shows picture i and links to page i + 1.
void buildSite(FakeTransfer& transfer, int count)
{
    transfer.answer("/", frontPage(pagePath(1)));
    for (int i = 1; i <= count; ++i) {
        transfer.answer(pagePath(i), listingPage(picturePath(i), pagePath(i + 1)));
        transfer.answer(picturePath(i), "HTTP/1.0 200 OK\r\n\r\n" + pictureBytes(i));
    }
}

struct AlbumCall {
    int calls = 0;
    int count = -1;
    QString folder;
    QList<QByteArray> pagePaths;
    QList<QByteArray> imageNames;
};

} // namespace

class TestCrawlDriver : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder{ScratchFolder::templatePath()};
    std::unique_ptr<FakeTransfer> m_transfer;
    std::unique_ptr<RecordingCrawlHost> m_host;
    std::unique_ptr<CrawlDriver> m_driver;
    AlbumCall m_album;
    std::function<FileIo::Error()> m_albumAction;

    QString downloads() const { return m_folder.path() + u"/downloads"_s; }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_folder.isValid());
        QDir(m_folder.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder.path()));
        m_transfer = std::make_unique<FakeTransfer>();
        m_host = std::make_unique<RecordingCrawlHost>();
        m_driver =
            std::make_unique<CrawlDriver>(*m_transfer, *m_host, ProgramFolder(m_folder.path()));
        m_album = {};
        m_albumAction = nullptr;
        m_driver->setAlbumWriter([this](const ProgramFolder& folder, int count,
                                        const QList<QByteArray>& paths,
                                        const QList<QByteArray>& names) {
            ++m_album.calls;
            m_album.folder = folder.root();
            m_album.count = count;
            m_album.pagePaths = paths;
            m_album.imageNames = names;
            return m_albumAction ? m_albumAction() : FileIo::Error();
        });
    }

    void fullRunAsksTheEngineInOrder()
    {
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"2"_s;
        m_host->settings.proxyOn = true;
        m_host->settings.proxyName = u"прокси.local"_s;
        m_host->settings.proxyPort = u"3128"_s;
        m_host->settings.cacheLimit = 42;
        m_driver->Down_Click();

        const QStringList expected = {
            u"proxy:%1:3128:1"_s.arg(QString::fromLatin1(Cp1251::fromUnicode(u"прокси.local"))),
            u"cashe:42"_s,
            u"stop:photo/random.html"_s,
            u"host:zolvane.com"_s,
            u"down:/:0"_s,
            u"stop:&raquo;&raquo;"_s,
            u"down:/photo/page10.html:1"_s,
            u"stop:"_s,
            u"down:/image/1/pic1.jpg:1"_s,
            u"stop:&raquo;&raquo;"_s,
            u"down:/photo/page17.html:1"_s,
            u"stop:"_s,
            u"down:/image/2/pic2.jpg:1"_s,
            u"finishCaching"_s,
        };
        QCOMPARE(m_transfer->calls, expected);
    }

    void fullRunShowsEveryStepAndSavesEveryPicture()
    {
        buildSite(*m_transfer, 3);
        m_host->settings.pageCount = u"3"_s;
        m_driver->Down_Click();

        const QStringList stats = {
            u"Грузиццo главная..."_s,    u"Грузиццo страница 1..."_s, u"Грузиццо картинка 1..."_s,
            u"Грузиццo страница 2..."_s, u"Грузиццо картинка 2..."_s, u"Грузиццo страница 3..."_s,
            u"Грузиццо картинка 3..."_s, u"Создание альбома..."_s,    u"Фсе. Можно фтыкать."_s,
        };
        QCOMPARE(m_host->stats, stats);
        QCOMPARE(m_host->events.first(), u"state:Running"_s);
        const QStringList end = {u"stat:Создание альбома..."_s, u"stat:Фсе. Можно фтыкать."_s,
                                 u"state:Idle"_s};
        QCOMPARE(m_host->events.mid(m_host->events.size() - 3), end);
        QCOMPARE(m_host->states, (QList{CrawlHost::RunState::Running, CrawlHost::RunState::Idle}));
        QCOMPARE(m_host->failureMessages, 0);
        QVERIFY(!m_driver->Running());
        QCOMPARE(m_driver->PageCount(), qint16(3));
        QCOMPARE(m_driver->PageIndex(), qint16(4));

        QCOMPARE(m_album.calls, 1);
        QCOMPARE(m_album.count, 3);
        QVERIFY(m_album.pagePaths.size() > 3 && m_album.imageNames.size() > 3);
        QCOMPARE(m_album.pagePaths[0], QByteArray());
        QCOMPARE(m_album.imageNames[0], QByteArray());
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(m_album.pagePaths[i], pagePath(i));
            QCOMPARE(m_album.imageNames[i], "pic" + QByteArray::number(i) + ".jpg");
            const QString file = downloads() + u"/pic%1.jpg"_s.arg(i);
            QCOMPARE(TestSupport::readAll(file), pictureBytes(i));
            QCOMPARE(m_host->previews[i - 1], file);
        }
        QCOMPARE(QDir(downloads()).entryList(QDir::Files).size(), 3);
    }

    // The run ends as ever, but does not claim that all went well.
    void failingAlbumStillEndsTheRun()
    {
        buildSite(*m_transfer, 1);
        m_host->settings.pageCount = u"1"_s;
        m_albumAction = [this] {
            return FileIo::Error(FileIo::Reason::ReadOnly, downloads() + u"/index.htm"_s);
        };
        m_driver->Down_Click();
        QCOMPARE(m_album.calls, 1);
        QCOMPARE(m_album.folder, m_folder.path());
        QVERIFY(m_driver->albumUnsaved());
        QCOMPARE(m_host->stats.last(), u"Фсе, но альбом не записался: только для чтения."_s);
        QCOMPARE(m_host->events.last(), u"state:Idle"_s);
        QCOMPARE(m_host->failureMessages, 0);
    }

    // A flush made while the run went on, every 32 new pictures, that failed is told at the run's
    // end.
    void aFailedEarlyFlushIsToldAtTheEnd()
    {
        buildSite(*m_transfer, 40);
        m_host->settings.pageCount = u"40"_s;
        QList<qsizetype> flushed;
        m_driver->setFlushFunction([&flushed, this](const QStringList& paths) {
            flushed << paths.size();
            return flushed == QList<qsizetype>{32}
                       ? FileIo::Error(FileIo::Reason::NoSpace, downloads())
                       : FileIo::Error();
        });
        m_driver->Down_Click();
        QCOMPARE(flushed, (QList<qsizetype>{32, 41}));
        QCOMPARE(m_host->stats.last(), u"Фсе, но альбом не записался: места нет."_s);

        // Again: the pictures' files hold them already and have nothing to flush.
        flushed.clear();
        m_driver->Down_Click();
        QCOMPARE(flushed, QList<qsizetype>{1});
        QCOMPARE(m_host->stats.last(), u"Фсе. Можно фтыкать."_s);
    }

    void pageCountComesFromTheLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("pages");
        QTest::newRow("one") << u"1"_s << 1;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("not a number") << u"abc"_s << 0;
        QTest::newRow("beyond the range") << u"5000"_s << 3000;
    }

    void pageCountComesFromTheLabel()
    {
        QFETCH(QString, caption);
        QFETCH(int, pages);
        buildSite(*m_transfer, 3000);
        m_host->settings.pageCount = caption;
        m_driver->Down_Click();
        QCOMPARE(m_driver->PageCount(), qint16(pages));
        QCOMPARE(m_album.count, pages);
        QCOMPARE(m_transfer->downCalls().size(), 1 + 2 * pages);
        QCOMPARE(m_host->stats.last(), u"Фсе. Можно фтыкать."_s);
    }

    void moreThanAThousandPagesAreAllListed()
    {
        buildSite(*m_transfer, 1001);
        m_host->settings.pageCount = u"1001"_s;
        m_driver->Down_Click();
        QCOMPARE(m_album.count, 1001);
        QCOMPARE(m_album.pagePaths[1001], pagePath(1001));
        QCOMPARE(m_album.imageNames[1001], QByteArray("pic1001.jpg"));
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic1001.jpg"_s), pictureBytes(1001));
    }

    void stopDuringATransfer_data()
    {
        QTest::addColumn<int>("call");
        QTest::addColumn<int>("complete");
        QTest::addColumn<QString>("lastStat");
        QTest::newRow("front page") << 0 << 0 << u"Грузиццo главная..."_s;
        QTest::newRow("listing page 1") << 1 << 0 << u"Грузиццo страница 1..."_s;
        QTest::newRow("picture 1") << 2 << 0 << u"Грузиццо картинка 1..."_s;
        QTest::newRow("listing page 2") << 3 << 1 << u"Грузиццo страница 2..."_s;
        QTest::newRow("picture 3") << 6 << 2 << u"Грузиццо картинка 3..."_s;
    }

    void stopDuringATransfer()
    {
        QFETCH(int, call);
        QFETCH(int, complete);
        QFETCH(QString, lastStat);
        buildSite(*m_transfer, 5);
        m_host->settings.pageCount = u"5"_s;
        m_transfer->during = [&](const QByteArray&, int at) {
            if (at == call) {
                QVERIFY(m_driver->Running());
                m_driver->Down_Click();
                QVERIFY(!m_driver->Running());
            }
        };
        m_driver->Down_Click();

        QCOMPARE(m_transfer->downCalls().size(), call + 1);
        QCOMPARE(m_transfer->calls.count(u"Stopped"_s), 1);
        QCOMPARE(m_album.calls, 1);
        QCOMPARE(m_album.count, complete);
        QCOMPARE(m_driver->PageIndex(), qint16(complete + 1));
        QCOMPARE(m_host->stats.mid(m_host->stats.size() - 2),
                 (QStringList{lastStat, u"Абламался"_s}));
        QCOMPARE(QDir(downloads()).entryList(QDir::Files).size(), complete);
        QVERIFY(!QFile::exists(downloads() + u"/pic%1.jpg"_s.arg(complete + 1)));
        // The switch-off comes first; the end of the run follows once the transfer has returned.
        const QStringList tail = m_host->eventsFrom(u"state:SwitchedOff"_s);
        QCOMPARE(tail, (QStringList{u"state:SwitchedOff"_s, u"stat:Абламался"_s, u"state:Idle"_s}));
        QCOMPARE(m_host->failureMessages, 0);
        QVERIFY(!m_driver->Running());
    }

    void socketErrorSwitchesTheRunOffWithoutStopping()
    {
        buildSite(*m_transfer, 3);
        m_host->settings.pageCount = u"3"_s;
        m_transfer->during = [&](const QByteArray&, int at) {
            if (at == 4) { // picture 2
                m_transfer->failSocket();
                m_driver->socketError();
            }
        };
        m_driver->Down_Click();
        QCOMPARE(m_transfer->calls.count(u"Stopped"_s), 0);
        QCOMPARE(m_album.count, 1);
        QCOMPARE(m_host->stats.last(), u"Абламался"_s);
        QCOMPARE(m_host->failureMessages, 0);
        QVERIFY(!m_driver->Running());
    }

    void socketErrorWhileIdleStartsNothing()
    {
        buildSite(*m_transfer, 1);
        m_driver->socketError();
        QVERIFY(m_transfer->calls.isEmpty());
        QVERIFY(m_host->events.isEmpty());
        QVERIFY(!m_driver->Running());
    }

    void aClickDuringTheSwitchedOffTransferStartsNoSecondRun()
    {
        buildSite(*m_transfer, 3);
        m_host->settings.pageCount = u"3"_s;
        m_transfer->during = [&](const QByteArray&, int at) {
            if (at == 1) {
                m_driver->Down_Click(); // stop
                m_driver->Down_Click(); // at once again, before the transfer has returned
            }
        };
        m_driver->Down_Click();
        QCOMPARE(m_transfer->downCalls().size(), 2);
        QCOMPARE(m_album.calls, 1);
        QVERIFY(!m_driver->Running());
        // Once the run has ended, the button starts a new one.
        m_transfer->during = nullptr;
        m_driver->Down_Click();
        QCOMPARE(m_album.calls, 2);
        QCOMPARE(m_album.count, 3);
    }

    void closingTheWindowEndsTheRunQuietly()
    {
        buildSite(*m_transfer, 3);
        m_host->settings.pageCount = u"3"_s;
        m_transfer->during = [&](const QByteArray&, int at) {
            if (at == 3) { // listing page 2
                m_driver->windowClosing();
                m_transfer->abandonWait = true;
            }
        };
        m_driver->Down_Click();
        QCOMPARE(m_host->failureMessages, 0);
        QCOMPARE(m_album.calls, 1);
        QCOMPARE(m_album.count, 1);
        QCOMPARE(m_host->stats.last(), u"Абламался"_s);
        // No new run once the window is closing.
        m_driver->Down_Click();
        QCOMPARE(m_album.calls, 1);
    }

    void anEmptyReplyWithoutClosingIsAFailure()
    {
        buildSite(*m_transfer, 3);
        m_host->settings.pageCount = u"3"_s;
        m_transfer->during = [&](const QByteArray&, int at) { m_transfer->abandonWait = at == 3; };
        m_driver->Down_Click();
        QCOMPARE(m_host->failureMessages, 1);
        QCOMPARE(m_album.calls, 0);
    }

    void unexpectedPageEndsTheProgram_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<TransferOutcome>("outcome");
        const auto replied = [](const QByteArray& bytes) { return TransferOutcome::reply(bytes); };
        const QByteArray pic = picturePath(1);
        const QByteArray next = pagePath(2);
        QTest::newRow("front page without marker")
            << QByteArray("/") << replied(reply("<a href='/photo/page1.html'>x</a>"));
        QTest::newRow("front page without page path")
            << QByteArray("/") << replied(reply("<a href='/photo/pag1.html'>" + FrontMarker));
        QTest::newRow("front page marker at the start")
            << QByteArray("/") << replied(FrontMarker + "/photo/page1.html");
        QTest::newRow("404") << pagePath(1) << TransferOutcome::failed();
        QTest::newRow("no picture block")
            << pagePath(1)
            << replied(reply("<img src='" + pic + "'>&laquo;&laquo;<a href='" + next +
                             "'>&raquo;&raquo;"));
        QTest::newRow("no block end") << pagePath(1)
                                      << replied(reply(BlockMarker + "<img src='" + pic +
                                                       "'>&laquo;&laquo;<a href='" + next + "'>"));
        QTest::newRow("no navigation") << pagePath(1)
                                       << replied(reply(BlockMarker + "<img src='" + pic +
                                                        "'><a href='" + next + "'>&raquo;&raquo;"));
        QTest::newRow("navigation after the block end")
            << pagePath(1)
            << replied(reply(BlockMarker + "<img src='" + pic +
                             "'>&raquo;&raquo;&laquo;&laquo;<a href='" + next + "'>"));
        QTest::newRow("no next page")
            << pagePath(1)
            << replied(reply(BlockMarker + "<img src='" + pic +
                             "'>&laquo;&laquo;<a href='/next'>&raquo;&raquo;"));
        QTest::newRow("next page without apostrophe")
            << pagePath(1)
            << replied(reply(BlockMarker + "<img src='" + pic + "'>&laquo;&laquo;<a href=" + next +
                             ">&raquo;&raquo;"));
        QTest::newRow("no picture")
            << pagePath(1)
            << replied(reply(BlockMarker + "<img src='/img/1.jpg'>&laquo;&laquo;<a href='" + next +
                             "'>&raquo;&raquo;"));
        QTest::newRow("picture only beyond the block")
            << pagePath(1)
            << replied(reply(BlockMarker + "&laquo;&laquo;<a href='" + next +
                             "'>&raquo;&raquo;<img src='" + pic + "'>"));
        QTest::newRow("picture without apostrophe")
            << pagePath(1)
            << replied(reply(BlockMarker + "&laquo;&laquo;<a href='" + next + "'><img src=" + pic +
                             ">&raquo;&raquo;"));
        QTest::newRow("picture without header end") << pic << replied("HTTP/1.0 200 OK\r\n\nbytes");
        QTest::newRow("picture 404") << pic << TransferOutcome::failed();
    }

    void unexpectedPageEndsTheProgram()
    {
        QFETCH(QByteArray, path);
        QFETCH(TransferOutcome, outcome);
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"2"_s;
        m_transfer->outcomes.insert(path, outcome);
        m_driver->Down_Click();

        QCOMPARE(m_host->failureMessages, 1);
        QCOMPARE(m_host->failureText, u"Ашиыпка при абработке страниц сайта золванеком."_s);
        QCOMPARE(m_host->failureTitle, u"Ужос нах!"_s);
        QCOMPARE(m_host->events.last(), u"failure"_s);
        QCOMPARE(m_host->states, QList{CrawlHost::RunState::Running});
        QCOMPARE(m_album.calls, 0);
        QVERIFY(!m_host->stats.contains(u"Абламался"_s));
        QVERIFY(!m_driver->Running());
        QVERIFY(m_driver->failed());
        // The program is ending: nothing starts again.
        const qsizetype calls = m_transfer->calls.size();
        m_driver->Down_Click();
        QCOMPARE(m_transfer->calls.size(), calls);
    }

    void pathsAreCutFromTheRightPlaces()
    {
        m_host->settings.pageCount = u"1"_s;
        // The front page's path runs from its first "/photo/page" up to two bytes before the
        // marker.
        m_transfer->answer("/", reply("x /photo/page5.html?a=b\">" + FrontMarker));
        // The next page is the first page path after "&laquo;&laquo;"; the picture the first
        // "/image/" of the block, even when it comes after the navigation.
        m_transfer->answer("/photo/page5.html?a=b",
                           reply("/image/no.jpg' " + BlockMarker +
                                 " /photo/page1.html' &laquo;&laquo; x /photo/page2.html' "
                                 "/image/a/b c.png' /image/second.png' &raquo;&raquo;"));
        m_transfer->answer("/image/a/b c.png", "HTTP/1.0 200 OK\r\n\r\n\r\n\r\n");
        m_driver->Down_Click();
        QCOMPARE(m_transfer->downCalls(),
                 (QStringList{u"down:/:0"_s, u"down:/photo/page5.html?a=b:1"_s,
                              u"down:/image/a/b c.png:1"_s}));
        QCOMPARE(m_album.imageNames[1], QByteArray("b c.png"));
        // Everything after the first blank line is the picture, blank lines too.
        QCOMPARE(TestSupport::readAll(downloads() + u"/b c.png"_s), QByteArray("\r\n\r\n"));
    }

    void pictureNamesAreMadeSafe_data()
    {
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<QByteArray>("listed");
        QTest::addColumn<QString>("onDisk");
        QTest::newRow("backslash") << QByteArray("/image/..\\..\\evil.jpg")
                                   << QByteArray(".._.._evil.jpg") << u".._.._evil.jpg"_s;
        QTest::newRow("control bytes")
            << QByteArray("/image/a\tb\x01\x7F.gif") << QByteArray("a_b__.gif") << u"a_b__.gif"_s;
        QTest::newRow("windows-1251") << QByteArray("/image/\xEA\xEE\xF2\x98.jpg")
                                      << QByteArray("\xEA\xEE\xF2\x98.jpg") << u"кот\u0098.jpg"_s;
        QTest::newRow("dots in the name")
            << QByteArray("/image/.hidden..jpg") << QByteArray(".hidden..jpg") << u".hidden..jpg"_s;
        QTest::newRow("empty") << QByteArray("/image/") << QByteArray() << QString();
        QTest::newRow("dot") << QByteArray("/image/.") << QByteArray() << QString();
        QTest::newRow("dot dot") << QByteArray("/image/..") << QByteArray() << QString();
    }

    void pictureNamesAreMadeSafe()
    {
        QFETCH(QByteArray, picture);
        QFETCH(QByteArray, listed);
        QFETCH(QString, onDisk);
        m_host->settings.pageCount = u"2"_s;
        m_transfer->answer("/", frontPage("/photo/page1.html"));
        m_transfer->answer("/photo/page1.html", listingPage(picture, "/photo/page2.html"));
        m_transfer->answer("/photo/page2.html",
                           listingPage("/image/last.jpg", "/photo/page3.html"));
        m_transfer->answer(picture, "HTTP/1.0 200 OK\r\n\r\nsafe");
        m_transfer->answer("/image/last.jpg", "HTTP/1.0 200 OK\r\n\r\nlast");
        m_driver->Down_Click();

        QCOMPARE(m_album.count, 2);
        QCOMPARE(m_album.imageNames[1], listed);
        const QStringList files = QDir(downloads()).entryList(QDir::Files | QDir::Hidden);
        if (onDisk.isEmpty()) {
            // Nothing saved for that page, no preview, and the run went on.
            QCOMPARE(files, QStringList{u"last.jpg"_s});
            QCOMPARE(m_host->previews, QStringList{downloads() + u"/last.jpg"_s});
        } else {
            QCOMPARE(files.size(), 2);
            QVERIFY(files.contains(onDisk));
            QCOMPARE(TestSupport::readAll(downloads() + u'/' + onDisk), QByteArray("safe"));
        }
        // Nothing was written beside "downloads".
        QCOMPARE(
            QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{u"downloads"_s});
    }

    void anExistingPictureIsReplaced()
    {
        buildSite(*m_transfer, 1);
        m_host->settings.pageCount = u"1"_s;
        QVERIFY(QDir().mkpath(downloads()));
        TestSupport::writeAll(downloads() + u"/pic1.jpg"_s, QByteArray(5000, 'x'));
        TestSupport::writeAll(downloads() + u"/other.jpg"_s, "other");
        m_driver->Down_Click();
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic1.jpg"_s), pictureBytes(1));
        QCOMPARE(TestSupport::readAll(downloads() + u"/other.jpg"_s), QByteArray("other"));
    }

    // A link in a picture's place is replaced by the picture; what it pointed to stays as it was.
    void aLinkInThePlaceOfAPictureIsReplaced()
    {
        buildSite(*m_transfer, 1);
        m_host->settings.pageCount = u"1"_s;
        QVERIFY(QDir().mkpath(downloads()));
        const QString outside = m_folder.path() + u"/outside.txt"_s;
        TestSupport::writeAll(outside, "mine");
        QVERIFY(QFile::link(outside, downloads() + u"/pic1.jpg"_s));
        m_driver->Down_Click();
        QCOMPARE(TestSupport::readAll(outside), QByteArray("mine"));
        QVERIFY(!QFileInfo(downloads() + u"/pic1.jpg"_s).isSymLink());
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic1.jpg"_s), pictureBytes(1));
    }

    void aReadOnlyPictureStaysAndTheRunGoesOn()
    {
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"2"_s;
        QVERIFY(QDir().mkpath(downloads()));
        const QString locked = downloads() + u"/pic1.jpg"_s;
        TestSupport::writeAll(locked, "old");
        QVERIFY(
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        m_driver->Down_Click();
        QCOMPARE(TestSupport::readAll(locked), QByteArray("old"));
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic2.jpg"_s), pictureBytes(2));
        // The page is complete and its row names the file that stayed: no failure.
        QCOMPARE(m_album.count, 2);
        QCOMPARE(m_album.imageNames[1], QByteArray("pic1.jpg"));
        QCOMPARE(m_album.imageNames[2], QByteArray("pic2.jpg"));
        QCOMPARE(m_driver->unsavedPictures(), 0);
        QCOMPARE(m_host->stats.last(), u"Фсе. Можно фтыкать."_s);
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner));
    }

    // Pages 1..n show the pictures `names` (site names) with the bytes `bytes`; `listed` is
    // where the album finds each. A name comes again only for the same picture.
    void distinctPicturesKeepDistinctFiles_data()
    {
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<QList<QByteArray>>("bytes");
        QTest::addColumn<QList<QByteArray>>("listed");
        QTest::newRow("same name, same bytes")
            << QList<QByteArray>{"pic.jpg", "pic.jpg"} << QList<QByteArray>{"A", "A"}
            << QList<QByteArray>{"pic.jpg", "pic.jpg"};
        QTest::newRow("same name, other bytes")
            << QList<QByteArray>{"pic.jpg", "pic.jpg", "pic.jpg", "pic.jpg"}
            << QList<QByteArray>{"A", "B", "A", "C"}
            << QList<QByteArray>{"pic.jpg", "pic (2).jpg", "pic.jpg", "pic (3).jpg"};
        QTest::newRow("the site uses a numbered name too")
            << QList<QByteArray>{"pic.jpg", "pic.jpg", "pic (2).jpg"}
            << QList<QByteArray>{"A", "B", "C"}
            << QList<QByteArray>{"pic.jpg", "pic (2).jpg", "pic (2) (2).jpg"};
        QTest::newRow("a tab and the site's own underscore")
            << QList<QByteArray>{"tab\tx.gif", "tab_x.gif"} << QList<QByteArray>{"A", "B"}
            << QList<QByteArray>{"tab_x.gif", "tab_x (2).gif"};
        QTest::newRow("the album's own files")
            << QList<QByteArray>{"index.htm", "bg.gif", "bghead.gif", "head.gif"}
            << QList<QByteArray>{"A", "B", "C", "D"}
            << QList<QByteArray>{"index (2).htm", "bg (2).gif", "bghead (2).gif", "head (2).gif"};
    }

    void distinctPicturesKeepDistinctFiles()
    {
        QFETCH(QList<QByteArray>, names);
        QFETCH(QList<QByteArray>, bytes);
        QFETCH(QList<QByteArray>, listed);
        const int pages = int(names.size());
        buildSite(*m_transfer, pages);
        for (int i = 1; i <= pages; ++i) {
            const QByteArray picture = "/image/" + QByteArray::number(i) + "/" + names[i - 1];
            m_transfer->answer(pagePath(i), listingPage(picture, pagePath(i + 1)));
            m_transfer->answer(picture, "HTTP/1.0 200 OK\r\n\r\n" + bytes[i - 1]);
        }
        m_host->settings.pageCount = QString::number(pages);
        m_driver->Down_Click();

        QCOMPARE(m_host->stats.last(), u"Фсе. Можно фтыкать."_s);
        QCOMPARE(m_album.imageNames.mid(1, pages), listed);
        for (int i = 0; i < pages; ++i) {
            const QString file = downloads() + u'/' + QString::fromLatin1(listed[i]);
            QCOMPARE(TestSupport::readAll(file), bytes[i]);
            QCOMPARE(m_host->previews[i], file);
        }
        const QSet<QByteArray> distinct(listed.cbegin(), listed.cend());
        QCOMPARE(QDir(downloads()).entryList(QDir::Files).size(), distinct.size());
    }

    // Other failures lose the page its row, and the run says so.
    void aPictureThatCannotBeWrittenIsReported_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<QString>("why");
        QTest::newRow("a folder in its place") << false << u"там папка"_s;
        QTest::newRow("a full disk") << true << u"места нет"_s;
    }

    void aPictureThatCannotBeWrittenIsReported()
    {
        QFETCH(bool, fullDisk);
        QFETCH(QString, why);
        buildSite(*m_transfer, 1);
        m_host->settings.pageCount = u"1"_s;
        QVERIFY(QDir().mkpath(downloads() + (fullDisk ? QString() : u"/pic1.jpg"_s)));
        std::optional<FileIo::ScopedWriteFunction> full;
        if (fullDisk)
            full.emplace([](QByteArrayView) -> qint64 {
                errno = ENOSPC;
                return -1;
            });
        m_driver->Down_Click();
        QCOMPARE(m_album.imageNames[1], QByteArray());
        QCOMPARE(m_driver->unsavedPictures(), 1);
        QCOMPARE(m_host->stats.last(), u"Фсе, но 1 картинка не записалась: %1."_s.arg(why));
    }

    // A name is this run's only: the next run saves under it again.
    // The second run is a page longer: it lists every page too.
    void aNewRunReusesTheNames()
    {
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"1"_s;
        m_driver->Down_Click();
        m_transfer->answer(picturePath(1), "HTTP/1.0 200 OK\r\n\r\nnew bytes");
        m_host->settings.pageCount = u"2"_s;
        m_driver->Down_Click();
        QCOMPARE(m_album.count, 2);
        QCOMPARE(m_album.imageNames[1], QByteArray("pic1.jpg"));
        QCOMPARE(m_album.imageNames[2], QByteArray("pic2.jpg"));
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic1.jpg"_s), QByteArray("new bytes"));
    }

    void aDownloadsFileInsteadOfAFolderSkipsTheSaves()
    {
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"2"_s;
        TestSupport::writeAll(downloads(), "not a folder");
        m_driver->Down_Click();
        QCOMPARE(m_album.count, 2);
        QCOMPARE(TestSupport::readAll(downloads()), QByteArray("not a folder"));
        QCOMPARE(m_host->stats.last(), u"Фсе, но 2 картинки не записались: нет папки."_s);
        QCOMPARE(m_driver->unsavedPictures(), 2);
    }

    void pictureThatIsNoPictureIsNeitherSavedNorListed_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("500") << QByteArray(
            "HTTP/1.0 500 Internal Server Error\r\n\r\n<h1>oops</h1>");
        QTest::newRow("302") << QByteArray("HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\nmoved");
        QTest::newRow("empty body") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    }

    void pictureThatIsNoPictureIsNeitherSavedNorListed()
    {
        QFETCH(QByteArray, reply);
        buildSite(*m_transfer, 2);
        m_host->settings.pageCount = u"2"_s;
        m_transfer->answer(picturePath(1), reply);
        m_driver->Down_Click();
        QVERIFY(!QFile::exists(downloads() + u"/pic1.jpg"_s));
        QCOMPARE(TestSupport::readAll(downloads() + u"/pic2.jpg"_s), pictureBytes(2));
        QCOMPARE(m_album.count, 2);
        QCOMPARE(m_album.imageNames[1], QByteArray());
        QCOMPARE(m_host->previews, QStringList{downloads() + u"/pic2.jpg"_s});
        QCOMPARE(m_host->failureMessages, 0);
    }

    // 130 x "Ё" is 134 bytes from the site but 264 bytes as a UTF-8 name on disk.
    void longNameIsShortenedToWhatTheDiskTakes()
    {
        buildSite(*m_transfer, 1);
        m_host->settings.pageCount = u"1"_s;
        const QByteArray longName = QByteArray(130, '\xA8') + ".jpg";
        m_transfer->answer(pagePath(1), listingPage("/image/1/" + longName, pagePath(2)));
        m_transfer->answer("/image/1/" + longName, "HTTP/1.0 200 OK\r\n\r\n" + pictureBytes(1));
        m_driver->Down_Click();
        const QByteArray saved = QByteArray(125, '\xA8') + ".jpg";
        QCOMPARE(m_album.imageNames[1], saved);
        QCOMPARE(TestSupport::readAll(downloads() + u'/' + QString(125, u'Ё') + u".jpg"_s),
                 pictureBytes(1));
        QCOMPARE(m_host->stats.last(), u"Фсе. Можно фтыкать."_s);
    }
};

QTEST_GUILESS_MAIN(TestCrawlDriver)
#include "tst_CrawlDriver.moc"
