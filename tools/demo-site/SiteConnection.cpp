#include "SiteConnection.h"

#include "DemoSiteServer.h"

#include <QTcpSocket>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype RequestLimit = 64 * 1024;
constexpr int ResetDelayMs = 30;

QByteArray headerBlock(QByteArrayView status, QByteArrayView contentType, qsizetype length,
                       QByteArrayView extra = {})
{
    return "HTTP/1.0 " + status.toByteArray() +
           "\r\n"
           "Server: Apache/1.3.33 (Unix)\r\n" +
           extra.toByteArray() + "Content-Type: " + contentType.toByteArray() +
           "\r\n"
           "Content-Length: " +
           QByteArray::number(length) +
           "\r\n"
           "Connection: close\r\n"
           "\r\n";
}

QByteArray errorPage(QByteArrayView status)
{
    return "<html><head><title>" + status.toByteArray() + "</title></head><body><h1>" +
           status.toByteArray() + "</h1></body></html>\n";
}

// "GET /path HTTP/1.0" or "GET http://host/path HTTP/1.0": the path, or empty when malformed.
QByteArray pathOf(QByteArrayView target)
{
    if (target.startsWith("/"))
        return target.toByteArray();
    static constexpr QByteArrayView Scheme = "http://";
    if (!target.startsWith(Scheme))
        return {};
    const QByteArrayView rest = target.sliced(Scheme.size());
    const qsizetype slash = rest.indexOf('/');
    return slash < 0 ? QByteArray("/") : rest.sliced(slash).toByteArray();
}

QString printable(const QByteArray& path)
{
    return QString::fromLatin1(path.toPercentEncoding("/:?=&.-_~+,;!*()"));
}

} // namespace

SiteConnection::SiteConnection(QTcpSocket* socket, DemoSiteServer* server)
    : QObject(server), m_socket(socket), m_server(server)
{
    m_socket->setParent(this);
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    connect(&m_pause, &QTimer::timeout, this, &SiteConnection::sendNextPiece);
    connect(m_socket, &QTcpSocket::readyRead, this, &SiteConnection::readRequest);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &SiteConnection::written);
    connect(m_socket, &QTcpSocket::disconnected, this, &SiteConnection::end);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &SiteConnection::end);
    readRequest();
}

void SiteConnection::readRequest()
{
    if (m_answered) {
        m_socket->readAll(); // a client may send more; HTTP/1.0 ignores it
        return;
    }
    m_request += m_socket->readAll();
    const qsizetype blank = m_request.indexOf("\r\n\r\n");
    if (blank >= 0) {
        m_answered = true;
        answer(m_request.left(m_request.indexOf("\r\n")));
    } else if (m_request.size() > RequestLimit) {
        m_answered = true;
        Reply reply;
        reply.status = "400 Bad Request";
        reply.bytes = headerBlock(reply.status, "text/html", 0);
        reply.urgent = reply.bytes.size();
        startSending(reply, Fault::None);
    }
}

void SiteConnection::answer(const QByteArray& requestLine)
{
    const qsizetype firstSpace = requestLine.indexOf(' ');
    const qsizetype lastSpace = requestLine.lastIndexOf(' ');
    const QByteArray method = requestLine.left(firstSpace);
    m_path =
        firstSpace > 0 && lastSpace > firstSpace
            ? pathOf(QByteArrayView(requestLine).sliced(firstSpace + 1, lastSpace - firstSpace - 1))
            : QByteArray();
    Reply reply;
    if (m_path.isEmpty() || method != "GET") {
        reply.status = m_path.isEmpty() ? "400 Bad Request" : "501 Not Implemented";
        const QByteArray body = errorPage(reply.status);
        reply.bytes = headerBlock(reply.status, "text/html", body.size()) + body;
        reply.urgent = reply.bytes.size();
        startSending(reply, Fault::None);
        return;
    }
    if (m_path == "/__stats" || m_path == "/__reset") {
        if (m_path == "/__reset")
            m_server->resetStats();
        startSending(statsReply(), Fault::None);
        return;
    }
    m_server->countRequest(m_path);
    const Fault fault = m_server->faultFor(m_path);
    startSending(replyFor(m_path, fault), fault);
}

SiteConnection::Reply SiteConnection::pageReply(const QByteArray& body, QByteArrayView stop) const
{
    Reply reply;
    reply.status = "200 OK";
    reply.bytes = headerBlock(reply.status, "text/html; charset=koi8-r", body.size()) + body;
    const qsizetype marker = reply.bytes.indexOf(stop);
    reply.urgent = marker < 0 ? reply.bytes.size() : marker + stop.size();
    return reply;
}

SiteConnection::Reply SiteConnection::replyFor(const QByteArray& path, Fault fault) const
{
    const SiteContent& site = m_server->content();
    Reply reply;
    if (fault == Fault::NotFound || fault == Fault::ProxyUnauthorized) {
        reply.status = fault == Fault::NotFound ? "404 Not Found" : "407 Unauthorized";
        const QByteArray body = errorPage(reply.status);
        const QByteArray challenge =
            fault == Fault::ProxyUnauthorized
                ? QByteArray("Proxy-Authenticate: Basic realm=\"proxy\"\r\n")
                : QByteArray();
        reply.bytes = headerBlock(reply.status, "text/html", body.size(), challenge) + body;
        reply.urgent = reply.bytes.size();
        return reply;
    }
    const bool withMarker = fault != Fault::NoMarker;
    if (path == "/")
        return pageReply(site.frontPage(withMarker), SiteContent::frontPageStop());
    if (const int position = site.positionOfListingPath(path); position != 0)
        return pageReply(site.listingPage(position, withMarker), SiteContent::listingPageStop());
    if (const int position = site.positionOfPicturePath(path); position != 0) {
        const SiteContent::Picture picture = site.picture(position);
        const QByteArray bytes = site.pictureBytes(position);
        reply.status = "200 OK";
        reply.bytes =
            headerBlock(reply.status, PictureMaker::mimeType(picture.format), bytes.size());
        if (withMarker)
            reply.bytes += bytes;
        else
            reply.bytes.chop(2); // the header never ends
        reply.urgent = reply.bytes.size();
        return reply;
    }
    return replyFor(path, Fault::NotFound);
}

SiteConnection::Reply SiteConnection::statsReply() const
{
    const DemoSiteStats stats = m_server->stats();
    const QByteArray body = "requests " + QByteArray::number(stats.requests) + "\r\nfront " +
                            QByteArray::number(stats.frontRequests) + "\r\nlisting " +
                            QByteArray::number(stats.listingRequests) + "\r\npictures " +
                            QByteArray::number(stats.pictureRequests) + "\r\nother " +
                            QByteArray::number(stats.otherRequests) + "\r\nbytes " +
                            QByteArray::number(stats.bytesSent) + "\r\n";
    Reply reply;
    reply.status = "200 OK";
    reply.bytes = headerBlock(reply.status, "text/plain", body.size()) + body;
    reply.urgent = reply.bytes.size();
    return reply;
}

void SiteConnection::startSending(const Reply& reply, Fault fault)
{
    m_status = reply.status;
    m_fault = fault;
    m_total = reply.bytes.size();
    const DemoSiteOptions& options = m_server->content().options();
    switch (fault) {
    case Fault::Stall:
        return;
    case Fault::CloseEarly:
        m_socket->disconnectFromHost();
        return;
    case Fault::Drip:
        m_queue = reply.bytes;
        m_pieceBytes = qMax(1, options.dripBytes);
        m_pause.setInterval(qMax(0, options.dripPauseMs));
        sendNextPiece();
        return;
    case Fault::Reset:
        m_resetAtEnd = true;
        m_socket->write(reply.bytes.left(qMax<qsizetype>(1, reply.urgent / 2)));
        return;
    default:
        break;
    }
    m_queue = reply.bytes.mid(reply.urgent);
    m_pieceBytes = qMax(1, options.tailChunkBytes);
    m_pause.setInterval(qMax(0, options.tailPauseMs));
    m_socket->write(reply.bytes.left(reply.urgent));
}

void SiteConnection::sendNextPiece()
{
    if (m_ended)
        return;
    if (m_queue.isEmpty()) {
        finishSending();
        return;
    }
    m_socket->write(m_queue.left(m_pieceBytes));
    m_queue.remove(0, qMin(m_pieceBytes, m_queue.size()));
}

void SiteConnection::written(qint64 bytes)
{
    m_sent += bytes;
    m_server->countBytes(bytes);
    if (m_socket->bytesToWrite() > 0)
        return;
    if (m_resetAtEnd) {
        QTimer::singleShot(ResetDelayMs, this, &SiteConnection::resetConnection);
        return;
    }
    if (m_queue.isEmpty())
        finishSending();
    else
        m_pause.start();
}

void SiteConnection::finishSending()
{
    m_socket->disconnectFromHost();
}

void SiteConnection::resetConnection()
{
    if (m_ended)
        return;
    // No lingering: closing then sends a reset instead of an orderly end.
    const linger abortive{1, 0};
    ::setsockopt(int(m_socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                 sizeof abortive);
    m_socket->abort();
    end();
}

void SiteConnection::end()
{
    if (m_ended)
        return;
    m_ended = true;
    m_pause.stop();
    QString line = u"GET %1"_s.arg(m_path.isEmpty() ? u"-"_s : printable(m_path));
    if (!m_status.isEmpty())
        line += u" -> %1"_s.arg(QString::fromLatin1(m_status));
    if (m_fault != Fault::None)
        line += u" [%1]"_s.arg(QString::fromLatin1(Faults::name(m_fault)));
    line += u", %1 of %2 bytes sent"_s.arg(m_sent).arg(m_total);
    m_server->log(line);
    deleteLater();
}
