#pragma once

#include "core/net/CacheWriter.h"
#include "core/net/HttpReply.h"
#include "core/net/ResponseCache.h"
#include "core/net/TcpClient.h"
#include "core/net/Transfer.h"
#include "core/net/TransferOutcome.h"
#include "core/net/TransferStatus.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>

class QEventLoop;

// The program's HTTP/1.0 client: one request per connection, directly to the site on port 80 or
// through a proxy, ending early at the stop marker, with a disk cache of success replies.
// It reports what happens (its state, whether it is busy, the traffic count) as values and leaves
// the wording and the busy icon to whoever shows them; a socket error is announced so the host
// can switch the run off.
class Download_Control : public QObject, public Transfer {
    Q_OBJECT

public:
    // The largest reply kept in memory; a longer one ends as a socket error.
    static constexpr qint64 DefaultReplyLimit = qint64(256) * 1024 * 1024;
    // The most taken at once while a stop marker is awaited.
    static constexpr qint64 MarkerPiece = 16 * 1024;

    explicit Download_Control(QObject* parent = nullptr);
    ~Download_Control() override;

    void setUseProxyServer(const QByteArray& Name, const QByteArray& Port, bool on) override;
    void setCasheSize(qint16 Size) override;
    void setStopString(const QByteArray& SString) override;
    void setRHost(const QByteArray& RemoteHost) override;
    TransferOutcome Down(const QByteArray& RemoteFile, bool CasheFile) override;
    void Stopped() override;
    TransferOutcome TransferResult() const override { return m_outcome; }

    // The cache folder; its database is "!Cashe.dat" inside it.
    void setPathCasheFiles(const QString& CPath);
    // The number of stored replies; 0 without a database.
    qint16 SizeCashe() const;
    // Empties the cache folder and starts a new database. Fails when the folder cannot be made.
    FileIo::Error ClearCashe();
    // Replies are stored on a thread of their own after their transfer: these wait for that.
    ResponseCache& cache();
    void finishCaching() override { m_cacheWriter.finish(); }

    // Bytes sent and received over the network since the engine was made; cache hits add nothing.
    qint64 TrafficCount() const { return m_trafficCount; }

    // The latest report; Ready until the first transfer.
    TransferStatus status() const { return m_status; }
    // From the start of a transfer over the network until it ends; a cache hit is never busy.
    bool isBusy() const { return m_busy; }

    // The request text of a transfer of `RemoteFile` with the current settings.
    QByteArray BuildRequest(const QByteArray& RemoteFile) const;

    // The number Winsock gives the same failure, so the status line reads alike everywhere.
    static int WinsockNumber(TcpClient::SocketError error);

    // Direct connections go to `RHost` at this port; the site's port 80 unless a local copy of
    // the site is used.
    void setDirectPort(quint16 port) { m_directPort = port; }
    // Lower reply limit, so the limit can be tried without a huge reply.
    void setReplyLimit(qint64 bytes) { m_replyLimit = bytes; }
    // A transfer over the network that receives nothing for this long ends as a timed-out socket
    // error. Zero, the default, waits for ever: in the window a person can press stop.
    void setStallTimeout(std::chrono::seconds timeout);

public Q_SLOTS:
    // The program has no window left: a waiting Down ends as abandoned at once, and so does every
    // later one.
    void abandonWait();

Q_SIGNALS:
    // Every new state, also one equal to the last (each arrival is a report of its own).
    void statusChanged(const TransferStatus& status);
    void busyChanged(bool busy);
    // Bytes sent and received so far, after each request sent and each transfer ended.
    void trafficChanged(qint64 count);
    // A socket error ended the transfer; the host switches the run off.
    void socketErrorRaised();

private:
    void WS_Connect();
    void WS_DataArrival();
    void WS_Close();
    void WS_Error(int number);

    void connectSocket();
    void appendArrival(qint64 available);
    void appendPiece(qint64 available);
    void reserveDeclared(qsizetype sizeBefore);
    enum class Ending { ServerClosed, AtMarker };
    void completeTransfer(Ending ending, HttpReply::Verdict verdict);
    void raiseSocketError(int number);
    void finishWith(const TransferOutcome& outcome);
    void closeSocket();
    void addTraffic(qint64 count);
    void restartStallTimer();
    void stalled();

    bool LoadFromCashe();
    void SaveToCashe(bool cutAtMarker);

    void StartAnimation();
    void StopAnimation();
    void ShowProxyAuthError();
    void setStatus(const TransferStatus& status);

    TcpClient* m_socket = nullptr;
    QEventLoop* m_wait = nullptr;
    QTimer m_stallTimer;
    ResponseCache m_cache;
    CacheWriter m_cacheWriter{m_cache};

    QByteArray m_rHost;
    bool m_useProxy = false;
    QByteArray m_proxyName;
    QByteArray m_proxyPort;
    QByteArray m_stopString;
    QByteArray m_remoteFile;
    bool m_casheFile = false;
    QByteArray m_replyBuffer;
    bool m_headerSeen = false; // the reply's header has ended and room was made for its body
    TransferOutcome m_outcome;
    bool m_transferring = false;
    bool m_abandoned = false;

    qint64 m_trafficCount = 0;
    qint64 m_replyLimit = DefaultReplyLimit;
    quint16 m_directPort = 80;

    TransferStatus m_status;
    bool m_busy = false;
};
