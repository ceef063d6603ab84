#include "core/net/Download_Control.h"

#include "core/platform/ControlBytes.h"
#include "core/platform/Cp1251.h"
#include "core/platform/PercentEncoding.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace {

constexpr int ErrorInvalidArgument = 10022;
constexpr int ErrorNoBufferSpace = 10055;
constexpr int ErrorConnectionReset = 10054;
constexpr int ErrorTimedOut = 10060;

const QByteArray CrLf = "\r\n";
constexpr qsizetype UsualReplyRoom = 64 * 1024;

// A port typed by the user: a whole number from 1 to 65535, blanks around it allowed.
std::optional<quint16> portNumber(const QByteArray& text)
{
    const QByteArray digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return quint16(value);
}

// Bytes that would end or split the request line are sent percent-encoded.
QByteArray requestPath(const QByteArray& path)
{
    return PercentEncoding::encoded(path,
                                    [](char c) { return ControlBytes::isControl(c) || c == ' '; });
}

QString hostText(const QByteArray& host)
{
    return Cp1251::toUnicode(host);
}

} // namespace

Download_Control::Download_Control(QObject* parent) : QObject(parent), m_socket(new TcpClient(this))
{
    connect(m_socket, &TcpClient::connected, this, &Download_Control::WS_Connect);
    connect(m_socket, &TcpClient::readyRead, this, &Download_Control::WS_DataArrival);
    connect(m_socket, &TcpClient::errorOccurred, this, &Download_Control::WS_Error);
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, &Download_Control::stalled);
}

Download_Control::~Download_Control()
{
    m_socket->abort();
    if (m_wait)
        m_wait->quit();
}

void Download_Control::setUseProxyServer(const QByteArray& Name, const QByteArray& Port, bool on)
{
    m_useProxy = on;
    if (on) {
        m_proxyName = Name;
        m_proxyPort = Port;
    }
}

void Download_Control::setCasheSize(qint16 Size)
{
    m_cacheWriter.finish();
    m_cache.setLimit(Size);
}

void Download_Control::setStopString(const QByteArray& SString)
{
    m_stopString = SString;
}

void Download_Control::setRHost(const QByteArray& RemoteHost)
{
    m_rHost = RemoteHost;
}

void Download_Control::setStallTimeout(std::chrono::seconds timeout)
{
    m_stallTimer.setInterval(timeout);
}

void Download_Control::setPathCasheFiles(const QString& CPath)
{
    m_cacheWriter.finish();
    m_cache.setFolder(CPath);
}

qint16 Download_Control::SizeCashe() const
{
    m_cacheWriter.finish();
    return m_cache.size();
}

FileIo::Error Download_Control::ClearCashe()
{
    m_cacheWriter.finish();
    return m_cache.clear();
}

ResponseCache& Download_Control::cache()
{
    m_cacheWriter.finish();
    return m_cache;
}

QByteArray Download_Control::BuildRequest(const QByteArray& RemoteFile) const
{
    const QByteArray path = requestPath(RemoteFile);
    QByteArray request;
    if (m_useProxy)
        request += "GET http://" + m_rHost + path + " HTTP/1.0" + CrLf;
    else
        request += "GET " + path + " HTTP/1.0" + CrLf;
    request += "Accept: */*" + CrLf;
    request += "Referer: http://" + m_rHost + CrLf;
    request += "Accept-Language: ru" + CrLf;
    request += "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)" + CrLf;
    request += "Host: " + m_rHost + CrLf;
    request += (m_useProxy ? "Proxy-Connection: Close" : "Connection: Close") + CrLf;
    request += CrLf;
    return request;
}

int Download_Control::WinsockNumber(TcpClient::SocketError error)
{
    return TcpClient::winsockNumber(error);
}

TransferOutcome Download_Control::Down(const QByteArray& RemoteFile, bool CasheFile)
{
    closeSocket();
    m_remoteFile = RemoteFile;
    m_outcome = {};
    m_replyBuffer.clear();
    m_headerSeen = false;
    m_casheFile = CasheFile;
    if (CasheFile && LoadFromCashe()) {
        setStatus({.kind = TransferStatus::Kind::FromCache});
        return m_outcome;
    }
    if (!m_outcome.isPending()) // stopped while the cache was asked
        return m_outcome;

    // Room for a usual page or picture, so that it is not copied as it grows.
    m_replyBuffer.reserve(UsualReplyRoom);
    StartAnimation();
    if (m_useProxy)
        setStatus({.kind = TransferStatus::Kind::ConnectingViaProxy,
                   .host = m_proxyName,
                   .port = m_proxyPort});
    else
        setStatus({.kind = TransferStatus::Kind::Connecting, .host = m_rHost});
    connectSocket();

    if (m_outcome.isPending() && !m_abandoned) {
        QEventLoop wait;
        m_wait = &wait;
        wait.exec();
        m_wait = nullptr;
    }
    closeSocket();
    if (m_outcome.isPending()) // no window left
        return TransferOutcome::abandoned();
    StopAnimation();
    return m_outcome;
}

void Download_Control::connectSocket()
{
    QByteArray host = m_rHost;
    quint16 port = m_directPort;
    if (m_useProxy) {
        const auto proxyPort = portNumber(m_proxyPort);
        if (!proxyPort) {
            raiseSocketError(ErrorInvalidArgument);
            return;
        }
        host = m_proxyName;
        port = *proxyPort;
    }
    m_transferring = true;
    restartStallTimer();
    m_socket->connectToHost(hostText(host), port);
}

void Download_Control::Stopped()
{
    closeSocket();
    setStatus({.kind = TransferStatus::Kind::Stopped});
    StopAnimation();
    finishWith(TransferOutcome::stopped());
}

void Download_Control::abandonWait()
{
    m_abandoned = true;
    if (m_wait)
        m_wait->quit();
}

void Download_Control::WS_Connect()
{
    if (!m_transferring)
        return;
    const QByteArray request = BuildRequest(m_remoteFile);
    m_socket->write(request);
    setStatus({.kind = TransferStatus::Kind::RequestSent});
    addTraffic(request.size());
}

void Download_Control::WS_DataArrival()
{
    if (!m_transferring)
        return;
    qint64 available = m_socket->bytesAvailable();
    if (available == 0) {
        switch (m_socket->peekPeerEnd()) {
        case TcpClient::PeerEnd::StillOpen:
            // Read anyway: the socket only reports new bytes once this one was taken.
            available = 1;
            break;
        case TcpClient::PeerEnd::Closed:
            WS_Close();
            return;
        case TcpClient::PeerEnd::Reset:
            raiseSocketError(ErrorConnectionReset);
            return;
        case TcpClient::PeerEnd::TimedOut:
            raiseSocketError(ErrorTimedOut);
            return;
        }
    }
    appendArrival(available);
}

// While a stop marker is awaited, a large arrival is taken in pieces, each one an arrival of its
// own, so the transfer ends in the piece that brings the marker: on a fast line a whole page may
// be waiting, and what lies beyond the marker is never wanted.
void Download_Control::appendArrival(qint64 available)
{
    while (available > 0 && m_transferring) {
        const qint64 piece = m_stopString.isEmpty() ? available : std::min(available, MarkerPiece);
        appendPiece(piece);
        available -= piece;
    }
}

void Download_Control::appendPiece(qint64 available)
{
    if (m_replyBuffer.size() + available > m_replyLimit) {
        raiseSocketError(ErrorNoBufferSpace);
        return;
    }
    const qsizetype sizeBefore = m_replyBuffer.size();
    m_replyBuffer.resize(sizeBefore + available);
    const qint64 got = m_socket->read(m_replyBuffer.data() + sizeBefore, available);
    m_replyBuffer.resize(sizeBefore + std::max<qint64>(got, 0));
    if (got < 0) { // closed between the look and the read
        WS_Close();
        return;
    }
    if (got == 0)
        return;
    restartStallTimer();
    reserveDeclared(sizeBefore);
    setStatus({.kind = TransferStatus::Kind::Receiving, .bytes = m_replyBuffer.size()});
    if (HttpReply::markerArrived(m_replyBuffer, sizeBefore, m_stopString))
        completeTransfer(Ending::AtMarker, HttpReply::classify(m_replyBuffer));
}

// Once the header is in, room for the whole reply it declares (within the limit), so that a large
// reply is not grown by doubling and copied on the way. Not while a stop marker is awaited: what
// lies beyond it is seldom read.
void Download_Control::reserveDeclared(qsizetype sizeBefore)
{
    if (m_headerSeen || !m_stopString.isEmpty())
        return;
    // Where an earlier piece held no header end, none can end before the last three bytes of it.
    const qsizetype from = std::max<qsizetype>(0, sizeBefore - 3);
    if (!HttpReply::headerSize(QByteArrayView(m_replyBuffer).sliced(from)))
        return;
    m_headerSeen = true;
    const auto length = HttpReply::contentLength(m_replyBuffer);
    if (!length)
        return;
    // Usually a small reply is in whole already; only one still to come needs the room.
    const qint64 whole = *HttpReply::headerSize(m_replyBuffer) + *length;
    if (whole > m_replyBuffer.capacity() && whole <= m_replyLimit)
        m_replyBuffer.reserve(qsizetype(whole));
}

void Download_Control::WS_Close()
{
    if (!m_transferring)
        return;
    // Nothing at all arrived: not a reply, so the run ends as after a reset.
    if (m_replyBuffer.isEmpty()) {
        raiseSocketError(ErrorConnectionReset);
        return;
    }
    // A reply that ends before the length it declares was cut off: never a reply to keep.
    const HttpReply::Verdict verdict = HttpReply::classify(m_replyBuffer);
    if (verdict == HttpReply::Verdict::Reply && HttpReply::isCutShort(m_replyBuffer)) {
        raiseSocketError(ErrorConnectionReset);
        return;
    }
    completeTransfer(Ending::ServerClosed, verdict);
}

// The connection could not be made; what arrives on one that was made ends in WS_DataArrival.
void Download_Control::WS_Error(int number)
{
    if (m_transferring)
        raiseSocketError(number);
}

void Download_Control::completeTransfer(Ending ending, HttpReply::Verdict verdict)
{
    closeSocket();
    addTraffic(m_replyBuffer.size());
    switch (verdict) {
    case HttpReply::Verdict::ProxyAuthError:
        ShowProxyAuthError();
        finishWith(TransferOutcome::failed());
        return;
    case HttpReply::Verdict::NotFound:
        finishWith(TransferOutcome::failed());
        return;
    case HttpReply::Verdict::Reply:
        break;
    }
    if (!m_outcome.isPending())
        return;
    setStatus({.kind = TransferStatus::Kind::Completed});
    StopAnimation();
    if (m_casheFile)
        SaveToCashe(ending == Ending::AtMarker);
    finishWith(TransferOutcome::reply(m_replyBuffer));
}

void Download_Control::raiseSocketError(int number)
{
    closeSocket();
    setStatus({.kind = TransferStatus::Kind::SocketError, .errorNumber = number});
    finishWith(TransferOutcome::failed());
    Q_EMIT socketErrorRaised();
}

void Download_Control::finishWith(const TransferOutcome& outcome)
{
    m_outcome = outcome;
    if (m_wait)
        m_wait->quit();
}

void Download_Control::closeSocket()
{
    m_transferring = false;
    m_stallTimer.stop();
    m_socket->abort();
}

void Download_Control::restartStallTimer()
{
    if (m_stallTimer.interval() > 0)
        m_stallTimer.start();
}

// Nothing arrived for the whole time-out: the transfer ends as the system ends a connection that
// times out.
void Download_Control::stalled()
{
    if (m_transferring)
        raiseSocketError(ErrorTimedOut);
}

void Download_Control::addTraffic(qint64 count)
{
    m_trafficCount += count;
    Q_EMIT trafficChanged(m_trafficCount);
}

bool Download_Control::LoadFromCashe()
{
    if (!m_cacheWriter.readyToLookUp(m_remoteFile))
        return false;
    // A click waiting in the queue, such as the stop button, is handled before the lookup.
    QCoreApplication::processEvents();
    if (!m_outcome.isPending())
        return false;
    const auto reply = m_cache.lookup(m_remoteFile);
    if (!reply)
        return false;
    m_outcome = TransferOutcome::reply(*reply);
    return true;
}

void Download_Control::SaveToCashe(bool cutAtMarker)
{
    m_cacheWriter.store(m_remoteFile, m_replyBuffer, cutAtMarker);
}

// The busy icon turns from here until StopAnimation; whoever shows it runs its frames.
void Download_Control::StartAnimation()
{
    if (m_busy)
        return;
    m_busy = true;
    Q_EMIT busyChanged(true);
}

void Download_Control::StopAnimation()
{
    if (!m_busy)
        return;
    m_busy = false;
    Q_EMIT busyChanged(false);
}

void Download_Control::ShowProxyAuthError()
{
    setStatus({.kind = TransferStatus::Kind::ProxyAuthFailed});
}

void Download_Control::setStatus(const TransferStatus& status)
{
    m_status = status;
    Q_EMIT statusChanged(m_status);
}
