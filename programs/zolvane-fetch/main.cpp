// zolvane-fetch: the download run without a window.
#include "core/crawl/DownloadSession.h"
#include "core/net/EngineTexts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Logging.h"
#include "core/platform/ProgramFolder.h"
#include "programs/zolvane-fetch/FetchHost.h"
#include "programs/zolvane-fetch/FetchOptions.h"
#include "programs/zolvane-fetch/StopSignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <chrono>
#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum ExitStatus {
    Complete = 0,
    Failed = 1,
    Stopped = 2,
    NetworkError = 3,
    NotSaved = 4,
    FolderBusy = 5
};

ProgramFolder programFolder(const FetchOptions& options)
{
    if (options.programFolder.isEmpty())
        return ProgramFolder::forThisProgram();
    return ProgramFolder(options.programFolder);
}

int runFetch(const FetchOptions& options)
{
    QTextStream err(stderr);
    const ProgramFolder folder = programFolder(options);
    if (!QDir().mkpath(folder.root())) {
        err << u"cannot make the folder %1"_s.arg(folder.root()) << Qt::endl;
        return Failed;
    }

    FetchHost host(options);
    DownloadSession session(host, folder);
    host.attach(session);
    // Nobody sits at a headless run to press stop: a dead transfer ends by itself.
    session.engine().setStallTimeout(std::chrono::seconds(options.stallTimeout));

    bool networkError = false;
    QObject::connect(&session, &DownloadSession::socketErrorEndsRun, &session, [&] {
        networkError = true;
        err << EngineTexts::status(session.engine().status()) << Qt::endl;
    });

    StopSignals stops;
    QObject::connect(&stops, &StopSignals::stopRequested, &session, [&session] {
        if (session.Running())
            session.Down_Click();
    });

    session.Down_Click();

    QTextStream out(stdout);
    if (options.quiet)
        out << host.lastStat() << Qt::endl;
    if (session.folderWasBusy()) {
        err << u"another run is going on in %1: nothing started"_s.arg(
                   QDir::toNativeSeparators(folder.root()))
            << Qt::endl;
        return FolderBusy;
    }
    if (FileSystem::FileExists(folder.album()))
        out << u"Альбом: %1"_s.arg(QDir::toNativeSeparators(folder.album())) << Qt::endl;

    if (host.failureShown())
        return Failed;
    if (session.PageIndex() - 1 == session.PageCount())
        return session.unsavedPictures() > 0 || session.albumUnsaved() ? NotSaved : Complete;
    if (stops.received())
        return Stopped;
    return networkError ? NetworkError : Stopped;
}

// Without a window nothing needs the GLib event loop, and Qt's own wakes itself far less often
// per socket event. The choice is taken back at once so that nothing started later inherits it.
class PlainEventLoopChoice {
public:
    PlainEventLoopChoice() : m_chosenHere(!qEnvironmentVariableIsSet(Variable))
    {
        if (m_chosenHere)
            qputenv(Variable, "1");
    }
    ~PlainEventLoopChoice()
    {
        if (m_chosenHere)
            qunsetenv(Variable);
    }
    PlainEventLoopChoice(const PlainEventLoopChoice&) = delete;
    PlainEventLoopChoice& operator=(const PlainEventLoopChoice&) = delete;

private:
    static constexpr const char* Variable = "QT_NO_GLIB";
    bool m_chosenHere;
};

// Log lines go to standard error, terminal or not: Qt's own handler may hand them to the
// system's log when no terminal is attached.
void writeLogLine(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray line = (qFormatLogMessage(type, context, message) + u'\n').toLocal8Bit();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char* argv[])
{
    const PlainEventLoopChoice plainLoop;
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char* argv[])
{
    const auto app = makeApplication(argc, argv);
    // Named as the program with a window: both share the per-user folder.
    QCoreApplication::setApplicationName(ProgramFolder::ApplicationName);
    QCoreApplication::setApplicationVersion(QStringLiteral(ZOLVANE_VERSION));

    const FetchOptions options = FetchOptions::parse(QCoreApplication::arguments());
    if (options.exitCode >= 0) {
        QTextStream(options.exitCode == 0 ? stdout : stderr) << options.message;
        return options.exitCode;
    }
    qInstallMessageHandler(writeLogLine);
    if (options.verbose)
        Logging::showAll();
    return runFetch(options);
}
