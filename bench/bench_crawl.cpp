// A download of many pages from the demo site, timed against curl fetching the same URLs in one
// process (HTTP/1.0, one connection per request, through the same proxy form, every reply written
// to a file), side by side in the same run:
//
//   drip  the demo site as it is: page tails beyond the stop markers trickle out (the marker's win)
//   full  the same replies from a static server at full loopback speed: whole replies in one
//         write, nothing made per request (what the client itself costs, as against nginx)
//
// In each mode: curl and zolvane-fetch with the program folder on tmpfs and on disk, a cold cache
// and a warm one (limit 1000, the same folder again), and the same run through the Main window
// (offscreen). Medians of every round; the ratios are checked against the targets.
//
//     bench_crawl [pages] [rounds] [drip|full|both]        (defaults 200, 5, both)
#include "core/platform/ProgramFolder.h"
#include "gui/Main.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// The whole reply the demo site sends for a request target.
QByteArray ask(quint16 port, const QByteArray& target)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + target + " HTTP/1.0\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    return reply + socket.readAll();
}

// A control request to the demo site; its reply body.
QByteArray control(quint16 port, const QByteArray& path)
{
    const QByteArray reply = ask(port, path);
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
        } while (paths.size() < count && waited.elapsed() < 5000 && (QThread::msleep(20), true));
        return paths;
    }

private:
    QTemporaryDir m_log;
    QProcess m_process;
    quint16 m_port = 0;
    qint64 m_logStart = 0;
};

// Serves fixed replies, each whole in one write, to direct and proxy-form requests alike: the
// replies the demo site gave, without its per-request work. One connection at a time, as both
// clients ask.
class StaticServer {
public:
    explicit StaticServer(QHash<QByteArray, QByteArray> replies) : m_replies(std::move(replies))
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 64);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~StaticServer()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    int requests() const { return m_requests; }
    void resetCount() { m_requests = 0; }

private:
    void serve()
    {
        while (!m_stop) {
            const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            answer(client);
            ::close(client);
        }
    }

    void answer(int client)
    {
        QByteArray request;
        char buffer[4096];
        while (!request.contains("\r\n\r\n")) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                return;
            request.append(buffer, got);
        }
        QByteArray target = request.split(' ').value(1);
        if (target.startsWith("http://"))
            target = target.mid(target.indexOf('/', 7));
        // curl's requests carry escapes where the program sends the site's raw bytes.
        target = QByteArray::fromPercentEncoding(target);
        ++m_requests;
        const QByteArray reply = m_replies.value(target, "HTTP/1.0 404 Not Found\r\n\r\n");
        for (qsizetype sent = 0; sent < reply.size();) {
            const ssize_t put =
                ::send(client, reply.constData() + sent, size_t(reply.size() - sent), MSG_NOSIGNAL);
            if (put <= 0)
                return; // the client has what it wanted and hung up
            sent += put;
        }
    }

    QHash<QByteArray, QByteArray> m_replies;
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic_bool m_stop = false;
    std::atomic_int m_requests = 0;
    std::thread m_thread;
};

// The whole reply the demo site sends for a path, asked in proxy form.
QByteArray wholeReply(quint16 port, const QByteArray& path)
{
    return ask(port, "http://zolvane.com" + path);
}

struct Timed {
    qint64 ms = -1;
    qint64 listingAndPictureRequests = 0;
};

std::optional<qint64> timeProcess(const QString& program, const QStringList& arguments,
                                  QByteArray* errors = nullptr)
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
    const qint64 elapsed = clock.elapsed();
    if (errors)
        *errors = process.readAllStandardError();
    return elapsed;
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

struct Medians {
    std::map<QString, QList<qint64>> times;
    qint64 warmRequests = 0;

    qint64 of(const QString& name) const
    {
        const auto found = times.find(name);
        return found == times.end() ? 0 : median(found->second);
    }
};

// What a round needs of the server: where it listens, and how many listing pages and pictures it
// was asked for since the count was last reset.
struct Server {
    quint16 port = 0;
    std::function<void()> resetCount;
    std::function<qint64()> pageAndPictureRequests;
};

// Times everything once, with the URLs curl fetches: those zolvane-fetch asked for.
bool runRound(const Server& server, int pages, const QList<QByteArray>& paths, DiskArea& diskArea,
              Medians& medians)
{
    const auto fetch = [&](const QString& folder) {
        return timeProcess(binary(u"zolvane-fetch"_s), fetchArguments(folder, server.port, pages));
    };
    const auto curl = [&](const QString& folder) {
        return timeProcess(u"curl"_s, curlArguments(folder, server.port, paths));
    };
    // Nothing the last step left dirty in the page cache is flushed on the next one's time.
    const auto settle = [] { ::sync(); };

    QTemporaryDir memory(memoryFolderTemplate());
    copyDecorations(memory.path());
    const auto cold = fetch(memory.path());
    // Warm: the same folder again; only the front page may go to the server.
    server.resetCount();
    const auto warm = fetch(memory.path());
    medians.warmRequests = server.pageAndPictureRequests();
    QTemporaryDir curlMemory(memoryFolderTemplate());
    const auto curlTmpfs = curl(curlMemory.path());

    const QString disk = diskArea.newFolder();
    copyDecorations(disk);
    settle();
    const auto coldDisk = fetch(disk);
    const QString curlDisk = diskArea.newFolder();
    settle();
    const auto curlOnDisk = curl(curlDisk);

    QTemporaryDir window(memoryFolderTemplate());
    copyDecorations(window.path());
    QByteArray windowReport;
    const auto windowed = timeProcess(
        QCoreApplication::applicationFilePath(),
        {u"--window-run"_s, window.path(), QString::number(server.port), QString::number(pages)},
        &windowReport);
    if (!cold || !warm || !curlTmpfs || !coldDisk || !curlOnDisk || !windowed)
        return false;
    // The window's own run, from the click to its end, as against the headless program's life.
    for (const QByteArray& line : windowReport.split('\n')) {
        if (line.startsWith("run "))
            medians.times[u"window run"_s] << line.mid(4).trimmed().toLongLong();
    }

    medians.times[u"curl tmpfs"_s] << *curlTmpfs;
    medians.times[u"fetch tmpfs cold"_s] << *cold;
    medians.times[u"fetch tmpfs warm"_s] << *warm;
    medians.times[u"curl disk"_s] << *curlOnDisk;
    medians.times[u"fetch disk cold"_s] << *coldDisk;
    medians.times[u"window tmpfs cold"_s] << *windowed;
    out << u"  round: curl %1 ms, cold %2 ms, warm %3 ms | disk: curl %4 ms, cold %5 ms | window %6 ms"_s
               .arg(*curlTmpfs)
               .arg(*cold)
               .arg(*warm)
               .arg(*curlOnDisk)
               .arg(*coldDisk)
               .arg(*windowed)
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
    const qint64 windowRun = m.of(u"window run"_s);
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
    out << u"| Main window, tmpfs, cold cache: the program | %1 ms | %2 x headless |"_s.arg(window)
               .arg(ratio(window, cold))
        << Qt::endl;
    out << u"| Main window, tmpfs, cold cache: the run | %1 ms | %2 x headless |"_s.arg(windowRun)
               .arg(ratio(windowRun, cold))
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
    check(u"window run <= 1.2 x headless"_s, windowRun <= cold * 1.2);
}

// One untimed run through the demo site: the URLs of a run, in order.
std::optional<QList<QByteArray>> discoverPaths(Site& site, int pages)
{
    QTemporaryDir folder(memoryFolderTemplate());
    copyDecorations(folder.path());
    site.reset();
    if (!timeProcess(binary(u"zolvane-fetch"_s), fetchArguments(folder.path(), site.port(), pages)))
        return std::nullopt;
    const QList<QByteArray> paths = site.pathsServed(1 + 2 * pages);
    if (paths.size() != 1 + 2 * pages)
        return std::nullopt;
    return paths;
}

// The replies of a run of `pages` from the demo site, on a static server.
std::unique_ptr<StaticServer> staticCopy(Site& site, const QList<QByteArray>& paths)
{
    QHash<QByteArray, QByteArray> replies;
    for (const QByteArray& path : paths)
        replies.insert(path, wholeReply(site.port(), path));
    return std::make_unique<StaticServer>(std::move(replies));
}

bool runMode(bool drip, int pages, int rounds)
{
    Site site(drip);
    if (site.port() == 0) {
        out << "the demo site did not start" << Qt::endl;
        return false;
    }
    const auto paths = discoverPaths(site, pages);
    if (!paths)
        return false;
    Server server;
    std::unique_ptr<StaticServer> staticServer;
    if (drip) {
        server = {site.port(), [&site] { site.reset(); },
                  [&site] {
                      const QByteArray stats = site.stats();
                      return std::max(statValue(stats, "listing"), qint64(0)) +
                             std::max(statValue(stats, "pictures"), qint64(0));
                  }};
    } else {
        staticServer = staticCopy(site, *paths);
        StaticServer* stat = staticServer.get();
        // The front page is asked for on every run; everything else is a listing page or picture.
        server = {stat->port(), [stat] { stat->resetCount(); },
                  [stat] { return qint64(stat->requests() - 1); }};
    }
    out << (drip ? u"drip mode (the demo site)"_s : u"full speed (a static server)"_s)
        << u": %1 pages, %2 rounds, %3 URLs"_s.arg(pages).arg(rounds).arg(paths->size())
        << Qt::endl;
    DiskArea diskArea;
    out << u"disk: %1"_s.arg(diskArea.describe()) << Qt::endl;
    Medians medians;
    for (int round = 0; round < rounds; ++round) {
        if (!runRound(server, pages, *paths, diskArea, medians))
            return false;
    }
    report(medians, !drip);
    return true;
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
    QElapsedTimer run;
    run.start();
    window.session().Down_Click();
    std::fprintf(stderr, "run %lld\n", static_cast<long long>(run.elapsed()));
    return window.session().PageIndex() - 1 == window.session().PageCount() ? 0 : 1;
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
    // For profiling a client by hand: the static copy of a run, serving until killed.
    if (args.value(1) == u"--serve"_s) {
        Site site(false);
        const auto paths = discoverPaths(site, args.value(2, u"200"_s).toInt());
        if (!paths)
            return 1;
        const auto server = staticCopy(site, *paths);
        out << server->port() << Qt::endl;
        return app.exec();
    }
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
        if (!runMode(drip, pages, rounds))
            return 1;
    }
    return 0;
}
