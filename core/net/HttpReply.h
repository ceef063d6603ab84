#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The tests the engine applies to the bytes of a reply. A reply is whatever the server sent:
// status line, header lines, blank line, body; nothing here trusts it to be well formed.
namespace HttpReply {

enum class Verdict {
    Reply,          // handed to the caller as it is
    ProxyAuthError, // "407 Unauthorized" at the status code's place
    NotFound,       // "404 Not Found" starting within the first 19 bytes
};

Verdict classify(QByteArrayView reply);

// True once `marker` occurs in `buffer`; only the part that the bytes after `sizeBefore` can
// have completed is searched, so a reply arriving byte by byte costs no more than at once.
bool markerArrived(QByteArrayView buffer, qsizetype sizeBefore, QByteArrayView marker);

// The number of the status line ("HTTP/1.x 200 OK" gives 200), or nothing.
std::optional<int> statusCode(QByteArrayView reply);

// The size of the header including its blank line (CR LF CR LF), or nothing when it has none.
std::optional<qsizetype> headerSize(QByteArrayView reply);

// The Content-Length the header declares, or nothing when it declares none or no valid one.
std::optional<qint64> contentLength(QByteArrayView reply);

// A reply ended by the server's close whose body is shorter than the length it declares.
bool isCutShort(QByteArrayView reply);

// Worth keeping in the cache: "HTTP/1.0 200 OK" or "HTTP/1.1 200 OK", a complete header, and
// unless the stop marker cut it, the whole body its header declares.
bool isStorable(QByteArrayView reply, bool cutAtMarker);

} // namespace HttpReply
