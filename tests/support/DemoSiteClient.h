#pragma once

#include <QAbstractSocket>
#include <QByteArray>

// A plain blocking HTTP/1.0 client for tests that talk to the demo site byte by byte.
namespace DemoSiteClient {

struct Exchange {
    QByteArray reply;             // every byte received, in order
    int reads = 0;                // how many pieces they came in
    bool closedByServer = false;  // the server ended the connection
    bool stoppedAtMarker = false; // we closed it once the stop marker had arrived
    bool timedOut = false;        // nothing happened for `idleMs`
    QAbstractSocket::SocketError error = QAbstractSocket::UnknownSocketError; // when closedByServer
};

// The request a crawler sends: direct when `target` is a path, proxy form when it is a URL.
QByteArray request(QByteArrayView target);

// Sends the request for `target` and reads until the server closes, `stop` has arrived (when not
// empty), or nothing arrives for `idleMs`.
Exchange fetch(quint16 port, QByteArrayView target, QByteArrayView stop = {}, int idleMs = 5000);

// The body of a reply: everything after the first blank line; empty when there is none.
QByteArray bodyOf(const QByteArray& reply);

} // namespace DemoSiteClient
