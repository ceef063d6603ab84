#include "support/DemoSiteClient.h"

#include <QTcpSocket>

namespace DemoSiteClient {

QByteArray request(QByteArrayView target)
{
    const bool proxy = target.startsWith("http://");
    return "GET " + target.toByteArray() +
           " HTTP/1.0\r\n"
           "Accept: */*\r\n"
           "Referer: http://zolvane.com\r\n"
           "Accept-Language: ru\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
           "Host: zolvane.com\r\n" +
           (proxy ? "Proxy-Connection: Close\r\n" : "Connection: Close\r\n") + "\r\n";
}

Exchange fetch(quint16 port, QByteArrayView target, QByteArrayView stop, int idleMs)
{
    Exchange exchange;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) {
        exchange.timedOut = true;
        return exchange;
    }
    socket.write(request(target));
    socket.waitForBytesWritten(5000);
    for (;;) {
        if (!socket.waitForReadyRead(idleMs)) {
            if (socket.state() == QAbstractSocket::ConnectedState &&
                socket.error() == QAbstractSocket::SocketTimeoutError) {
                exchange.timedOut = true;
            } else {
                exchange.closedByServer = true;
                exchange.error = socket.error();
            }
            break;
        }
        const QByteArray piece = socket.readAll();
        if (!piece.isEmpty()) {
            exchange.reply += piece;
            ++exchange.reads;
        }
        if (!stop.isEmpty() && exchange.reply.contains(stop)) {
            exchange.stoppedAtMarker = true;
            break;
        }
    }
    exchange.reply += socket.readAll();
    socket.abort();
    return exchange;
}

QByteArray bodyOf(const QByteArray& reply)
{
    const qsizetype blank = reply.indexOf("\r\n\r\n");
    return blank < 0 ? QByteArray() : reply.mid(blank + 4);
}

} // namespace DemoSiteClient
