// zolvane-fetch as a user runs it: its command line, its output, Ctrl+C and its exit status.
#include "DemoSiteThread.h"
#include "core/crawl/PictureName.h"
#include "core/settings/Ini.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString fetchProgram()
{
    return QStringLiteral(ZOLVANE_BIN_DIR) + u"/zolvane-fetch"_s;
}

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished finish(QProcess& process)
{
    Finished result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

Finished runFetch(const QStringList& arguments)
{
    QProcess process;
    process.start(fetchProgram(), arguments);
    if (!process.waitForStarted())
        return {};
    return finish(process);
}

} // namespace

class TestFetch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoSiteThread> m_site;
    std::unique_ptr<QTemporaryDir> m_folder;

    QString folder() const { return m_folder->path(); }
    QString album() const { return folder() + u"/downloads/index.htm"_s; }

    QStringList siteArguments(int pages) const
    {
        return {u"--folder"_s,          folder(),          u"--pages"_s,
                QString::number(pages), u"--proxy"_s,      u"--proxy-name"_s,
                u"127.0.0.1"_s,         u"--proxy-port"_s, QString::number(m_site->port())};
    }

    int albumRows() const { return int(TestSupport::readAll(album()).count("<tr>\r\n<td>\r\n")); }

    // The demo site's page 6 shows another picture under page 1's name, which a run saves
    // under a numbered name.
    QString savedPicture(int page) const
    {
        const QByteArray name = page == 6
                                    ? QByteArray("zakat (2).jpg")
                                    : PictureName::safeName(m_site->content().picture(page).name);
        return folder() + u"/downloads/"_s + PictureName::diskName(name);
    }

    // Every entry holds the reply of the path the database names for it: a listing page cut
    // soon after its stop marker, or a picture whole.
    void verifyCacheAnswersItsPaths() const
    {
        const QString cache = folder() + u"/!cashe"_s;
        const QByteArray database = TestSupport::readAll(cache + u"/!Cashe.dat"_s);
        const auto entries = Ini::ReadSection(database, "Cashe");
        QVERIFY(!entries.isEmpty());
        for (const auto& [key, path] : entries) {
            const QByteArray reply =
                TestSupport::readAll(cache + u'/' + QString::fromLatin1(key) + u".tmp"_s);
            const qsizetype headerEnd = reply.indexOf("\r\n\r\n");
            QVERIFY2(headerEnd > 0, key.constData());
            const QByteArray body = reply.sliced(headerEnd + 4);
            if (const int page = m_site->content().positionOfListingPath(path)) {
                QVERIFY2(m_site->content().listingPage(page).startsWith(body), path.constData());
                QVERIFY2(body.contains("&raquo;&raquo;"), path.constData());
            } else {
                const int picture = m_site->content().positionOfPicturePath(path);
                QVERIFY2(picture > 0, path.constData());
                QVERIFY2(body == m_site->content().pictureBytes(picture), path.constData());
            }
        }
    }

    // A demo site whose every reply trickles out `bytes` at a time, `pauseMs` apart.
    bool startDrippingSite(int bytes, int pauseMs)
    {
        DemoSiteOptions options;
        options.dripBytes = bytes;
        options.dripPauseMs = pauseMs;
        m_site = std::make_unique<DemoSiteThread>(options);
        return m_site->server().addFault("drip=all");
    }

    // Reads the program's output until `text` is out; what was read is kept in `out`.
    static bool waitForOutput(QProcess& process, const QByteArray& text, QByteArray& out)
    {
        const QDeadlineTimer deadline(30000);
        while (!out.contains(text) && !deadline.hasExpired() &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(1000);
            out += process.readAllStandardOutput();
        }
        return out.contains(text);
    }

    // The database is complete, and every entry it names holds a reply.
    void verifyCacheIsWhole() const
    {
        const QString cache = folder() + u"/!cashe"_s;
        const QByteArray database = TestSupport::readAll(cache + u"/!Cashe.dat"_s);
        if (database.isEmpty())
            return;
        QVERIFY(database.endsWith("\r\n"));
        for (const auto& [key, path] : Ini::ReadSection(database, "Cashe")) {
            const QString entry = cache + u'/' + QString::fromLatin1(key) + u".tmp"_s;
            QVERIFY2(QFileInfo(entry).size() > 0, qPrintable(entry));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_site = std::make_unique<DemoSiteThread>();
        m_folder = std::make_unique<QTemporaryDir>(ScratchFolder::templatePath());
        QVERIFY(m_folder->isValid());
        QVERIFY(QDir().mkpath(folder() + u"/data"_s));
        for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s})
            QVERIFY(QFile::copy(QStringLiteral(ZOLVANE_BIN_DIR) + u"/data/"_s + name,
                                folder() + u"/data/"_s + name));
    }

    void cleanup()
    {
        m_site.reset();
        m_folder.reset();
    }

    void help()
    {
        const Finished done = runFetch({u"--help"_s});
        QCOMPARE(done.exitCode, 0);
        QVERIFY(done.out.contains(u"--pages"_s));
        QVERIFY(done.out.contains(u"Exit status"_s));
        QVERIFY(done.out.contains(u"--verbose"_s));
        QVERIFY(done.out.contains(u"--stall-timeout <N>"_s));
        QVERIFY(done.out.contains(u"5 another run is going on"_s));
    }

    void wrongCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no pages") << QStringList{u"--pages"_s, u"0"_s};
        QTest::newRow("too many pages") << QStringList{u"--pages"_s, u"3001"_s};
        QTest::newRow("not a number") << QStringList{u"-n"_s, u"ten"_s};
        QTest::newRow("cache too big") << QStringList{u"--cache"_s, u"40000"_s};
        QTest::newRow("stall time-out below 0") << QStringList{u"--stall-timeout"_s, u"-1"_s};
        QTest::newRow("unknown option") << QStringList{u"--window"_s};
        QTest::newRow("stray argument") << QStringList{u"10"_s};
    }

    void wrongCommandLine()
    {
        QFETCH(QStringList, arguments);
        arguments.prepend(folder());
        arguments.prepend(u"--folder"_s);
        const Finished done = runFetch(arguments);
        QCOMPARE(done.exitCode, 64);
        QVERIFY(!done.err.isEmpty());
        // Nothing was fetched or written.
        QCOMPARE(m_site->stats().requests, 0);
        QVERIFY(!QFile::exists(folder() + u"/downloads"_s));
    }

    void completeRun()
    {
        const Finished done = runFetch(siteArguments(3));
        QCOMPARE(done.exitCode, 0);
        const QStringList lines = done.out.split(u'\n', Qt::SkipEmptyParts);
        const QStringList stats = {
            u"Грузиццo главная..."_s,    u"Грузиццo страница 1..."_s, u"Грузиццо картинка 1..."_s,
            u"Грузиццo страница 2..."_s, u"Грузиццо картинка 2..."_s, u"Грузиццo страница 3..."_s,
            u"Грузиццо картинка 3..."_s, u"Создание альбома..."_s,    u"Фсе. Можно фтыкать."_s};
        QStringList shownStats = lines;
        shownStats.removeIf([](const QString& line) {
            return line.startsWith(u'[') || line.startsWith(u"Альбом: "_s);
        });
        QCOMPARE(shownStats, stats);
        for (int i = 1; i <= 3; ++i) {
            const QString saved = QDir(folder()).filePath(
                u"downloads/"_s + QString::fromLatin1(m_site->content().picture(i).name));
            const QString progress = u"[%1/3] %2 (%3 bytes)"_s.arg(i).arg(saved).arg(
                m_site->content().pictureBytes(i).size());
            QVERIFY2(std::any_of(lines.cbegin(), lines.cend(),
                                 [&](const QString& l) { return l.startsWith(progress); }),
                     qPrintable(progress));
        }
        QCOMPARE(lines.last(), u"Альбом: "_s + album());
        QCOMPARE(albumRows(), 3);
        // The headless run leaves the settings file to the program with a window.
        QVERIFY(!QFile::exists(folder() + u"/options.ini"_s));
        QVERIFY(QFile::exists(folder() + u"/!cashe/!Cashe.dat"_s));
    }

    void quietRun()
    {
        QStringList arguments = siteArguments(2);
        arguments << u"--quiet"_s;
        const Finished done = runFetch(arguments);
        QCOMPARE(done.exitCode, 0);
        QCOMPARE(done.out, u"Фсе. Можно фтыкать.\nАльбом: "_s + album() + u'\n');
    }

    void signalStopsLikeTheButton_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl+C") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }

    void signalStopsLikeTheButton()
    {
        QFETCH(int, signal);
        QVERIFY(m_site->server().addFault("stall=picture:3"));
        QProcess process;
        process.start(fetchProgram(), siteArguments(5));
        QVERIFY(process.waitForStarted());
        QByteArray out;
        const QDeadlineTimer deadline(30000);
        while (!out.contains("Грузиццо картинка 3...") && !deadline.hasExpired() &&
               process.state() == QProcess::Running) {
            process.waitForReadyRead(1000);
            out += process.readAllStandardOutput();
        }
        QVERIFY(out.contains("Грузиццо картинка 3..."));
        ::kill(pid_t(process.processId()), signal);
        Finished done = finish(process);
        done.out.prepend(QString::fromUtf8(out));
        QCOMPARE(done.exitCode, 2);
        QVERIFY(done.out.contains(u"Загрузка прервана\nАбламался\n"_s));
        QVERIFY(!done.out.contains(u"Фсе"_s));
        QCOMPARE(albumRows(), 2);
    }

    void pageThatIsNotThereFails()
    {
        QVERIFY(m_site->server().addFault("404=page:2"));
        const Finished done = runFetch(siteArguments(4));
        QCOMPARE(done.exitCode, 1);
        QVERIFY(done.err.contains(u"Ужос нах!: Ашиыпка при абработке страниц сайта золванеком."_s));
        QVERIFY(!QFile::exists(album()));
    }

    void networkErrorEndsEarly()
    {
        // A port nobody listens on: the proxy connection is refused.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        QStringList arguments = siteArguments(2);
        arguments.last() = QString::number(closedPort);
        QVERIFY(QDir().mkpath(folder() + u"/downloads"_s));
        const Finished done = runFetch(arguments);
        QCOMPARE(done.exitCode, 3);
        QVERIFY(done.out.contains(u"Абламался"_s));
        QVERIFY(done.err.contains(u"10061"_s));
        QCOMPARE(albumRows(), 0);
        QVERIFY(QFile::exists(album()));
    }

    // Nothing could be saved: the run must not end as if all went well.
    void nothingSavedIsNoSuccess()
    {
        TestSupport::writeAll(folder() + u"/downloads"_s, "a file, not a folder");
        const Finished done = runFetch(siteArguments(3));
        QCOMPARE(done.exitCode, 4);
        QVERIFY2(done.out.contains(u"Фсе, но 3 картинки и альбом не записались: нет папки."_s),
                 qPrintable(done.out));
        QVERIFY(!done.out.contains(u"Фсе. Можно фтыкать."_s));
        QCOMPARE(TestSupport::readAll(folder() + u"/downloads"_s),
                 QByteArray("a file, not a folder"));
    }

    // A cache that cannot be kept (a file where its folder belongs) costs the run nothing; with
    // --verbose every store that failed says so on stderr, without it nothing is logged.
    void verboseLogsFailedCacheStores_data()
    {
        QTest::addColumn<bool>("verbose");
        QTest::newRow("--verbose") << true;
        QTest::newRow("without --verbose") << false;
    }

    void verboseLogsFailedCacheStores()
    {
        QFETCH(bool, verbose);
        const QString cache = folder() + u"/!cashe"_s;
        TestSupport::writeAll(cache, "a file, not a folder");
        QStringList arguments = siteArguments(2);
        if (verbose)
            arguments << u"--verbose"_s;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_LOGGING_RULES"_s);
        process.setProcessEnvironment(environment);
        process.start(fetchProgram(), arguments);
        QVERIFY(process.waitForStarted());
        const Finished done = finish(process);

        QCOMPARE(done.exitCode, 0);
        QCOMPARE(albumRows(), 2);
        QStringList logged = done.err.split(u'\n', Qt::SkipEmptyParts);
        logged.removeIf([](const QString& line) { return !line.startsWith(u"zolvane."_s); });
        // Two listing pages and two pictures: four stores.
        QCOMPARE(logged.size(), verbose ? 4 : 0);
        for (const QString& line : std::as_const(logged)) {
            QVERIFY2(line.startsWith(u"zolvane.cache: not stored: /"_s), qPrintable(line));
            QVERIFY2(line.contains(cache), qPrintable(line));
        }
        QCOMPARE(TestSupport::readAll(cache), QByteArray("a file, not a folder"));
    }

    // Two runs in one folder: the second says so, starts nothing and ends with its own status;
    // the first, going on meanwhile, saves its album, pictures and cache as if alone.
    void secondRunInTheFolderIsRefused()
    {
        QVERIFY(startDrippingSite(1024, 10));
        constexpr int Pages = 4;
        QProcess first;
        first.start(fetchProgram(), siteArguments(Pages));
        QVERIFY(first.waitForStarted());
        QByteArray firstOut;
        QVERIFY(waitForOutput(first, "Грузиццo страница 1...", firstOut));

        const Finished second = runFetch(siteArguments(2));
        QCOMPARE(second.exitCode, 5);
        QCOMPARE(second.out, u"Тут уже качаеццо, пагади.\n"_s);
        QCOMPARE(second.err, u"another run is going on in %1: nothing started\n"_s.arg(folder()));
        QCOMPARE(first.state(), QProcess::Running);

        Finished done = finish(first);
        done.out.prepend(QString::fromUtf8(firstOut));
        QCOMPARE(done.exitCode, 0);
        QVERIFY(done.out.endsWith(u"Фсе. Можно фтыкать.\nАльбом: "_s + album() + u'\n'));
        QCOMPARE(albumRows(), Pages);
        for (int i = 1; i <= Pages; ++i)
            QCOMPARE(TestSupport::readAll(savedPicture(i)), m_site->content().pictureBytes(i));
        verifyCacheIsWhole();
        verifyCacheAnswersItsPaths();
        QVERIFY(!QFile::exists(folder() + u"/.zolvane.lock"_s));
    }

    // The lock dies with its process: a run killed while it holds the folder keeps no later run
    // out.
    void killedRunLeavesTheFolderFree()
    {
        QVERIFY(m_site->server().addFault("stall=picture:1"));
        QProcess killed;
        killed.start(fetchProgram(), siteArguments(2));
        QVERIFY(killed.waitForStarted());
        QByteArray out;
        QVERIFY(waitForOutput(killed, "Грузиццо картинка 1...", out));
        killed.kill();
        QVERIFY(killed.waitForFinished());

        m_site->server().clearFaults();
        const Finished next = runFetch(siteArguments(2));
        QCOMPARE(next.exitCode, 0);
        QCOMPARE(albumRows(), 2);
    }

    // Saves killed in earlier runs left their temporary files: the next run removes them, of
    // either form, and leaves those of a save still going on.
    void leftoversOfKilledSavesGo()
    {
        const qint64 ended = TestSupport::endedProcessId();
        QVERIFY(ended > 0);
        const QString downloads = folder() + u"/downloads/"_s;
        const QString cache = folder() + u"/!cashe/"_s;
        QVERIFY(QDir().mkpath(downloads));
        QVERIFY(QDir().mkpath(cache));
        const QStringList gone = {
            downloads + u".zolvane.%1.00000000deadbeef.tmp"_s.arg(ended),
            cache + u".zolvane.%1.00000000deadbeef.tmp"_s.arg(ended),
            folder() + u"/.zolvane.%1.00000000deadbeef.tmp"_s.arg(ended),
            downloads + u".zolvane.00000000deadbeef.tmp"_s,
        };
        for (const QString& path : gone) {
            TestSupport::writeAll(path, "half a picture");
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                     QFileDevice::FileModificationTime));
        }
        const QString stillSaving = downloads + u".zolvane.%1.00000000deadbeef.tmp"_s.arg(
                                                    QCoreApplication::applicationPid());
        TestSupport::writeAll(stillSaving, "a save going on");

        QCOMPARE(runFetch(siteArguments(1)).exitCode, 0);
        for (const QString& path : gone)
            QVERIFY2(!QFile::exists(path), qPrintable(path));
        QVERIFY(QFile::exists(stillSaving));
    }

    // Nobody sits at a headless run to stop a transfer that never ends: it ends by itself as a
    // timed-out connection, with the album of the pages before.
    void stalledTransferEndsTheRun()
    {
        QVERIFY(m_site->server().addFault("stall=picture:2"));
        QStringList arguments = siteArguments(3);
        arguments << u"--stall-timeout"_s << u"1"_s;
        const Finished done = runFetch(arguments);
        QCOMPARE(done.exitCode, 3);
        QVERIFY2(done.err.contains(u"Ошибка 10060"_s), qPrintable(done.err));
        QVERIFY(done.out.contains(u"Абламался"_s));
        QCOMPARE(albumRows(), 1);
        QCOMPARE(TestSupport::readAll(savedPicture(1)), m_site->content().pictureBytes(1));
    }

    // Killed at any moment, a run leaves every file as it was or whole: pictures, the album, the
    // decoration images and the cache, whose database never names an entry it lacks.
    void killedRunsLeaveEveryFileOldOrNew()
    {
        QVERIFY(startDrippingSite(512, 1));
        constexpr int Pages = 8;
        const QString downloads = folder() + u"/downloads"_s;
        QVERIFY(QDir().mkpath(downloads));
        const QByteArray oldBytes = "an older picture of that name";
        for (int i = 1; i <= Pages; ++i)
            TestSupport::writeAll(savedPicture(i), oldBytes);
        TestSupport::writeAll(album(), "an older album");

        // A cache of one entry: every store empties the cache and writes a new database, and no
        // run is shortened by what an earlier one kept.
        QStringList arguments = siteArguments(Pages);
        arguments << u"--cache"_s << u"0"_s;
        for (const int killAfterMs : {40, 150, 300, 450, 600}) {
            QProcess process;
            process.start(fetchProgram(), arguments);
            QVERIFY(process.waitForStarted());
            QTest::qWait(killAfterMs);
            if (process.state() != QProcess::NotRunning) {
                process.kill();
                QVERIFY(process.waitForFinished());
            }

            // Each page's file holds the older picture or its own.
            for (int i = 1; i <= Pages; ++i) {
                const QByteArray bytes = TestSupport::readAll(savedPicture(i));
                bool known = bytes == oldBytes;
                for (int j = 1; j <= Pages; ++j)
                    known |= savedPicture(j) == savedPicture(i) &&
                             bytes == m_site->content().pictureBytes(j);
                QVERIFY2(known, qPrintable(savedPicture(i)));
            }
            const QByteArray albumBytes = TestSupport::readAll(album());
            QVERIFY(albumBytes == "an older album" || albumBytes.endsWith("</html>\r\n"));
            for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s}) {
                const QString copy = downloads + u'/' + name;
                QVERIFY(!QFile::exists(copy) ||
                        TestSupport::readAll(copy) ==
                            TestSupport::readAll(folder() + u"/data/"_s + name));
            }
            verifyCacheIsWhole();
        }
        // And the next run, from that cache, ends as if nothing had happened.
        QCOMPARE(runFetch(siteArguments(Pages)).exitCode, 0);
        for (int i = 1; i <= Pages; ++i)
            QCOMPARE(TestSupport::readAll(savedPicture(i)), m_site->content().pictureBytes(i));
        QCOMPARE(albumRows(), Pages);
    }
};

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_Fetch.moc"
