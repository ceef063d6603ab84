#include "bench/support/LocalHttp.h"

#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace LocalHttp {

QByteArray get(quint16 port, const QByteArray& target, int waitMs)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, port);
    if (!socket.waitForConnected(waitMs))
        return {};
    socket.write("GET " + target + " HTTP/1.0\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(waitMs))
        reply += socket.readAll();
    return reply + socket.readAll();
}

} // namespace LocalHttp
