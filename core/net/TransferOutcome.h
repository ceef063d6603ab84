#pragma once

#include <QByteArray>
#include <utility>

// How a transfer ended. Only a reply carries bytes, so no reply text can be mistaken for a
// failure or a stop.
class TransferOutcome {
public:
    enum class Kind {
        Pending,   // the transfer still runs
        Reply,     // the whole reply arrived and passed the tests
        Failed,    // a socket error, or a reply refused by its status line
        Stopped,   // aborted through Stopped
        Abandoned, // the program's last window closed while it waited
    };

    TransferOutcome() = default;

    static TransferOutcome reply(QByteArray bytes) { return {Kind::Reply, std::move(bytes)}; }
    static TransferOutcome failed() { return {Kind::Failed, {}}; }
    static TransferOutcome stopped() { return {Kind::Stopped, {}}; }
    static TransferOutcome abandoned() { return {Kind::Abandoned, {}}; }

    Kind kind() const { return m_kind; }
    bool isPending() const { return m_kind == Kind::Pending; }
    bool isReply() const { return m_kind == Kind::Reply; }
    // The whole reply: status line, header lines, the blank line and the body. Empty for every
    // other outcome.
    const QByteArray& bytes() const { return m_bytes; }

    bool operator==(const TransferOutcome&) const = default;

private:
    TransferOutcome(Kind kind, QByteArray bytes) : m_kind(kind), m_bytes(std::move(bytes)) {}

    Kind m_kind = Kind::Pending;
    QByteArray m_bytes;
};
