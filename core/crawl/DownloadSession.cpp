#include "core/crawl/DownloadSession.h"

#include "core/net/EngineTexts.h"

DownloadSession::DownloadSession(CrawlHost& host, const ProgramFolder& folder, QObject* parent)
    : QObject(parent), m_host(host), m_driver(m_engine, host, folder)
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
    m_driver.Down_Click();
}

void DownloadSession::windowClosing()
{
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
