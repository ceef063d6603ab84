#include "DemoSiteThread.h"

#include <stdexcept>

DemoSiteThread::DemoSiteThread(DemoSiteOptions options)
    : m_server(new DemoSiteServer(std::move(options)))
{
    m_server->moveToThread(&m_thread);
    // Deferred deletions still run once the thread's loop has ended.
    QObject::connect(&m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_server,
        [this, &listening] {
            listening = m_server->listen(0);
            m_port = m_server->port();
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        m_thread.quit();
        m_thread.wait();
        throw std::runtime_error("the demo site cannot listen on 127.0.0.1");
    }
}

DemoSiteThread::~DemoSiteThread()
{
    m_thread.quit();
    m_thread.wait();
}
