#pragma once

#include "DemoSiteOptions.h"
#include "Fault.h"
#include "SiteContent.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QTcpServer>

// What the site has served since it started (or since the last reset).
struct DemoSiteStats {
    int requests = 0; // every request but the control paths "/__stats" and "/__reset"
    int frontRequests = 0;
    int listingRequests = 0;
    int pictureRequests = 0;
    int otherRequests = 0;
    qint64 bytesSent = 0;    // bytes the operating system accepted for sending
    QList<QByteArray> paths; // the requested paths, in arrival order
};

// Plays the site on 127.0.0.1: HTTP/1.0, one request per connection, direct or proxy-form
// requests. The fault and statistics members may be called from any thread; the rest belongs to
// the thread the server lives in.
class DemoSiteServer : public QObject {
    Q_OBJECT

public:
    explicit DemoSiteServer(DemoSiteOptions options = {}, QObject* parent = nullptr);

    // Port 0 picks a free port.
    bool listen(quint16 port);
    quint16 port() const { return m_listener.serverPort(); }
    QString errorString() const { return m_listener.errorString(); }

    const SiteContent& content() const { return m_content; }

    void setFault(const QByteArray& path, Fault fault);
    void setFaultEverywhere(Fault fault);
    void clearFaults();
    // "KIND=WHERE" with WHERE one of "all", "front", "page:K", "picture:K" or a path (percent
    // escapes allowed). False, with a reason, when the text is not understood.
    bool addFault(QByteArrayView rule, QString* error = nullptr);
    Fault faultFor(const QByteArray& path) const;

    DemoSiteStats stats() const;
    void resetStats();

    // For the connections.
    void countRequest(const QByteArray& path);
    void countBytes(qint64 bytes);
    void log(const QString& line) { Q_EMIT logLine(line); }

Q_SIGNALS:
    void logLine(const QString& line);

private:
    void acceptConnections();

    const SiteContent m_content;
    QTcpServer m_listener;

    mutable QMutex m_lock;
    QHash<QByteArray, Fault> m_faults;
    Fault m_faultEverywhere = Fault::None;
    DemoSiteStats m_stats;
};
