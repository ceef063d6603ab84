#include "DemoSiteServer.h"

#include "SiteConnection.h"

#include <QMutexLocker>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

DemoSiteServer::DemoSiteServer(DemoSiteOptions options, QObject* parent)
    : QObject(parent), m_content(std::move(options))
{
    m_listener.setParent(this);
    connect(&m_listener, &QTcpServer::newConnection, this, &DemoSiteServer::acceptConnections);
}

bool DemoSiteServer::listen(quint16 port)
{
    return m_listener.listen(QHostAddress::LocalHost, port);
}

void DemoSiteServer::acceptConnections()
{
    while (QTcpSocket* socket = m_listener.nextPendingConnection())
        new SiteConnection(socket, this);
}

void DemoSiteServer::setFault(const QByteArray& path, Fault fault)
{
    QMutexLocker lock(&m_lock);
    if (fault == Fault::None)
        m_faults.remove(path);
    else
        m_faults.insert(path, fault);
}

void DemoSiteServer::setFaultEverywhere(Fault fault)
{
    QMutexLocker lock(&m_lock);
    m_faultEverywhere = fault;
}

void DemoSiteServer::clearFaults()
{
    QMutexLocker lock(&m_lock);
    m_faults.clear();
    m_faultEverywhere = Fault::None;
}

bool DemoSiteServer::addFault(QByteArrayView rule, QString* error)
{
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    const qsizetype equals = rule.indexOf('=');
    if (equals < 0)
        return fail(u"expected KIND=WHERE"_s);
    const auto fault = Faults::fromName(rule.first(equals));
    if (!fault)
        return fail(u"unknown fault kind"_s);
    const QByteArrayView where = rule.sliced(equals + 1);
    auto positionAfter = [&](QByteArrayView prefix) {
        bool ok = false;
        const int position = where.sliced(prefix.size()).toByteArray().toInt(&ok);
        return ok && position >= 1 && position <= SiteContent::ChainLength ? position : 0;
    };
    if (where == "all") {
        setFaultEverywhere(*fault);
    } else if (where == "front") {
        setFault("/", *fault);
    } else if (where.startsWith("page:")) {
        const int position = positionAfter("page:");
        if (position == 0)
            return fail(u"page number out of range"_s);
        setFault(m_content.listingPath(position), *fault);
    } else if (where.startsWith("picture:")) {
        const int position = positionAfter("picture:");
        if (position == 0)
            return fail(u"picture number out of range"_s);
        setFault(m_content.picture(position).path, *fault);
    } else if (where.startsWith("/")) {
        setFault(QByteArray::fromPercentEncoding(where.toByteArray()), *fault);
    } else {
        return fail(u"expected all, front, page:K, picture:K or a path"_s);
    }
    return true;
}

Fault DemoSiteServer::faultFor(const QByteArray& path) const
{
    QMutexLocker lock(&m_lock);
    return m_faults.value(path, m_faultEverywhere);
}

DemoSiteStats DemoSiteServer::stats() const
{
    QMutexLocker lock(&m_lock);
    return m_stats;
}

void DemoSiteServer::resetStats()
{
    QMutexLocker lock(&m_lock);
    m_stats = {};
}

void DemoSiteServer::countRequest(const QByteArray& path)
{
    QMutexLocker lock(&m_lock);
    ++m_stats.requests;
    m_stats.paths.append(path);
    if (path == "/")
        ++m_stats.frontRequests;
    else if (m_content.positionOfListingPath(path) != 0)
        ++m_stats.listingRequests;
    else if (m_content.positionOfPicturePath(path) != 0)
        ++m_stats.pictureRequests;
    else
        ++m_stats.otherRequests;
}

void DemoSiteServer::countBytes(qint64 bytes)
{
    QMutexLocker lock(&m_lock);
    m_stats.bytesSent += bytes;
}
