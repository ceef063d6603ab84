#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

class QSocketNotifier;

// One TCP connection at a time on the program's event loop, with no more system calls than the
// engine needs: connect to a host (an address, or a name looked up on a thread of its own) and
// port, send, deliver what arrives, close. It goes straight to the host it is given, never through
// a proxy of the environment or the system. A connection that fails is reported with the number
// Winsock gives the same failure: a connection attempt gives up after 30 seconds, and each address
// of a name is tried in turn. Built for Windows, run and tested on Linux only.
class TcpClient : public QObject {
    Q_OBJECT

public:
    static constexpr int ConnectTimeoutMs = 30000;

    // The kinds of failure a connection reports, numbered as Qt's sockets number them.
    enum SocketError {
        UnknownSocketError = -1,
        ConnectionRefusedError = 0,
        RemoteHostClosedError = 1,
        HostNotFoundError = 2,
        SocketAccessError = 3,
        SocketResourceError = 4,
        SocketTimeoutError = 5,
        NetworkError = 7,
        AddressInUseError = 8,
        SocketAddressNotAvailableError = 9,
        UnsupportedSocketOperationError = 10,
    };

    // What the peer did, seen when the socket reads as readable with nothing to read.
    enum class PeerEnd { StillOpen, Closed, Reset, TimedOut };

    explicit TcpClient(QObject* parent = nullptr);
    ~TcpClient() override;
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Ends whatever connection or attempt there is, and starts a new one; connected() or
    // errorOccurred() follows from the event loop.
    void connectToHost(const QString& host, quint16 port);
    // The same with addresses already known (numeric, IPv4 or IPv6), tried in this order.
    void connectToAddresses(const QList<QByteArray>& addresses, quint16 port);
    // Sends every byte; what the socket does not take at once follows when it has room.
    void write(const QByteArray& bytes);
    // The bytes that can be read now.
    qint64 bytesAvailable() const;
    // Up to maxSize bytes; 0 when none are there yet; -1 once the peer closed or the connection
    // broke.
    qint64 read(char* data, qint64 maxSize);
    // Looks without taking anything; only meaningful once readyRead() came with nothing to read.
    PeerEnd peekPeerEnd() const;
    // Closes at once; nothing is reported afterwards.
    void abort();

    static int winsockNumber(SocketError error);

Q_SIGNALS:
    void connected();
    // Something arrived, or the peer closed, or the connection broke.
    void readyRead();
    void errorOccurred(int winsockNumber);

private:
    struct Address;
    class LookupReceiver;

    void startWith(std::vector<Address> addresses);
    void lookUp(const QByteArray& host);
    void lookedUp(std::vector<Address> addresses);
    void connectToNext();
    void connectionSettled();
    void writable();
    void timedOut();
    void failLater(int winsockNumber);
    void closeSocket();
    void sendPending();

    qintptr m_socket = -1;
    quint16 m_port = 0;
    bool m_connected = false;
    // Counts the attempts, so a report queued for one that was aborted is dropped.
    quint64 m_attempt = 0;
    std::vector<Address> m_addresses;
    size_t m_nextAddress = 0;
    int m_lastFailure = 0;
    std::shared_ptr<LookupReceiver> m_lookup;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_unsent;
    QTimer m_connectTimer;
};
