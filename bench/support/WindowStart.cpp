#include "bench/support/WindowStart.h"

#include "bench/support/ChildRun.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace WindowStart {

void writeSettings(const QString& folder, int pages, quint16 proxyPort)
{
    QFile settings(folder + u"/options.ini"_s);
    if (!settings.open(QIODevice::WriteOnly))
        return;
    settings.write("[Main]\r\nDownloadImages=" + QByteArray::number(pages) +
                   "\r\nUseProxy=True\r\nProxyName=127.0.0.1\r\nProxyPort=" +
                   QByteArray::number(proxyPort) + "\r\nCasheSize=1000\r\n");
}

Measured measure(const QString& benchStartup, Kind kind)
{
    QTemporaryDir folder(u"/dev/shm/bench-start-XXXXXX"_s);
    QStringList arguments{u"--show"_s};
    if (kind == Kind::Main) {
        writeSettings(folder.path(), 10, 8080);
        arguments << u"main"_s << folder.path();
    } else {
        arguments << u"minimal"_s;
    }
    const ChildRun run =
        ChildRun::run(benchStartup, arguments, {{u"QT_QPA_PLATFORM=offscreen"_s}, 60000});
    Measured measured;
    measured.ok = run.ok && run.firstOutputUs >= 0;
    measured.failure = run.ok ? u"never said it was visible"_s : run.failure;
    measured.visibleUs = run.firstOutputUs;
    measured.wholeUs = run.wallUs;
    measured.cpuUs = run.cpuUs;
    return measured;
}

} // namespace WindowStart
