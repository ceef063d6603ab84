// A download of many pages, timed against curl fetching the same URLs in one process (HTTP/1.0,
// one connection per request, through the same proxy form, every reply written to a file on the
// same medium as the program's files), side by side in the same run:
//
//   full  nginx (Debian's, started here on free 127.0.0.1 ports and stopped at the end) serving a
//         copy of the site in its real shape: listing pages of about 68 KB whose stop marker lies
//         about 40 % in, photos of 5 to 60 KB, the front page. What the client itself costs.
//   drip  the demo site as it is: 160 KB page tails trickle out past the stop markers (what the
//         markers win).
//
// Each round times curl and zolvane-fetch with the program folder on tmpfs and on disk, a cold
// cache and a warm one (limit 1000, the same folder again), and the same run through the Main
// window (offscreen), whole processes from exec to reaped, with their CPU time. At full speed
// also: the peak memory of a run whose one picture is 105 MB, and the exec of the window program
// until its Main window is visible against a minimal Qt Widgets program started the same way.
// Medians of every round; at full speed each row is checked against its target.
//
//     bench_crawl [pages] [rounds] [drip|full|both]        (defaults 200, 5, both)
//     bench_crawl --serve [pages]     nginx with the copy of the site until Ctrl+C, for profiling
//                                     (prints its ports and a curl configuration of a run)
#include "SiteContent.h"
#include "bench/support/ChildRun.h"
#include "bench/support/LocalHttp.h"
#include "bench/support/NginxServer.h"
#include "bench/support/SiteCopy.h"
#include "bench/support/WindowStart.h"
#include "core/platform/ProgramFolder.h"
#include "gui/Main.h"
#include "gui/WindowApplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

constexpr qint64 HugePictureBytes = 105'000'000;
constexpr int WindowStartsPerRound = 3;

QString binary(const QString& name)
{
    return QStringLiteral(ZOLVANE_BIN_DIR) + u'/' + name;
}

QString memoryFolderTemplate()
{
    return u"/dev/shm/bench-crawl-XXXXXX"_s;
}

QString loadAverage()
{
    QFile file(u"/proc/loadavg"_s);
    if (!file.open(QIODevice::ReadOnly))
        return u"?"_s;
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

// A disk for the program folder: a fresh ext4 file system on a loop device when root may mount
// one, so that what earlier runs left and deleted does not weigh on the inode allocator (ext4
// searches long past recently freed inodes); else the home folder's disk.
class DiskArea {
public:
    DiskArea()
    {
        m_mountPoint = QDir::tempPath() + u"/bench-crawl-disk"_s;
        m_image = u"/var/tmp/bench-crawl-disk.img"_s;
        QDir().mkpath(m_mountPoint);
        if (run(u"truncate"_s, {u"-s"_s, u"2G"_s, m_image}) &&
            run(u"mkfs.ext4"_s, {u"-q"_s, u"-F"_s, m_image}) &&
            run(u"mount"_s, {u"-o"_s, u"loop"_s, m_image, m_mountPoint})) {
            m_mounted = true;
            m_root = m_mountPoint;
        } else {
            QFile::remove(m_image);
            m_root = QDir::homePath() + u"/.cache"_s;
            QDir().mkpath(m_root);
        }
    }
    ~DiskArea()
    {
        m_folders.clear();
        if (m_mounted)
            run(u"umount"_s, {m_mountPoint});
        QFile::remove(m_image);
    }

    QString describe() const
    {
        return m_mounted ? u"a fresh ext4 on a loop device"_s : u"the home folder's disk"_s;
    }

    // A new folder, kept until the end, so no deletion between runs weighs on the next one.
    QString newFolder()
    {
        m_folders.push_back(std::make_unique<QTemporaryDir>(m_root + u"/run-XXXXXX"_s));
        return m_folders.back()->path();
    }

private:
    static bool run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    QString m_mountPoint;
    QString m_image;
    QString m_root;
    bool m_mounted = false;
    std::vector<std::unique_ptr<QTemporaryDir>> m_folders;
};

// A control request to the demo site; its reply body.
QByteArray control(quint16 port, const QByteArray& path)
{
    const QByteArray reply = LocalHttp::get(port, path, 5000);
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

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The paths the site served, in order, from its request log, which escapes what is not printable.
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
            paths << QByteArray::fromPercentEncoding(target);
    }
    return paths;
}

// The demo site in a process of its own; its request log goes to a file, so a run that nobody
// reads the log of never blocks the site on a full pipe.
class Site {
public:
    Site()
    {
        m_process.setStandardErrorFile(m_log.filePath(u"requests.log"_s));
        m_process.start(binary(u"zolvane-demo-site"_s), {u"--port"_s, u"0"_s});
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

    qint64 requests() const { return statValue(control(m_port, "/__stats"), "requests"); }

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
        } while (paths.size() < count && waited.elapsed() < 5000 && (QThread::msleep(20), true));
        return paths;
    }

private:
    QTemporaryDir m_log;
    QProcess m_process;
    quint16 m_port = 0;
    qint64 m_logStart = 0;
};

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
                  << u"http://zolvane.com"_s +
                         QString::fromLatin1(path.toPercentEncoding("/:?=&.-_~+,;!*()"));
    return arguments;
}

void copyDecorations(const QString& folder)
{
    QDir().mkpath(folder + u"/data"_s);
    for (const QString& name : {u"bg.gif"_s, u"bghead.gif"_s, u"head.gif"_s})
        QFile::copy(binary(u"data/"_s + name), folder + u"/data/"_s + name);
}

// Every measurement of every round, by name.
struct Samples {
    std::map<QString, std::vector<qint64>> values;
    std::vector<qint64> warmRequests;

    qint64 of(const QString& name) const
    {
        const auto found = values.find(name);
        return found == values.end() ? 0 : median(found->second);
    }

    // A run's wall and CPU time under `name`; false, said why, when it failed.
    bool take(const QString& name, const ChildRun& run)
    {
        if (!run.ok) {
            out << name << u" failed: "_s << run.failure << Qt::endl
                << run.errors.right(2000) << Qt::endl;
            return false;
        }
        values[name].push_back(run.wallUs);
        values[name + u" cpu"_s].push_back(run.cpuUs);
        values[name + u" rss"_s].push_back(run.maxRssKb * 1024);
        return true;
    }
};

// What a round needs of the server: where it listens, and how many requests it has answered,
// less the ones its own counting adds.
struct Server {
    quint16 port = 0;
    std::function<qint64()> requests;
    int countingRequests = 0;
};

// At full speed only: the server of the huge picture and the start of the window program.
struct Extras {
    quint16 hugePort = 0;
    QList<QByteArray> hugePaths;
    QString benchStartup;
};

ChildRun fetch(const QString& folder, quint16 port, int pages)
{
    return ChildRun::run(binary(u"zolvane-fetch"_s), fetchArguments(folder, port, pages));
}

ChildRun curl(const QString& folder, quint16 port, const QList<QByteArray>& paths)
{
    return ChildRun::run(u"curl"_s, curlArguments(folder, port, paths));
}

// Nothing a step left dirty in the page cache is flushed on the next one's time.
void settle()
{
    ::sync();
}

bool timeTmpfs(const Server& server, int pages, const QList<QByteArray>& paths, bool curlFirst,
               Samples& samples)
{
    QTemporaryDir curlFolder(memoryFolderTemplate());
    QTemporaryDir folder(memoryFolderTemplate());
    copyDecorations(folder.path());
    if (curlFirst && !samples.take(u"curl tmpfs"_s, curl(curlFolder.path(), server.port, paths)))
        return false;
    if (!samples.take(u"cold tmpfs"_s, fetch(folder.path(), server.port, pages)))
        return false;
    // Warm: the same folder again; only the front page may go to the server.
    const qint64 before = server.requests();
    if (!samples.take(u"warm tmpfs"_s, fetch(folder.path(), server.port, pages)))
        return false;
    samples.warmRequests.push_back(server.requests() - before - server.countingRequests);
    return curlFirst || samples.take(u"curl tmpfs"_s, curl(curlFolder.path(), server.port, paths));
}

bool timeDisk(const Server& server, int pages, const QList<QByteArray>& paths, bool curlFirst,
              DiskArea& disk, Samples& samples)
{
    const auto timeCurl = [&] {
        const QString folder = disk.newFolder();
        settle();
        return samples.take(u"curl disk"_s, curl(folder, server.port, paths));
    };
    const auto timeFetch = [&] {
        const QString folder = disk.newFolder();
        copyDecorations(folder);
        settle();
        return samples.take(u"cold disk"_s, fetch(folder, server.port, pages));
    };
    const bool taken = curlFirst ? timeCurl() && timeFetch() : timeFetch() && timeCurl();
    settle();
    return taken;
}

// The window's whole process, from exec to end, and its own run from the click.
bool timeWindow(const Server& server, int pages, Samples& samples)
{
    QTemporaryDir folder(memoryFolderTemplate());
    copyDecorations(folder.path());
    WindowStart::writeSettings(folder.path(), pages, server.port);
    const ChildRun run =
        ChildRun::run(QCoreApplication::applicationFilePath(), {u"--window-run"_s, folder.path()},
                      {{u"QT_QPA_PLATFORM=offscreen"_s}, 600000});
    if (!samples.take(u"window"_s, run))
        return false;
    for (const QByteArray& line : run.errors.split('\n')) {
        if (line.startsWith("run-us "))
            samples.values[u"window run"_s].push_back(line.mid(7).trimmed().toLongLong());
    }
    return true;
}

bool timeExtras(const Extras& extras, Samples& samples)
{
    QTemporaryDir folder(memoryFolderTemplate());
    copyDecorations(folder.path());
    if (!samples.take(u"huge picture"_s, fetch(folder.path(), extras.hugePort, 1)))
        return false;
    QTemporaryDir curlFolder(memoryFolderTemplate());
    if (!samples.take(u"huge picture curl"_s,
                      curl(curlFolder.path(), extras.hugePort, extras.hugePaths)))
        return false;
    for (int i = 0; i < WindowStartsPerRound; ++i) {
        // Alternating, so that a change in the machine's load weighs on both alike.
        for (const auto kind : {WindowStart::Kind::Main, WindowStart::Kind::Minimal}) {
            const WindowStart::Measured start = WindowStart::measure(extras.benchStartup, kind);
            if (!start.ok) {
                out << u"window start failed: "_s << start.failure << Qt::endl;
                return false;
            }
            const QString name =
                kind == WindowStart::Kind::Main ? u"visible main"_s : u"visible minimal"_s;
            samples.values[name].push_back(start.visibleUs);
            samples.values[name + u" ended"_s].push_back(start.wholeUs);
        }
    }
    return true;
}

bool runRound(int round, const Server& server, int pages, const QList<QByteArray>& paths,
              DiskArea& disk, const Extras* extras, Samples& samples)
{
    if (!timeTmpfs(server, pages, paths, round % 2 == 0, samples) ||
        !timeDisk(server, pages, paths, round % 2 == 1, disk, samples) ||
        !timeWindow(server, pages, samples) || (extras && !timeExtras(*extras, samples)))
        return false;
    const auto ms = [&](const QString& name) {
        return QString::number(double(samples.values[name].back()) / 1000.0, 'f', 1);
    };
    out << u"  round %1: tmpfs curl %2, cold %3, warm %4 | disk curl %5, cold %6 | window %7 ms"_s
               .arg(round + 1)
               .arg(ms(u"curl tmpfs"_s), ms(u"cold tmpfs"_s), ms(u"warm tmpfs"_s),
                    ms(u"curl disk"_s), ms(u"cold disk"_s), ms(u"window"_s))
        << (extras
                ? u" | visible %1 vs %2 ms"_s.arg(ms(u"visible main"_s), ms(u"visible minimal"_s))
                : QString())
        << u" | load %1"_s.arg(loadAverage()) << Qt::endl;
    return true;
}

QString milliseconds(qint64 micros)
{
    return u"%1 ms"_s.arg(double(micros) / 1000.0, 0, 'f', 1);
}

QString megabytes(qint64 bytes)
{
    return u"%1 MB"_s.arg(double(bytes) / 1e6, 0, 'f', 1);
}

double ratio(qint64 ours, qint64 theirs)
{
    return theirs > 0 ? double(ours) / double(theirs) : 0.0;
}

QString times(double value)
{
    return u"%1×"_s.arg(value, 0, 'f', 2);
}

class Table {
public:
    explicit Table(bool checked) : m_checked(checked)
    {
        out << u"| | now | beside | ratio | target | |"_s << Qt::endl
            << u"|---|---|---|---|---|---|"_s << Qt::endl;
    }

    void row(const QString& what, const QString& now, const QString& beside, const QString& ratio,
             const QString& target, bool met)
    {
        const QString verdict = m_checked ? (met ? u"PASS"_s : u"MISSED"_s) : u"—"_s;
        out << u"| %1 | %2 | %3 | %4 | %5 | %6 |"_s.arg(what, now, beside, ratio,
                                                        m_checked ? target : u"—"_s, verdict)
            << Qt::endl;
        m_missed += m_checked && !met;
    }

    int missed() const { return m_missed; }

private:
    bool m_checked;
    int m_missed = 0;
};

QString withCpu(const Samples& s, const QString& name)
{
    return u"%1, CPU %2"_s.arg(milliseconds(s.of(name)), milliseconds(s.of(name + u" cpu"_s)));
}

void report(const Samples& s, bool full, qint64 hugeBytes)
{
    Table table(full);
    const qint64 cold = s.of(u"cold tmpfs"_s);
    const double tmpfs = ratio(cold, s.of(u"curl tmpfs"_s));
    table.row(u"cold run, program folder on tmpfs"_s, withCpu(s, u"cold tmpfs"_s),
              u"curl "_s + withCpu(s, u"curl tmpfs"_s), times(tmpfs) + u" curl"_s, u"≤ 0.9× curl"_s,
              tmpfs <= 0.9);
    const double disk = ratio(s.of(u"cold disk"_s), s.of(u"curl disk"_s));
    table.row(u"cold run, program folder on disk"_s, withCpu(s, u"cold disk"_s),
              u"curl "_s + withCpu(s, u"curl disk"_s), times(disk) + u" curl"_s, u"≤ 1.0× curl"_s,
              disk <= 1.0);
    const double warm = ratio(s.of(u"warm tmpfs"_s), cold);
    const qint64 warmRequests = s.warmRequests.empty() ? -1 : s.warmRequests.back();
    const bool onlyFront =
        !s.warmRequests.empty() &&
        std::all_of(s.warmRequests.begin(), s.warmRequests.end(), [](qint64 n) { return n == 1; });
    table.row(u"warm run (limit 1000), including the process start"_s,
              withCpu(s, u"warm tmpfs"_s) + u"; the server saw %1 request(s)"_s.arg(warmRequests),
              u"cold "_s + milliseconds(cold), times(warm) + u" cold"_s,
              u"≤ 0.3×, no request but the front page"_s, warm <= 0.3 && onlyFront);
    if (full) {
        const double memory = ratio(s.of(u"huge picture rss"_s), hugeBytes);
        table.row(u"peak memory, a %1 picture"_s.arg(megabytes(hugeBytes)),
                  megabytes(s.of(u"huge picture rss"_s)),
                  u"curl "_s + megabytes(s.of(u"huge picture curl rss"_s)),
                  times(memory) + u" the picture"_s, u"≤ 1.5×"_s, memory <= 1.5);
    }
    const double window = ratio(s.of(u"window"_s), cold);
    table.row(u"the window's whole process (start, run, end) against the headless run"_s,
              withCpu(s, u"window"_s) +
                  u" (its run from the click %1)"_s.arg(milliseconds(s.of(u"window run"_s))),
              u"headless "_s + milliseconds(cold), times(window), u"≤ 1.3×"_s, window <= 1.3);
    if (full) {
        const double visible = ratio(s.of(u"visible main"_s), s.of(u"visible minimal"_s));
        table.row(u"exec until the Main window is visible, against a minimal Qt Widgets program "
                  "started the same way"_s,
                  milliseconds(s.of(u"visible main"_s)) +
                      u" (ended %1)"_s.arg(milliseconds(s.of(u"visible main ended"_s))),
                  u"minimal "_s + milliseconds(s.of(u"visible minimal"_s)) +
                      u" (ended %1)"_s.arg(milliseconds(s.of(u"visible minimal ended"_s))),
                  times(visible), u"≤ 1.1×"_s, visible <= 1.1);
        out << (table.missed() == 0 ? u"every target met"_s
                                    : u"%1 target(s) MISSED"_s.arg(table.missed()))
            << Qt::endl;
    }
}

// One untimed run through the demo site: the URLs of a run, in order.
std::optional<QList<QByteArray>> discoverPaths(Site& site, int pages)
{
    QTemporaryDir folder(memoryFolderTemplate());
    copyDecorations(folder.path());
    site.reset();
    const ChildRun run = fetch(folder.path(), site.port(), pages);
    if (!run.ok) {
        out << u"zolvane-fetch failed against the demo site: "_s << run.failure << Qt::endl;
        return std::nullopt;
    }
    const QList<QByteArray> paths = site.pathsServed(1 + 2 * pages);
    if (paths.size() != 1 + 2 * pages)
        return std::nullopt;
    return paths;
}

bool runRounds(const Server& server, int pages, int rounds, const QList<QByteArray>& paths,
               const Extras* extras, qint64 hugeBytes)
{
    DiskArea disk;
    out << u"disk: %1; load average at the start %2 (%3 cores)"_s.arg(disk.describe())
               .arg(loadAverage())
               .arg(std::thread::hardware_concurrency())
        << Qt::endl;
    Samples samples;
    for (int round = 0; round < rounds; ++round) {
        if (!runRound(round, server, pages, paths, disk, extras, samples))
            return false;
    }
    report(samples, extras != nullptr, hugeBytes);
    return true;
}

bool runDrip(int pages, int rounds)
{
    Site site;
    if (site.port() == 0) {
        out << "the demo site did not start" << Qt::endl;
        return false;
    }
    const auto paths = discoverPaths(site, pages);
    if (!paths)
        return false;
    out << u"drip mode (the demo site, its page tails trickling): %1 pages, %2 rounds, %3 URLs"_s
               .arg(pages)
               .arg(rounds)
               .arg(paths->size())
        << Qt::endl;
    const Server server{site.port(), [&site] { return site.requests(); }, 0};
    return runRounds(server, pages, rounds, *paths, nullptr, 0);
}

// The real-shaped copy of the site and the huge-picture site, each in a folder nginx may read.
struct ServedCopies {
    QTemporaryDir site{memoryFolderTemplate()};
    QTemporaryDir huge{memoryFolderTemplate()};
    qint64 hugeBytes = 0;
    NginxServer nginx;

    ~ServedCopies()
    {
        nginx.stop();
        // QTemporaryDir cannot name the files whose names are KOI8-R bytes.
        SiteCopy::removeFiles(site.path());
        SiteCopy::removeFiles(huge.path());
    }

    QString make(const SiteContent& content, int pages)
    {
        for (const QTemporaryDir* root : {&site, &huge}) {
            // nginx's worker may run as another user.
            QFile::setPermissions(root->path(), QFile::permissions(root->path()) |
                                                    QFileDevice::ReadOther | QFileDevice::ExeOther);
        }
        QString error = SiteCopy::write(content, pages, site.path());
        if (error.isEmpty())
            error = SiteCopy::writeHugePicture(huge.path(), HugePictureBytes, &hugeBytes);
        return error.isEmpty() ? nginx.start({site.path(), huge.path()}) : error;
    }
};

bool runFull(int pages, int rounds)
{
    if (NginxServer::executable().isEmpty()) {
        out << u"full speed: SKIP, nginx is not installed (scripts/bench installs it, or "
               "scripts/setup bench)"_s
            << Qt::endl;
        return true;
    }
    const SiteContent content(DemoSiteOptions::realShape());
    ServedCopies copies;
    if (const QString error = copies.make(content, pages); !error.isEmpty()) {
        out << u"full speed: SKIP, "_s << error << Qt::endl;
        return true;
    }
    const QList<QByteArray> paths = SiteCopy::runPaths(content, pages);
    const SiteCopy::Shape shape = SiteCopy::shapeOf(content, pages);
    out << u"full speed: %1 on 127.0.0.1:%2 (one worker, sendfile, no access log), the "
           "site in its real shape: %3 listing pages of %4 KB (median), stop marker %5–%6 % in, "
           "pictures %7–%8 KB (median %9 KB; %10), the front page; %11 URLs, %12 rounds"_s
               .arg(copies.nginx.version())
               .arg(copies.nginx.port(0))
               .arg(pages)
               .arg(double(shape.pageBytesMedian) / 1024, 0, 'f', 1)
               .arg(qRound(shape.stopShareLow * 100))
               .arg(qRound(shape.stopShareHigh * 100))
               .arg(double(shape.pictureBytesLow) / 1024, 0, 'f', 1)
               .arg(double(shape.pictureBytesHigh) / 1024, 0, 'f', 1)
               .arg(double(shape.pictureBytesMedian) / 1024, 0, 'f', 1)
               .arg(QString::fromLatin1(shape.formats.join(", ")))
               .arg(paths.size())
               .arg(rounds)
        << Qt::endl;

    // A first run proves that the copy is what the program expects (exit status 0: every page
    // complete and saved), before anything is timed.
    {
        QTemporaryDir folder(memoryFolderTemplate());
        copyDecorations(folder.path());
        const ChildRun proof = fetch(folder.path(), copies.nginx.port(0), pages);
        if (!proof.ok) {
            out << u"zolvane-fetch failed against nginx: "_s << proof.failure << Qt::endl
                << proof.output << proof.errors << Qt::endl;
            return false;
        }
    }
    const Server server{copies.nginx.port(0), [&copies] { return copies.nginx.requests(); }, 1};
    const SiteContent hugeContent = [] {
        DemoSiteOptions options = DemoSiteOptions::realShape();
        options.pictureNames.insert(1, "ogromnaya.bmp");
        return SiteContent(options);
    }();
    const Extras extras{copies.nginx.port(1), SiteCopy::runPaths(hugeContent, 1),
                        QCoreApplication::applicationDirPath() + u"/bench_startup"_s};
    return runRounds(server, pages, rounds, paths, &extras, copies.hugeBytes);
}

// The run as a user starts it in the window: settings pointing at the site (written by the
// bench), one click on «Качать». Reports the run's own time, from the click to its end.
int windowRun(const QString& folder)
{
    Main window{ProgramFolder(folder)};
    window.show();
    QElapsedTimer run;
    run.start();
    window.session().Down_Click();
    std::fprintf(stderr, "run-us %lld\n", static_cast<long long>(run.nsecsElapsed() / 1000));
    return window.session().PageIndex() - 1 == window.session().PageCount() ? 0 : 1;
}

// nginx with the copy of the site until Ctrl+C or SIGTERM. Prints the ports and a curl
// configuration that fetches a run's URLs into the current folder, as the bench's curl does.
int serve(int pages)
{
    const SiteContent content(DemoSiteOptions::realShape());
    ServedCopies copies;
    if (const QString error = copies.make(content, pages); !error.isEmpty()) {
        out << error << Qt::endl;
        return 1;
    }
    QTemporaryDir curlFolder;
    QFile config(curlFolder.filePath(u"curl.cfg"_s));
    if (!config.open(QIODevice::WriteOnly))
        return 1;
    const QStringList arguments = curlArguments(u"."_s, 0, SiteCopy::runPaths(content, pages));
    for (qsizetype i = 4; i + 2 < arguments.size(); i += 3)
        config.write("output = \"" + arguments[i + 1].toUtf8() + "\"\nurl = \"" +
                     arguments[i + 2].toUtf8() + "\"\n");
    config.close();
    out << u"site %1\nhuge %2\ncurl-config %3"_s.arg(copies.nginx.port(0))
               .arg(copies.nginx.port(1))
               .arg(config.fileName())
        << Qt::endl;
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    ::sigprocmask(SIG_BLOCK, &blocked, &previous);
    while (!ChildRun::interrupted())
        ::sigsuspend(&previous);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 2 && QByteArrayView(argv[1]) == "--window-run") {
        const auto app = WindowApplication::make(argc, argv);
        return windowRun(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    ChildRun::catchInterrupts();
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == u"--serve"_s)
        return serve(args.value(2, u"200"_s).toInt());
    const int pages = args.size() > 1 ? args[1].toInt() : 200;
    const int rounds = args.size() > 2 ? args[2].toInt() : 5;
    const QString modes = args.size() > 3 ? args[3] : u"both"_s;
    if (pages < 1 || rounds < 1 ||
        (modes != u"drip"_s && modes != u"full"_s && modes != u"both"_s)) {
        out << "usage: bench_crawl [pages] [rounds] [drip|full|both]" << Qt::endl;
        return 64;
    }
    if (QStandardPaths::findExecutable(u"curl"_s).isEmpty()) {
        out << "curl is not installed (scripts/setup installs it)" << Qt::endl;
        return 1;
    }
    if (modes != u"full"_s && !runDrip(pages, rounds))
        return 1;
    if (modes != u"drip"_s && !runFull(pages, rounds))
        return 1;
    return ChildRun::interrupted() ? 130 : 0;
}
