#include "core/net/HttpReply.h"

#include "core/platform/ByteSearch.h"

#include <algorithm>

namespace HttpReply {

namespace {

constexpr qsizetype StatusCodePosition = 9;
constexpr qsizetype NotFoundLastPosition = 18;
constexpr QByteArrayView NotFound = "404 Not Found";
constexpr QByteArrayView HeaderEnd = "\r\n\r\n";
constexpr QByteArrayView LengthField = "content-length:";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QByteArrayView trimmedBlanks(QByteArrayView text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

std::optional<qint64> wholeNumber(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

Verdict classify(QByteArrayView reply)
{
    if (reply.sliced(std::min(StatusCodePosition, reply.size())).startsWith("407 Unauthorized"))
        return Verdict::ProxyAuthError;
    // Only a start within the first bytes counts, so nothing beyond them is searched.
    const QByteArrayView start =
        reply.first(std::min(reply.size(), NotFoundLastPosition + NotFound.size()));
    if (start.contains(NotFound))
        return Verdict::NotFound;
    return Verdict::Reply;
}

bool markerArrived(QByteArrayView buffer, qsizetype sizeBefore, QByteArrayView marker)
{
    if (marker.isEmpty())
        return false;
    const qsizetype from = std::max<qsizetype>(0, sizeBefore - (marker.size() - 1));
    return ByteSearch::indexOf(buffer, marker, from) >= 0;
}

std::optional<int> statusCode(QByteArrayView reply)
{
    if (!reply.startsWith("HTTP/") || reply.size() < StatusCodePosition + 3)
        return std::nullopt;
    const QByteArrayView code = reply.sliced(StatusCodePosition, 3);
    if (reply[StatusCodePosition - 1] != ' ' || !std::all_of(code.begin(), code.end(), isDigit))
        return std::nullopt;
    return int(*wholeNumber(code));
}

std::optional<qsizetype> headerSize(QByteArrayView reply)
{
    // Line by line: a search for the byte that ends a line is much cheaper than one for the four.
    for (qsizetype at = reply.indexOf('\n'); at >= 0; at = reply.indexOf('\n', at + 1)) {
        if (at >= HeaderEnd.size() - 1 &&
            reply.sliced(at + 1 - HeaderEnd.size(), HeaderEnd.size()) == HeaderEnd)
            return at + 1;
    }
    return std::nullopt;
}

std::optional<qint64> contentLength(QByteArrayView reply)
{
    const auto size = headerSize(reply);
    if (!size)
        return std::nullopt;
    QByteArrayView lines = reply.first(*size - HeaderEnd.size());
    while (!lines.isEmpty()) {
        const qsizetype end = lines.indexOf("\r\n");
        const QByteArrayView line = end < 0 ? lines : lines.first(end);
        lines = end < 0 ? QByteArrayView() : lines.sliced(end + 2);
        if (line.size() >= LengthField.size() &&
            line.first(LengthField.size()).compare(LengthField, Qt::CaseInsensitive) == 0)
            return wholeNumber(trimmedBlanks(line.sliced(LengthField.size())));
    }
    return std::nullopt;
}

bool isCutShort(QByteArrayView reply)
{
    const auto length = contentLength(reply);
    return length && reply.size() - *headerSize(reply) < *length;
}

bool isStorable(QByteArrayView reply, bool cutAtMarker)
{
    const QByteArrayView status = reply.first(std::min<qsizetype>(reply.size(), 15));
    if (status != "HTTP/1.0 200 OK" && status != "HTTP/1.1 200 OK")
        return false;
    if (!headerSize(reply))
        return false;
    return cutAtMarker || !isCutShort(reply);
}

} // namespace HttpReply
