#pragma once

#include "core/net/TransferOutcome.h"

#include <QByteArray>

// What a download run needs of the download engine: settings for the run, one blocking transfer
// at a time, and a way to abort it. Replies, paths and markers are bytes.
class Transfer {
public:
    virtual ~Transfer() = default;

    // Both texts are kept when `on` is set; when clear the stored name and port stay but are
    // unused.
    virtual void setUseProxyServer(const QByteArray& Name, const QByteArray& Port, bool on) = 0;
    virtual void setCasheSize(qint16 Size) = 0;
    virtual void setStopString(const QByteArray& SString) = 0;
    virtual void setRHost(const QByteArray& RemoteHost) = 0;

    // Blocks (running nested events) until the transfer is over, and says how it ended: the whole
    // reply, failed, stopped, or abandoned when the program's last window closed while it waited.
    virtual TransferOutcome Down(const QByteArray& RemoteFile, bool CasheFile) = 0;
    // Aborts the transfer in progress; the waiting Down ends as stopped.
    virtual void Stopped() = 0;
    // The outcome of the current transfer: pending while it runs.
    virtual TransferOutcome TransferResult() const = 0;
    // Returns once every reply handed to the cache so far is stored.
    virtual void finishCaching() = 0;
};
