#pragma once

#include "DemoSiteServer.h"

#include <QByteArray>
#include <QThread>

// The demo site on a free 127.0.0.1 port, served from a thread of its own so a test may block on
// its sockets or run nested event loops. Stopped when destroyed.
//
//     DemoSiteThread site;
//     site.server().addFault("404=page:3");
//     engine.setUseProxyServer("127.0.0.1", site.portText(), true);
//     ... site.content().picture(1).path, site.stats().listingRequests ...
class DemoSiteThread {
public:
    explicit DemoSiteThread(DemoSiteOptions options = {});
    ~DemoSiteThread();

    DemoSiteThread(const DemoSiteThread&) = delete;
    DemoSiteThread& operator=(const DemoSiteThread&) = delete;

    quint16 port() const { return m_port; }
    // The port as typed into a proxy port box.
    QByteArray portText() const { return QByteArray::number(m_port); }

    // Faults and statistics are safe to use from the test's thread.
    DemoSiteServer& server() { return *m_server; }
    const SiteContent& content() const { return m_server->content(); }
    DemoSiteStats stats() const { return m_server->stats(); }

private:
    QThread m_thread;
    DemoSiteServer* m_server;
    quint16 m_port = 0;
};
