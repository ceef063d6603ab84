#include "programs/zolvane-fetch/FetchHost.h"

#include "core/crawl/DownloadSession.h"
#include "core/net/EngineTexts.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

using namespace Qt::StringLiterals;

FetchHost::FetchHost(const FetchOptions& options) : m_options(options), m_out(stdout), m_err(stderr)
{}

void FetchHost::setStat(const QString& text)
{
    m_lastStat = text;
    print(text);
}

void FetchHost::setPreviewPicture(const QString& path)
{
    if (!m_session || m_options.quiet)
        return;
    const QFileInfo file(path);
    QString line = u"[%1/%2] %3"_s.arg(m_session->PageIndex())
                       .arg(m_session->PageCount())
                       .arg(QDir::toNativeSeparators(path));
    line += file.exists() ? u" (%1 bytes)"_s.arg(file.size()) : u" (not saved)"_s;
    if (!m_traffic.isEmpty())
        line += u"  "_s + m_traffic;
    print(line);
}

void FetchHost::setTraffic(qint64 count)
{
    m_traffic = EngineTexts::traffic(count);
}

CrawlHost::RunSettings FetchHost::runSettings() const
{
    return {QString::number(m_options.pages), m_options.proxyOn, m_options.proxyName,
            m_options.proxyPort, qint16(m_options.cacheLimit)};
}

void FetchHost::failureExit(const QString& text, const QString& title)
{
    m_failure = true;
    m_err << title << u": "_s << text << Qt::endl;
}

void FetchHost::print(const QString& line)
{
    if (!m_options.quiet)
        m_out << line << Qt::endl;
}
