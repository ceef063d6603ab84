#pragma once

#include <QByteArray>
#include <QtGlobal>

// What the engine is doing, as it reports it: a state and the numbers that go with it. What a
// user reads of it is made elsewhere, by EngineTexts.
struct TransferStatus {
    enum class Kind {
        Ready,              // nothing has happened yet
        Connecting,         // to `host`, directly
        ConnectingViaProxy, // to the proxy `host` at `port`, as the user typed them
        RequestSent,
        Receiving, // `bytes` of the reply have arrived
        Completed,
        FromCache,
        Stopped,
        ProxyAuthFailed, // the proxy wants credentials the engine never sends
        SocketError,     // Winsock's `errorNumber`
    };

    Kind kind = Kind::Ready;
    qint64 bytes = 0;
    int errorNumber = 0;
    QByteArray host{};
    QByteArray port{};

    bool operator==(const TransferStatus&) const = default;
};
