#pragma once

#include "Fault.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class DemoSiteServer;
class QTcpSocket;

// One HTTP/1.0 exchange: read the request up to its blank line, answer, close. Deletes itself
// when the connection ends.
class SiteConnection : public QObject {
    Q_OBJECT

public:
    SiteConnection(QTcpSocket* socket, DemoSiteServer* server);

private:
    struct Reply {
        QByteArray bytes;
        qsizetype urgent = 0; // sent at once; the rest is paced
        QByteArray status;
    };

    void readRequest();
    void answer(const QByteArray& requestLine);
    Reply replyFor(const QByteArray& path, Fault fault) const;
    Reply pageReply(const QByteArray& body, QByteArrayView stop) const;
    Reply statsReply() const;
    void startSending(const Reply& reply, Fault fault);
    void sendNextPiece();
    void written(qint64 bytes);
    void finishSending();
    void resetConnection();
    void end();

    QTcpSocket* m_socket;
    DemoSiteServer* m_server;
    QByteArray m_request;
    bool m_answered = false;
    bool m_ended = false;

    QByteArray m_path;
    QByteArray m_status;
    Fault m_fault = Fault::None;
    QByteArray m_queue; // still to send after the urgent part
    qsizetype m_pieceBytes = 0;
    QTimer m_pause;
    bool m_resetAtEnd = false;
    qint64 m_sent = 0;
    qint64 m_total = 0;
};
