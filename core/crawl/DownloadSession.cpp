#include "core/crawl/DownloadSession.h"

#include "core/net/EngineTexts.h"
#include "core/platform/Leftovers.h"
#include "core/platform/Logging.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

const QString DownloadSession::StatFolderBusy = u"Тут уже качаеццо, пагади."_s;

DownloadSession::DownloadSession(CrawlHost& host, const ProgramFolder& folder, QObject* parent)
    : QObject(parent), m_host(host), m_folder(folder), m_driver(m_engine, host, folder)
{
    m_engine.setPathCasheFiles(folder.cache());
    connect(&m_engine, &Download_Control::statusChanged, this, &DownloadSession::showStatus);
    connect(&m_engine, &Download_Control::trafficChanged, this,
            [this](qint64 count) { m_host.setTraffic(count); });
    connect(&m_engine, &Download_Control::socketErrorRaised, this, &DownloadSession::socketError);
}

DownloadSession::~DownloadSession() = default;

void DownloadSession::Down_Click()
{
    // A click during a run (also one switched off and still waiting for its transfer) is the
    // driver's, and so is one that the driver refuses anyway.
    if (m_runLock.isHeld() || m_driver.Running() || m_driver.failed() || m_closing) {
        m_driver.Down_Click();
        return;
    }
    startRun();
}

void DownloadSession::startRun()
{
    m_folderWasBusy = !lockFolder(m_runLock);
    if (m_folderWasBusy) {
        m_host.setStat(StatFolderBusy);
        return;
    }
    const auto unlock = qScopeGuard([this] { m_runLock.release(); });
    if (const FileIo::Error left = Leftovers::removeIn(m_folder.written()))
        qCInfo(lcFiles).noquote() << "leftovers not removed:" << left.message();
    m_driver.Down_Click();
}

bool DownloadSession::lockFolder(FolderLock& lock) const
{
    const FileIo::Error error = lock.take(m_folder.runLock());
    if (error.reason() == FileIo::Reason::Busy)
        return false;
    // Where no lock file can be made, no picture or cache entry can be either: the run goes on
    // and reports its own failures.
    if (error)
        qCWarning(lcFiles).noquote() << "folder not locked:" << error.message();
    return true;
}

FileIo::Error DownloadSession::ClearCashe()
{
    // This window's own run, switched off and still waiting, holds the lock already.
    FolderLock clearing;
    if (!m_runLock.isHeld() && !lockFolder(clearing))
        return FileIo::Error(FileIo::Reason::Busy, m_folder.cache());
    return m_engine.ClearCashe();
}

void DownloadSession::windowClosing()
{
    m_closing = true;
    m_driver.windowClosing();
    m_engine.abandonWait();
}

// A stop and a refused proxy are told on the window's status line as well.
void DownloadSession::showStatus(const TransferStatus& status)
{
    if (const QString text = EngineTexts::mainStatus(status); !text.isEmpty())
        m_host.setStat(text);
}

void DownloadSession::socketError()
{
    if (m_driver.Running())
        Q_EMIT socketErrorEndsRun();
    m_driver.socketError();
}
