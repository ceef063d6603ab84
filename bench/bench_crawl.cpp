// A 200-page download from the demo site: zolvane-fetch against curl fetching the same URLs in one
// process (HTTP/1.0, one connection per request, through the same proxy form). Prints the median
// times, their ratio and the bytes each moved.
//
//     bench_crawl [pages] [rounds]        (defaults 200 and 3)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

QString binary(const QString& name)
{
    return QStringLiteral(ZOLVANE_BIN_DIR) + u'/' + name;
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

struct Round {
    qint64 ms = 0;
    qint64 siteBytes = 0;   // what the site sent before the client hung up
    qint64 clientBytes = 0; // what the client counted
    qint64 requests = 0;
};

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

// A memory file system when there is one: every picture and cache entry is flushed to disk as it
// is written, which on a busy disk costs more than the network, and curl writes to /dev/null.
QString memoryFolderTemplate()
{
    const QFileInfo memory(u"/dev/shm"_s);
    return memory.isDir() && memory.isWritable() ? u"/dev/shm/bench-crawl-XXXXXX"_s
                                                 : QDir::tempPath() + u"/bench-crawl-XXXXXX"_s;
}

std::optional<Round> runFetch(quint16 port, int pages, const QString& folderTemplate)
{
    QTemporaryDir folder(folderTemplate);
    QProcess fetch;
    QElapsedTimer clock;
    clock.start();
    fetch.start(binary(u"zolvane-fetch"_s),
                {u"--folder"_s, folder.path(), u"--pages"_s, QString::number(pages), u"--proxy"_s,
                 u"--proxy-name"_s, u"127.0.0.1"_s, u"--proxy-port"_s, QString::number(port)});
    if (!fetch.waitForFinished(600000) || fetch.exitCode() != 0) {
        out << "zolvane-fetch failed: " << fetch.readAllStandardError() << Qt::endl;
        return std::nullopt;
    }
    Round round;
    round.ms = clock.elapsed();
    // The traffic line of the last progress line: "Трафек: N Кб".
    const QString text = QString::fromUtf8(fetch.readAllStandardOutput());
    const qsizetype at = text.lastIndexOf(u"Трафек: "_s);
    if (at >= 0)
        round.clientBytes = text.mid(at + 8).section(u' ', 0, 0).toLongLong() * 1024;
    return round;
}

std::optional<Round> runCurl(quint16 port, const QList<QByteArray>& paths)
{
    QStringList arguments = {u"--http1.0"_s, u"-s"_s,
                             u"-x"_s,        u"127.0.0.1:%1"_s.arg(port),
                             u"-w"_s,        u"%{size_download} %{size_header}\\n"_s};
    for (const QByteArray& path : paths)
        arguments << u"-o"_s << u"/dev/null"_s
                  << u"http://zolvane.com"_s + QString::fromLatin1(path);
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(u"curl"_s, arguments);
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        out << "curl failed: " << curl.readAllStandardError() << Qt::endl;
        return std::nullopt;
    }
    Round round;
    round.ms = clock.elapsed();
    for (const QByteArray& line : curl.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> sizes = line.split(' ');
        if (sizes.size() == 2)
            round.clientBytes += sizes[0].toLongLong() + sizes[1].toLongLong();
    }
    return round;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int pages = args.size() > 1 ? args[1].toInt() : 200;
    const int rounds = args.size() > 2 ? args[2].toInt() : 3;
    if (QStandardPaths::findExecutable(u"curl"_s).isEmpty()) {
        out << "curl is not installed (scripts/setup installs it)" << Qt::endl;
        return 1;
    }

    QProcess site;
    site.start(binary(u"zolvane-demo-site"_s), {u"--port"_s, u"0"_s});
    if (!site.waitForReadyRead(10000)) {
        out << "the demo site did not start" << Qt::endl;
        return 1;
    }
    const auto port = quint16(site.readLine().trimmed().toUInt());
    // From here on the site only logs its requests.
    site.setReadChannel(QProcess::StandardError);

    QList<qint64> fetchMs, curlMs;
    Round fetchLast, curlLast;
    for (int round = 0; round < rounds; ++round) {
        control(port, "/__reset");
        while (site.waitForReadyRead(100))
            site.readAllStandardError();
        site.readAllStandardError();
        const std::optional<Round> fetched = runFetch(port, pages, memoryFolderTemplate());
        if (!fetched)
            return 1;
        const QByteArray fetchStats = control(port, "/__stats");
        // The site logs each request as it ends; wait until every one is in.
        QByteArray log = site.readAllStandardError();
        while (servedPaths(log).size() < 1 + 2 * pages && site.waitForReadyRead(2000))
            log += site.readAllStandardError();
        const QList<QByteArray> paths = servedPaths(log);

        control(port, "/__reset");
        const std::optional<Round> curled = runCurl(port, paths);
        if (!curled)
            return 1;
        const QByteArray curlStats = control(port, "/__stats");

        fetchLast = *fetched;
        fetchLast.siteBytes = statValue(fetchStats, "bytes");
        fetchLast.requests = statValue(fetchStats, "requests");
        curlLast = *curled;
        curlLast.siteBytes = statValue(curlStats, "bytes");
        curlLast.requests = statValue(curlStats, "requests");
        fetchMs << fetched->ms;
        curlMs << curled->ms;
        out << u"round %1: zolvane-fetch %2 ms, curl %3 ms (%4 URLs)"_s.arg(round + 1)
                   .arg(fetched->ms)
                   .arg(curled->ms)
                   .arg(paths.size())
            << Qt::endl;
    }
    // Once more with the program folder on disk, as a user runs it.
    const std::optional<Round> onDisk =
        runFetch(port, pages, QDir::tempPath() + u"/bench-crawl-XXXXXX"_s);
    site.kill();
    site.waitForFinished();

    const qint64 ours = median(fetchMs);
    const qint64 theirs = median(curlMs);
    out << u"pages: %1, rounds: %2"_s.arg(pages).arg(rounds) << Qt::endl;
    out << u"zolvane-fetch: median %1 ms, %2 requests, site sent %3 bytes, traffic line %4 bytes"_s
               .arg(ours)
               .arg(fetchLast.requests)
               .arg(fetchLast.siteBytes)
               .arg(fetchLast.clientBytes)
        << Qt::endl;
    out << u"curl:          median %1 ms, %2 requests, site sent %3 bytes, curl received %4 bytes"_s
               .arg(theirs)
               .arg(curlLast.requests)
               .arg(curlLast.siteBytes)
               .arg(curlLast.clientBytes)
        << Qt::endl;
    if (onDisk)
        out << u"zolvane-fetch with its folder on disk (%1): %2 ms"_s.arg(QDir::tempPath())
                   .arg(onDisk->ms)
            << Qt::endl;
    out << u"ratio zolvane-fetch / curl: %1"_s.arg(theirs > 0 ? double(ours) / double(theirs) : 0.0,
                                                   0, 'f', 2)
        << Qt::endl;
    return 0;
}
