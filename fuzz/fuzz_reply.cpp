// The engine's tests of a reply, on any bytes the server may send, and the stop-marker search on
// the same bytes arriving in pieces. The input is the reply; its first bytes also pick the marker
// and the sizes of the pieces.
#include "FuzzSupport.h"
#include "core/net/HttpReply.h"

#include <algorithm>
#include <array>

using FuzzSupport::expect;

namespace {

constexpr QByteArrayView HeaderEnd = "\r\n\r\n";
// The engine's own stop markers, and the header's end.
constexpr std::array<QByteArrayView, 3> KnownMarkers{"&raquo;&raquo;", "photo/random.html",
                                                     HeaderEnd};
// Everything classify looks at lies in the first 31 bytes: "404 Not Found" starting at 18 at
// the latest, "407 Unauthorized" at 9.
constexpr qsizetype ClassifiedBytes = 31;

quint8 byteAt(QByteArrayView input, qsizetype i)
{
    return input.isEmpty() ? 0 : quint8(input[i % input.size()]);
}

void checkClassify(QByteArrayView reply)
{
    const HttpReply::Verdict verdict = HttpReply::classify(reply);
    expect(HttpReply::classify(reply.first(std::min(reply.size(), ClassifiedBytes))) == verdict,
           "classify looks at the first 31 bytes only");
    if (reply.size() >= 9 && reply.sliced(9).startsWith("407 Unauthorized"))
        expect(verdict == HttpReply::Verdict::ProxyAuthError, "407 at the code is a proxy error");
    if (verdict == HttpReply::Verdict::NotFound)
        expect(reply.first(std::min(reply.size(), ClassifiedBytes)).contains("404 Not Found"),
               "404 is found where it is");
}

void checkStatus(QByteArrayView reply)
{
    const auto code = HttpReply::statusCode(reply);
    if (!code)
        return;
    expect(*code >= 0 && *code <= 999, "a status code has three digits");
    expect(reply.startsWith("HTTP/") && reply[8] == ' ' &&
               reply.sliced(9, 3) == QByteArray::number(*code).rightJustified(3, '0'),
           "the status code is the status line's");
}

void checkHeaderAndLength(QByteArrayView reply)
{
    const auto header = HttpReply::headerSize(reply);
    if (header) {
        expect(*header >= HeaderEnd.size() && *header <= reply.size(),
               "the header is in the reply");
        expect(reply.first(*header).endsWith(HeaderEnd) &&
                   !reply.first(*header - 1).contains(HeaderEnd),
               "the header ends at the first blank line");
    }
    const auto length = HttpReply::contentLength(reply);
    if (length) {
        expect(header.has_value() && *length >= 0, "a length comes from a complete header");
        expect(reply.first(*header).contains(QByteArray::number(*length)),
               "the length is written in the header");
    }
    const bool cutShort = HttpReply::isCutShort(reply);
    expect(cutShort == (length && reply.size() - *header < *length),
           "cut short exactly when the body is shorter than its length");
    if (length && !cutShort)
        expect(!HttpReply::isCutShort(reply.toByteArray().append('x')),
               "more bytes never cut a reply");
}

void checkStorable(QByteArrayView reply)
{
    const bool whole = HttpReply::isStorable(reply, false);
    const bool cut = HttpReply::isStorable(reply, true);
    expect(!whole || cut, "what is storable whole is storable when cut at the marker");
    expect(!whole || !HttpReply::isCutShort(reply), "a reply cut short is never stored whole");
    if (cut)
        expect((reply.startsWith("HTTP/1.0 200 OK") || reply.startsWith("HTTP/1.1 200 OK")) &&
                   HttpReply::headerSize(reply).has_value() && HttpReply::statusCode(reply) == 200,
               "only complete 200 replies are stored");
}

QByteArrayView markerFor(QByteArrayView input)
{
    const quint8 choice = byteAt(input, 0);
    if (choice % 4 < KnownMarkers.size())
        return KnownMarkers[choice % 4];
    // A piece of the input itself, so that it is there to be found.
    const qsizetype start = std::min<qsizetype>(byteAt(input, 1), input.size());
    return input.sliced(start).first(
        std::min<qsizetype>(input.size() - start, byteAt(input, 2) % 24));
}

// Feeding the reply piece by piece finds the marker with exactly the piece after which a search
// of everything received first finds it.
void checkMarkerArrival(QByteArrayView input)
{
    const QByteArrayView marker = markerFor(input);
    QByteArray received;
    // Adds the next `size` bytes; true once the marker is in.
    const auto arrive = [&](qsizetype size) {
        const qsizetype sizeBefore = received.size();
        received += input.sliced(sizeBefore, std::min(size, input.size() - sizeBefore));
        const bool arrived = HttpReply::markerArrived(received, sizeBefore, marker);
        const bool found = !marker.isEmpty() && received.contains(marker);
        expect(arrived == found, "the marker is found with the piece that completes it");
        return found;
    };
    for (qsizetype piece = 0; received.size() < input.size(); ++piece) {
        const quint8 pick = byteAt(input, piece + 3);
        // Now and then a read brings nothing.
        if ((pick % 8 == 0 && arrive(0)) || arrive(1 + pick % 60))
            return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView reply = FuzzSupport::bytes(data, size);
    checkClassify(reply);
    checkStatus(reply);
    checkHeaderAndLength(reply);
    checkStorable(reply);
    checkMarkerArrival(reply);
    return 0;
}
