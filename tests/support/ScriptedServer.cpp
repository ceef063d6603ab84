#include "support/ScriptedServer.h"

#include <QTcpSocket>
#include <QTimer>

#ifndef Q_OS_WIN
#include <sys/socket.h>
#endif

ScriptedServer::ScriptedServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedServer::accept);
}

ScriptedServer::~ScriptedServer()
{
    if (m_client)
        m_client->abort();
}

bool ScriptedServer::listen(const QHostAddress& address)
{
    return m_server.listen(address, 0);
}

ScriptedServer& ScriptedServer::startAtConnect()
{
    m_startAtConnect = true;
    return *this;
}

ScriptedServer& ScriptedServer::send(const QByteArray& bytes)
{
    m_steps.append({Step::Send, bytes, 0});
    return *this;
}

ScriptedServer& ScriptedServer::pause(int ms)
{
    m_steps.append({Step::Pause, {}, ms});
    return *this;
}

ScriptedServer& ScriptedServer::drip(const QByteArray& bytes, int ms)
{
    for (const char c : bytes) {
        send(QByteArray(1, c));
        pause(ms);
    }
    return *this;
}

ScriptedServer& ScriptedServer::close()
{
    m_steps.append({Step::Close, {}, 0});
    return *this;
}

ScriptedServer& ScriptedServer::reset()
{
    m_steps.append({Step::Reset, {}, 0});
    return *this;
}

void ScriptedServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        if (m_client)
            m_client->abort();
        m_client = socket;
        m_received.clear();
        m_started = false;
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedServer::takeRequest);
        if (m_startAtConnect)
            startScript();
    }
}

void ScriptedServer::takeRequest()
{
    auto* socket = qobject_cast<QTcpSocket*>(sender());
    if (socket != m_client)
        return;
    m_received += socket->readAll();
    if (!m_started && m_received.contains("\r\n\r\n"))
        startScript();
}

void ScriptedServer::startScript()
{
    m_started = true;
    runFrom(0);
}

void ScriptedServer::runFrom(int index)
{
    for (; index < m_steps.size(); ++index) {
        if (!m_client)
            return;
        const Step& step = m_steps[index];
        switch (step.kind) {
        case Step::Send:
            m_client->write(step.bytes);
            m_client->flush();
            break;
        case Step::Pause:
            QTimer::singleShot(step.ms, this, [this, index] { runFrom(index + 1); });
            return;
        case Step::Close:
            m_client->disconnectFromHost();
            return;
        case Step::Reset: {
#ifndef Q_OS_WIN
            const linger abortive{1, 0};
            ::setsockopt(int(m_client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                         sizeof abortive);
#endif
            m_client->abort();
            return;
        }
        }
    }
}
