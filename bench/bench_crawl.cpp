// A download of many pages from the demo site, timed against curl fetching the same URLs in one
// process (HTTP/1.0, one connection per request, through the same proxy form, every reply written
// to a file), side by side in the same run:
//
//   drip  the site as it is: page tails beyond the stop markers trickle out (the marker's win)
//   full  the site at full loopback speed: whole pages at once (what the program itself costs)
//
// In each mode: curl and zolvane-fetch with the program folder on tmpfs and on disk, a cold cache
// and a warm one (limit 1000, the same folder again), and the same run through the Main window
// (offscreen). Medians of every round; the ratios are checked against the targets.
//
//     bench_crawl [pages] [rounds] [drip|full|both]        (defaults 200, 5, both)
#include "app/MainWindow.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <map>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

QString binary(const QString& name)
{
    return QStringLiteral(ZOLVANE_BIN_DIR) + u'/' + name;
}

QString memoryFolderTemplate()
{
    return u"/dev/shm/bench-crawl-XXXXXX"_s;
}

QString diskFolderTemplate()
{
    return QDir::homePath() + u"/.cache/bench-crawl-XXXXXX"_s;
}

// A control request to the demo site; its reply body.
QByteArray control(quint16 port, const QByteArray& path)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + path + " HTTP/1.0\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    reply += socket.readAll();
    return reply.mid(reply.indexOf("\r\n\r\n") + 4);
}

qint64 statValue(const QByteArray& stats, const QByteArray& key)
{
    for (const QByteArray& line : stats.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 2 && words[0] == key)
            return words[1].toLongLong();
    }
    return -1;
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// The paths the site served, in order, from its request log.
QList<QByteArray> servedPaths(const QByteArray& log)
{
    QList<QByteArray> paths;
    for (const QByteArray& line : log.split('\n')) {
        if (!line.startsWith("GET "))
            continue;
        QByteArray target = line.split(' ').value(1);
        if (target.startsWith("http://"))
            target = target.mid(target.indexOf('/', 7));
        if (!target.startsWith("/__"))
            paths << target;
    }
    return paths;
}

// The demo site in a process of its own; its request log goes to a file, so a run that nobody
// reads the log of never blocks the site on a full pipe.
class Site {
public:
    explicit Site(bool drip)
    {
        QStringList arguments = {u"--port"_s, u"0"_s};
        if (!drip)
            arguments << u"--tail-pause-ms"_s << u"0"_s;
        m_process.setStandardErrorFile(m_log.filePath(u"requests.log"_s));
        m_process.start(binary(u"zolvane-demo-site"_s), arguments);
        if (m_process.waitForReadyRead(10000))
            m_port = quint16(m_process.readLine().trimmed().toUInt());
    }
    ~Site()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    quint16 port() const { return m_port; }

    // Counters and log start afresh.
    void reset()
    {
        control(m_port, "/__reset");
        m_logStart = QFileInfo(m_log.filePath(u"requests.log"_s)).size();
    }

    QByteArray stats() const { return control(m_port, "/__stats"); }

    // The site logs each request as it ends; waits until `count` are in since the last reset.
    QList<QByteArray> pathsServed(int count) const
    {
        QElapsedTimer waited;
        waited.start();
        QList<QByteArray> paths;
        do {
            QFile log(m_log.filePath(u"requests.log"_s));
            if (log.open(QIODevice::ReadOnly) && log.seek(m_logStart))
                paths = servedPaths(log.readAll());
        } while (paths.size() < count && waited.elapsed() < 5000 &&
                 (QThread::msleep(20), true));
        return paths;
    }

private:
    QTemporaryDir m_log;
    QProcess m_process;
    quint16 m_port = 0;
    qint64 m_logStart = 0;
};

struct Timed {
    qint64 ms = -1;
    qint64 listingAndPictureRequests = 0;
};

std::optional<qint64> timeProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        out << QFileInfo(program).fileName() << " failed: " << process.readAllStandardError()
            << Qt::endl;
        return std::nullopt;
    }
    return clock.elapsed();
}

QStringList fetchArguments(const QString& folder, quint16 port, int pages)
{
    return {
        u"--folder"_s,     folder,         u"--pages"_s,      QString::number(pages), u"--proxy"_s,
        u"--proxy-name"_s, u"127.0.0.1"_s, u"--proxy-port"_s, QString::number(port),  u"--cache"_s,
        u"1000"_s,         u"--quiet"_s};
}

// curl writes every reply to a file of its own in `folder`, as the program writes its pictures and
// cache entries.
QStringList curlArguments(const QString& folder, quint16 port, const QList<QByteArray>& paths)
{
    QStringList arguments = {u"--http1.0"_s, u"-s"_s, u"-x"_s, u"127.0.0.1:%1"_s.arg(port)};
    int n = 0;
    for (const QByteArray& path : paths)
        arguments << u"-o"_s << u"%1/reply%2"_s.arg(folder).arg(++n)
                  << u"http://zolvane.com"_s + QString::fromLatin1(path);
    return arguments;
}

void copyDecorations(const QString& folder)
{
    QDir().mkpath(folder + u"/data"_s);
    for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s})
        QFile::copy(binary(u"data/"_s + name), folder + u"/data/"_s + name);
}

struct Medians {
    std::map<QString, QList<qint64>> times;
    qint64 warmRequests = 0;

    qint64 of(const QString& name) const
    {
        const auto found = times.find(name);
        return found == times.end() ? 0 : median(found->second);
    }
};

bool runRound(Site& site, int pages, Medians& medians)
{
    const int urls = 1 + 2 * pages;
    // zolvane-fetch, cold, tmpfs; its requests are the URLs curl fetches.
    QTemporaryDir memory(memoryFolderTemplate());
    copyDecorations(memory.path());
    site.reset();
    const auto cold =
        timeProcess(binary(u"zolvane-fetch"_s), fetchArguments(memory.path(), site.port(), pages));
    if (!cold)
        return false;
    const QList<QByteArray> paths = site.pathsServed(urls);

    // Warm: the same folder again; only the front page may go to the site.
    site.reset();
    const auto warm =
        timeProcess(binary(u"zolvane-fetch"_s), fetchArguments(memory.path(), site.port(), pages));
    if (!warm)
        return false;
    const QByteArray warmStats = site.stats();
    medians.warmRequests = std::max(statValue(warmStats, "listing"), qint64(0)) +
                           std::max(statValue(warmStats, "pictures"), qint64(0));

    QTemporaryDir curlMemory(memoryFolderTemplate());
    const auto curlTmpfs =
        timeProcess(u"curl"_s, curlArguments(curlMemory.path(), site.port(), paths));

    QTemporaryDir disk(diskFolderTemplate());
    copyDecorations(disk.path());
    const auto coldDisk =
        timeProcess(binary(u"zolvane-fetch"_s), fetchArguments(disk.path(), site.port(), pages));
    QTemporaryDir curlDisk(diskFolderTemplate());
    const auto curlOnDisk =
        timeProcess(u"curl"_s, curlArguments(curlDisk.path(), site.port(), paths));

    QTemporaryDir window(memoryFolderTemplate());
    copyDecorations(window.path());
    const auto windowed = timeProcess(
        QCoreApplication::applicationFilePath(),
        {u"--window-run"_s, window.path(), QString::number(site.port()), QString::number(pages)});
    if (!curlTmpfs || !coldDisk || !curlOnDisk || !windowed)
        return false;

    medians.times[u"curl tmpfs"_s] << *curlTmpfs;
    medians.times[u"fetch tmpfs cold"_s] << *cold;
    medians.times[u"fetch tmpfs warm"_s] << *warm;
    medians.times[u"curl disk"_s] << *curlOnDisk;
    medians.times[u"fetch disk cold"_s] << *coldDisk;
    medians.times[u"window tmpfs cold"_s] << *windowed;
    out << u"  round: curl %1 ms, cold %2 ms, warm %3 ms | disk: curl %4 ms, cold %5 ms | window %6 ms (%7 URLs)"_s
               .arg(*curlTmpfs)
               .arg(*cold)
               .arg(*warm)
               .arg(*curlOnDisk)
               .arg(*coldDisk)
               .arg(*windowed)
               .arg(paths.size())
        << Qt::endl;
    return true;
}

QString ratio(qint64 ours, qint64 theirs)
{
    return theirs > 0 ? QString::number(double(ours) / double(theirs), 'f', 2) : u"-"_s;
}

void report(const Medians& m, bool full)
{
    const qint64 curlTmpfs = m.of(u"curl tmpfs"_s);
    const qint64 curlDisk = m.of(u"curl disk"_s);
    const qint64 cold = m.of(u"fetch tmpfs cold"_s);
    const qint64 warm = m.of(u"fetch tmpfs warm"_s);
    const qint64 disk = m.of(u"fetch disk cold"_s);
    const qint64 window = m.of(u"window tmpfs cold"_s);
    out << u"| | wall time (median) | ratio |"_s << Qt::endl << u"|---|---|---|"_s << Qt::endl;
    out << u"| curl, tmpfs | %1 ms | |"_s.arg(curlTmpfs) << Qt::endl;
    out << u"| zolvane-fetch, tmpfs, cold cache | %1 ms | %2 x curl |"_s.arg(cold).arg(
               ratio(cold, curlTmpfs))
        << Qt::endl;
    out << u"| zolvane-fetch, tmpfs, warm cache | %1 ms | %2 x cold |"_s.arg(warm).arg(
               ratio(warm, cold))
        << Qt::endl;
    out << u"| curl, disk | %1 ms | |"_s.arg(curlDisk) << Qt::endl;
    out << u"| zolvane-fetch, disk, cold cache | %1 ms | %2 x curl |"_s.arg(disk).arg(
               ratio(disk, curlDisk))
        << Qt::endl;
    out << u"| Main window, tmpfs, cold cache | %1 ms | %2 x headless |"_s.arg(window).arg(
               ratio(window, cold))
        << Qt::endl;
    out << u"warm run: %1 requests for listing pages or pictures"_s.arg(m.warmRequests) << Qt::endl;
    if (!full)
        return;
    const auto check = [](const QString& what, bool met) {
        out << (met ? u"  met:    "_s : u"  MISSED: "_s) << what << Qt::endl;
    };
    check(u"tmpfs <= 0.8 x curl"_s, cold <= curlTmpfs * 0.8);
    check(u"disk <= 1.0 x curl"_s, disk <= curlDisk);
    check(u"warm <= 0.3 x cold, nothing but the front page asked for"_s,
          warm <= cold * 0.3 && m.warmRequests == 0);
    check(u"window <= 1.2 x headless"_s, window <= cold * 1.2);
}

// The run as a user starts it in the window: settings pointing at the site, one click on «Качать».
int windowRun(const QStringList& args)
{
    const QString folder = args.value(2);
    QFile settings(folder + u"/options.ini"_s);
    if (!settings.open(QIODevice::WriteOnly))
        return 1;
    settings.write("[Main]\r\nDownloadImages=" + args.value(4).toLatin1() +
                   "\r\nUseProxy=True\r\nProxyName=127.0.0.1\r\nProxyPort=" +
                   args.value(3).toLatin1() + "\r\nCasheSize=1000\r\n");
    settings.close();
    Main window{ProgramFolder(folder)};
    window.show();
    window.driver().Down_Click();
    return window.driver().PageIndex() - 1 == window.driver().PageCount() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && QByteArrayView(argv[1]) == "--window-run") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return windowRun(QCoreApplication::arguments());
    }
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int pages = args.size() > 1 ? args[1].toInt() : 200;
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const QString modes = args.size() > 3 ? args[3] : u"both"_s;
    if (QStandardPaths::findExecutable(u"curl"_s).isEmpty()) {
        out << "curl is not installed (scripts/setup installs it)" << Qt::endl;
        return 1;
    }
    QDir().mkpath(QDir::homePath() + u"/.cache"_s);
    for (const bool drip : {true, false}) {
        if ((drip && modes == u"full"_s) || (!drip && modes == u"drip"_s))
            continue;
        Site site(drip);
        if (site.port() == 0) {
            out << "the demo site did not start" << Qt::endl;
            return 1;
        }
        out << (drip ? u"drip mode"_s : u"full speed"_s)
            << u": %1 pages, %2 rounds"_s.arg(pages).arg(rounds) << Qt::endl;
        Medians medians;
        for (int round = 0; round < rounds; ++round) {
            if (!runRound(site, pages, medians))
                return 1;
        }
        report(medians, !drip);
    }
    return 0;
}
