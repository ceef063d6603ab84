#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// A TCP server on this machine that answers every connection with the same script of sends,
// pauses, an orderly close or a reset, and keeps the bytes each client sent.
class ScriptedServer : public QObject {
    Q_OBJECT

public:
    explicit ScriptedServer(QObject* parent = nullptr);
    ~ScriptedServer() override;

    // Listens on a free port; false when that fails.
    bool listen(const QHostAddress& address = QHostAddress::LocalHost);
    quint16 port() const { return m_server.serverPort(); }
    QByteArray portText() const { return QByteArray::number(port()); }

    // By default the script starts once the request's empty line has arrived.
    ScriptedServer& startAtConnect();
    ScriptedServer& send(const QByteArray& bytes);
    ScriptedServer& pause(int ms);
    // One byte per write with `ms` between them.
    ScriptedServer& drip(const QByteArray& bytes, int ms);
    ScriptedServer& close();
    ScriptedServer& reset();

    int connections() const { return m_connections; }
    // Everything the latest client sent.
    QByteArray received() const { return m_received; }

private:
    struct Step {
        enum Kind { Send, Pause, Close, Reset } kind;
        QByteArray bytes;
        int ms = 0;
    };

    void accept();
    void takeRequest();
    void startScript();
    void runFrom(int index);

    QTcpServer m_server;
    QList<Step> m_steps;
    bool m_startAtConnect = false;
    bool m_started = false;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    int m_connections = 0;
};
