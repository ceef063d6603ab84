#include "core/net/TcpClient.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QThreadPool>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

// The system's socket calls differ between Windows and the rest only here.
#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN
using NativeSocket = SOCKET;
using AddressLength = int;
constexpr int SendFlags = 0;

int lastError()
{
    return WSAGetLastError();
}

bool wouldBlock(int error)
{
    return error == WSAEWOULDBLOCK;
}

bool interrupted(int error)
{
    return error == WSAEINTR;
}

bool connectPending(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS;
}

void closeNative(qintptr socket)
{
    ::closesocket(NativeSocket(socket));
}

// Once per process, before the first socket.
void startSockets()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    Q_UNUSED(started);
}

qintptr openSocket(int family)
{
    const SOCKET socket = ::socket(family, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return -1;
    u_long on = 1;
    if (::ioctlsocket(socket, FIONBIO, &on) != 0) {
        ::closesocket(socket);
        return -1;
    }
    return qintptr(socket);
}

qint64 pendingBytes(qintptr socket)
{
    u_long available = 0;
    if (::ioctlsocket(NativeSocket(socket), FIONREAD, &available) != 0)
        return 0;
    return qint64(available);
}

namespace Errors {
constexpr int Refused = WSAECONNREFUSED, Invalid = WSAEINVAL, TimedOut = WSAETIMEDOUT,
              HostUnreachable = WSAEHOSTUNREACH, NetUnreachable = WSAENETUNREACH,
              AddressInUse = WSAEADDRINUSE, Access = WSAEACCES, Permission = WSAEACCES,
              TooManyFiles = WSAEMFILE, TooManyInSystem = WSAEMFILE, NoBuffers = WSAENOBUFS,
              NoMemory = WSAENOBUFS, FamilyUnsupported = WSAEAFNOSUPPORT,
              ProtocolUnsupported = WSAEPROTONOSUPPORT, WrongProtocol = WSAEPROTOTYPE;
}

bool wasReset(int error)
{
    return error == WSAECONNRESET || error == WSAECONNABORTED;
}
#else
using NativeSocket = int;
using AddressLength = socklen_t;
constexpr int SendFlags = MSG_NOSIGNAL;

int lastError()
{
    return errno;
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK;
}

bool interrupted(int error)
{
    return error == EINTR;
}

bool connectPending(int error)
{
    return error == EINPROGRESS;
}

void closeNative(qintptr socket)
{
    ::close(NativeSocket(socket));
}

void startSockets() {}

qintptr openSocket(int family)
{
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
}

qint64 pendingBytes(qintptr socket)
{
    int available = 0;
    if (::ioctl(NativeSocket(socket), FIONREAD, &available) != 0)
        return 0;
    return available;
}

namespace Errors {
constexpr int Refused = ECONNREFUSED, Invalid = EINVAL, TimedOut = ETIMEDOUT,
              HostUnreachable = EHOSTUNREACH, NetUnreachable = ENETUNREACH,
              AddressInUse = EADDRINUSE, Access = EACCES, Permission = EPERM, TooManyFiles = EMFILE,
              TooManyInSystem = ENFILE, NoBuffers = ENOBUFS, NoMemory = ENOMEM,
              FamilyUnsupported = EAFNOSUPPORT, ProtocolUnsupported = EPROTONOSUPPORT,
              WrongProtocol = EPROTOTYPE;
}

bool wasReset(int error)
{
    return error == ECONNRESET || error == EPIPE;
}
#endif

// What Qt's sockets make of a failed connect(), so the numbers read as they always did.
TcpClient::SocketError connectError(int error)
{
    using namespace Errors;
    if (error == Refused || error == Invalid)
        return TcpClient::ConnectionRefusedError;
    if (error == TimedOut || error == HostUnreachable || error == NetUnreachable ||
        error == AddressInUse)
        return TcpClient::NetworkError;
    if (error == Access || error == Permission)
        return TcpClient::SocketAccessError;
    return TcpClient::UnknownSocketError;
}

// And of a failed socket().
TcpClient::SocketError socketError(int error)
{
    using namespace Errors;
    if (error == TooManyFiles || error == TooManyInSystem || error == NoBuffers ||
        error == NoMemory)
        return TcpClient::SocketResourceError;
    if (error == Access || error == Permission)
        return TcpClient::SocketAccessError;
    if (error == FamilyUnsupported || error == ProtocolUnsupported || error == WrongProtocol)
        return TcpClient::UnsupportedSocketOperationError;
    return TcpClient::UnknownSocketError;
}

// The IPv4 and IPv6 addresses of a lookup's answer, each once (a name may give the same address
// once per socket type).
template <typename Address> std::vector<Address> addressesOf(const addrinfo* list)
{
    std::vector<Address> addresses;
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
        if ((entry->ai_family != AF_INET && entry->ai_family != AF_INET6) ||
            size_t(entry->ai_addrlen) > sizeof(sockaddr_storage))
            continue;
        Address address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = AddressLength(entry->ai_addrlen);
        const bool seen = std::any_of(addresses.cbegin(), addresses.cend(), [&](const auto& a) {
            return a.length == address.length &&
                   std::memcmp(&a.storage, &address.storage, size_t(address.length)) == 0;
        });
        if (!seen)
            addresses.push_back(address);
    }
    return addresses;
}

// getaddrinfo as Qt's name lookup calls it; numericOnly takes addresses and never asks a server.
template <typename Address> std::vector<Address> lookUpAddresses(const char* name, bool numericOnly)
{
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = numericOnly ? AI_NUMERICHOST : AI_ADDRCONFIG;
    addrinfo* list = nullptr;
    int result = ::getaddrinfo(name, nullptr, &hints, &list);
    if (result == EAI_BADFLAGS && !numericOnly) {
        hints.ai_flags = 0;
        result = ::getaddrinfo(name, nullptr, &hints, &list);
    }
    if (result != 0)
        return {};
    std::vector<Address> addresses = addressesOf<Address>(list);
    ::freeaddrinfo(list);
    return addresses;
}

} // namespace

struct TcpClient::Address {
    sockaddr_storage storage = {};
    AddressLength length = 0;
};

// Where a lookup thread hands its answer in: the thread and the client share it, and the answer
// comes as a queued call on the client's thread. Only the client it still names takes it, so a
// lookup that outlives its client, or the attempt it was made for, delivers nothing.
class TcpClient::LookupReceiver : public QObject {
public:
    explicit LookupReceiver(TcpClient* client) : m_client(client) {}

    void forget() { m_client = nullptr; }

    void deliver(std::vector<Address> addresses)
    {
        QMetaObject::invokeMethod(
            this,
            [this, addresses = std::move(addresses)]() mutable {
                if (m_client)
                    m_client->lookedUp(std::move(addresses));
            },
            Qt::QueuedConnection);
    }

private:
    QPointer<TcpClient> m_client;
};

TcpClient::TcpClient(QObject* parent) : QObject(parent)
{
    startSockets();
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(ConnectTimeoutMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &TcpClient::timedOut);
}

TcpClient::~TcpClient()
{
    abort();
}

int TcpClient::winsockNumber(SocketError error)
{
    switch (error) {
    case ConnectionRefusedError:
        return 10061;
    case RemoteHostClosedError:
        return 10054;
    case HostNotFoundError:
        return 11001;
    case SocketAccessError:
        return 10013;
    case SocketResourceError:
        return 10055;
    case SocketTimeoutError:
        return 10060;
    case NetworkError:
        return 10051;
    case AddressInUseError:
        return 10048;
    case SocketAddressNotAvailableError:
        return 10049;
    case UnsupportedSocketOperationError:
        return 10045;
    case UnknownSocketError:
        break;
    }
    return 10022;
}

void TcpClient::connectToHost(const QString& host, quint16 port)
{
    abort();
    m_port = port;
    // An address needs no lookup.
    const QByteArray text = host.toUtf8();
    std::vector<Address> addresses;
    if (!text.contains('\0'))
        addresses = lookUpAddresses<Address>(text.constData(), true);
    if (!addresses.empty()) {
        startWith(std::move(addresses));
        return;
    }
    const QByteArray name = host.isEmpty() ? QByteArray() : QUrl::toAce(host);
    if (name.isEmpty()) {
        startWith({});
        return;
    }
    lookUp(name);
}

void TcpClient::connectToAddresses(const QList<QByteArray>& addresses, quint16 port)
{
    abort();
    m_port = port;
    std::vector<Address> known;
    for (const QByteArray& address : addresses) {
        if (address.contains('\0'))
            continue;
        for (const Address& parsed : lookUpAddresses<Address>(address.constData(), true))
            known.push_back(parsed);
    }
    startWith(std::move(known));
}

// From the event loop, as every other outcome of a connection attempt.
void TcpClient::startWith(std::vector<Address> addresses)
{
    m_addresses = std::move(addresses);
    QMetaObject::invokeMethod(
        this,
        [this, attempt = m_attempt] {
            if (attempt == m_attempt)
                connectToNext();
        },
        Qt::QueuedConnection);
}

void TcpClient::lookUp(const QByteArray& host)
{
    m_lookup = std::shared_ptr<LookupReceiver>(
        new LookupReceiver(this), [](LookupReceiver* receiver) { receiver->deleteLater(); });
    // The pool is waited for when the application ends, so no lookup outlives Qt.
    QThreadPool::globalInstance()->start([receiver = m_lookup, host] {
        receiver->deliver(lookUpAddresses<Address>(host.constData(), false));
    });
}

void TcpClient::lookedUp(std::vector<Address> addresses)
{
    m_lookup.reset();
    m_addresses = std::move(addresses);
    connectToNext();
}

// Each address in turn until one takes the connection; the last failure is what is reported, and
// a name with no address was not found.
void TcpClient::connectToNext()
{
    if (m_nextAddress == 0)
        m_lastFailure = winsockNumber(HostNotFoundError);
    while (m_nextAddress < m_addresses.size()) {
        Address address = m_addresses[m_nextAddress++];
        if (address.storage.ss_family == AF_INET)
            reinterpret_cast<sockaddr_in&>(address.storage).sin_port = htons(m_port);
        else
            reinterpret_cast<sockaddr_in6&>(address.storage).sin6_port = htons(m_port);
        m_socket = openSocket(address.storage.ss_family);
        if (m_socket == -1) {
            m_lastFailure = winsockNumber(socketError(lastError()));
            continue;
        }
        const int result =
            ::connect(NativeSocket(m_socket), reinterpret_cast<const sockaddr*>(&address.storage),
                      address.length);
        if (result != 0 && !connectPending(lastError())) {
            m_lastFailure = winsockNumber(connectError(lastError()));
            closeSocket();
            continue;
        }
        // Done or not, the socket says so once it is writable.
        m_writeNotifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Write);
        connect(m_writeNotifier.get(), &QSocketNotifier::activated, this,
                &TcpClient::connectionSettled);
        m_connectTimer.start();
        return;
    }
    const int failure = m_lastFailure;
    abort();
    Q_EMIT errorOccurred(failure);
}

void TcpClient::connectionSettled()
{
    int error = 0;
    AddressLength length = sizeof error;
    if (::getsockopt(NativeSocket(m_socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                     &length) != 0)
        error = lastError();
    if (error != 0) {
        m_lastFailure = winsockNumber(connectError(error));
        closeSocket();
        connectToNext();
        return;
    }
    m_connectTimer.stop();
    m_writeNotifier.reset();
    m_connected = true;
    m_readNotifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &TcpClient::readyRead);
    Q_EMIT connected();
}

void TcpClient::timedOut()
{
    m_lastFailure = winsockNumber(SocketTimeoutError);
    closeSocket();
    connectToNext();
}

void TcpClient::write(const QByteArray& bytes)
{
    if (!m_connected)
        return;
    m_unsent += bytes;
    sendPending();
}

// A failed send shows on the reading side as the peer's close or reset.
void TcpClient::sendPending()
{
    while (!m_unsent.isEmpty()) {
        const auto sent = ::send(NativeSocket(m_socket), m_unsent.constData(),
                                 int(std::min<qsizetype>(m_unsent.size(), 1 << 30)), SendFlags);
        if (sent < 0 && interrupted(lastError()))
            continue;
        if (sent < 0 && wouldBlock(lastError())) {
            if (!m_writeNotifier) {
                m_writeNotifier =
                    std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Write);
                connect(m_writeNotifier.get(), &QSocketNotifier::activated, this,
                        &TcpClient::writable);
            }
            return;
        }
        if (sent < 0) {
            m_unsent.clear();
            break;
        }
        m_unsent.remove(0, sent);
    }
    m_writeNotifier.reset();
}

void TcpClient::writable()
{
    sendPending();
}

qint64 TcpClient::bytesAvailable() const
{
    return m_socket == -1 ? 0 : pendingBytes(m_socket);
}

qint64 TcpClient::read(char* data, qint64 maxSize)
{
    if (m_socket == -1)
        return -1;
    for (;;) {
        const auto got =
            ::recv(NativeSocket(m_socket), data, int(std::min<qint64>(maxSize, 1 << 30)), 0);
        if (got > 0)
            return got;
        if (got < 0 && interrupted(lastError()))
            continue;
        if (got < 0 && wouldBlock(lastError()))
            return 0;
        return -1;
    }
}

TcpClient::PeerEnd TcpClient::peekPeerEnd() const
{
    if (m_socket == -1)
        return PeerEnd::Closed;
    char byte = 0;
    const auto r = ::recv(NativeSocket(m_socket), &byte, 1, MSG_PEEK);
    const int error = r < 0 ? lastError() : 0;
    if (r > 0 || wouldBlock(error) || interrupted(error))
        return PeerEnd::StillOpen;
    if (r == 0)
        return PeerEnd::Closed;
    if (error == Errors::TimedOut)
        return PeerEnd::TimedOut;
    return wasReset(error) ? PeerEnd::Reset : PeerEnd::Closed;
}

void TcpClient::abort()
{
    ++m_attempt;
    m_connectTimer.stop();
    if (m_lookup) {
        m_lookup->forget();
        m_lookup.reset();
    }
    closeSocket();
    m_addresses.clear();
    m_nextAddress = 0;
}

void TcpClient::closeSocket()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_connected = false;
    m_unsent.clear();
    if (m_socket != -1) {
        closeNative(m_socket);
        m_socket = -1;
    }
}
