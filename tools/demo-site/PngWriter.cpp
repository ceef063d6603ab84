#include "PngWriter.h"

#include <array>
#include <vector>

namespace PngWriter {

namespace {

// What deflate can express: matches of 3 to 258 bytes up to 32 KB back.
constexpr int MinMatch = 3;
constexpr int MaxMatch = 258;
constexpr int Window = 32768;
constexpr int HashBits = 15;
// Earlier places with the same three bytes tried per match: plenty for stripes and discs, and
// noise stays fast.
constexpr int ChainLimit = 32;
constexpr int EndOfBlock = 256;

constexpr std::array<quint32, 256> CrcTable = [] {
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

quint32 crc32(QByteArrayView bytes)
{
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = CrcTable[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

quint32 adler32(QByteArrayView bytes)
{
    constexpr quint32 Modulus = 65521;
    quint32 a = 1, b = 0;
    for (const char byte : bytes) {
        a = (a + quint8(byte)) % Modulus;
        b = (b + a) % Modulus;
    }
    return (b << 16) | a;
}

void appendBigEndian(QByteArray& out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

// A length or distance code: the smallest value it stands for and how many extra bits follow.
struct Bucket {
    int base;
    int extraBits;
};

// Lengths 3 to 257 by codes 257 to 284; 258 has code 285 with no extra bits.
constexpr std::array<Bucket, 29> LengthBuckets = [] {
    std::array<Bucket, 29> buckets{};
    int base = MinMatch;
    for (int i = 0; i < 28; ++i) {
        buckets[size_t(i)] = {base, i < 8 ? 0 : i / 4 - 1};
        base += 1 << buckets[size_t(i)].extraBits;
    }
    buckets[28] = {MaxMatch, 0};
    return buckets;
}();

// Distances 1 to 32768 by codes 0 to 29.
constexpr std::array<Bucket, 30> DistanceBuckets = [] {
    std::array<Bucket, 30> buckets{};
    int base = 1;
    for (int i = 0; i < 30; ++i) {
        buckets[size_t(i)] = {base, i < 4 ? 0 : i / 2 - 1};
        base += 1 << buckets[size_t(i)].extraBits;
    }
    return buckets;
}();

template <size_t N> int bucketOf(const std::array<Bucket, N>& buckets, int value)
{
    int code = int(N) - 1;
    while (buckets[size_t(code)].base > value)
        --code;
    return code;
}

// Deflate's bit order: values least significant bit first, Huffman codes most significant first.
class BitWriter {
public:
    void put(quint32 bits, int count)
    {
        m_buffer |= quint64(bits) << m_count;
        m_count += count;
        while (m_count >= 8) {
            m_bytes.append(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_count -= 8;
        }
    }

    void putCode(quint32 code, int length)
    {
        quint32 reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1) << (length - 1 - i);
        put(reversed, length);
    }

    QByteArray finish()
    {
        if (m_count > 0)
            put(0, 8 - m_count);
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint64 m_buffer = 0;
    int m_count = 0;
};

// The fixed Huffman code of a literal byte, the end of the block or a length code.
void putSymbol(BitWriter& out, int symbol)
{
    if (symbol < 144)
        out.putCode(0x30 + symbol, 8);
    else if (symbol < 256)
        out.putCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        out.putCode(symbol - 256, 7);
    else
        out.putCode(0xC0 + symbol - 280, 8);
}

void putMatch(BitWriter& out, int length, int distance)
{
    const int lengthCode = bucketOf(LengthBuckets, length);
    putSymbol(out, 257 + lengthCode);
    const Bucket& lengthBucket = LengthBuckets[size_t(lengthCode)];
    out.put(quint32(length - lengthBucket.base), lengthBucket.extraBits);
    const int distanceCode = bucketOf(DistanceBuckets, distance);
    out.putCode(quint32(distanceCode), 5);
    const Bucket& distanceBucket = DistanceBuckets[size_t(distanceCode)];
    out.put(quint32(distance - distanceBucket.base), distanceBucket.extraBits);
}

struct Match {
    int length = 0;
    int distance = 0;
};

// Finds earlier copies of the bytes ahead through chains of places hashed by three bytes.
class MatchFinder {
public:
    explicit MatchFinder(QByteArrayView data)
        : m_data(data), m_head(size_t(1) << HashBits, -1), m_previous(Window, -1)
    {}

    Match longestAt(qsizetype at) const
    {
        Match best;
        if (at + MinMatch > m_data.size())
            return best;
        const int limit = int(qMin<qsizetype>(MaxMatch, m_data.size() - at));
        qsizetype candidate = m_head[hashAt(at)];
        for (int tries = 0; candidate >= 0 && at - candidate <= Window && tries < ChainLimit;
             ++tries) {
            int length = 0;
            while (length < limit && m_data[candidate + length] == m_data[at + length])
                ++length;
            if (length > best.length)
                best = {length, int(at - candidate)};
            if (length == limit)
                break;
            candidate = m_previous[size_t(candidate % Window)];
        }
        return best;
    }

    void insert(qsizetype at)
    {
        if (at + MinMatch > m_data.size())
            return;
        qint32& head = m_head[hashAt(at)];
        m_previous[size_t(at % Window)] = head;
        head = qint32(at);
    }

private:
    size_t hashAt(qsizetype at) const
    {
        const quint32 key = quint32(quint8(m_data[at])) << 16 |
                            quint32(quint8(m_data[at + 1])) << 8 | quint8(m_data[at + 2]);
        return (key * 2654435761u) >> (32 - HashBits);
    }

    QByteArrayView m_data;
    std::vector<qint32> m_head;
    std::vector<qint32> m_previous;
};

// One final block with the fixed codes: greedy matches, literals in between.
QByteArray deflate(QByteArrayView data)
{
    BitWriter out;
    out.put(1, 1); // the last block
    out.put(1, 2); // fixed Huffman codes
    MatchFinder finder(data);
    for (qsizetype at = 0; at < data.size();) {
        const Match match = finder.longestAt(at);
        if (match.length >= MinMatch) {
            putMatch(out, match.length, match.distance);
            for (const qsizetype end = at + match.length; at < end; ++at)
                finder.insert(at);
        } else {
            putSymbol(out, quint8(data[at]));
            finder.insert(at++);
        }
    }
    putSymbol(out, EndOfBlock);
    return out.finish();
}

QByteArray zlibStream(QByteArrayView data)
{
    QByteArray out("\x78\x01", 2); // deflate with a 32 KB window, no dictionary
    out += deflate(data);
    appendBigEndian(out, adler32(data));
    return out;
}

// Each row behind filter type 0: the bytes as they are.
QByteArray scanlines(int width, int height, const QList<Rgb>& pixels)
{
    QByteArray rows;
    rows.reserve(qsizetype(height) * (1 + 3 * qsizetype(width)));
    const Rgb* pixel = pixels.constData();
    for (int y = 0; y < height; ++y) {
        rows.append('\0');
        for (int x = 0; x < width; ++x, ++pixel) {
            rows.append(char(pixel->red));
            rows.append(char(pixel->green));
            rows.append(char(pixel->blue));
        }
    }
    return rows;
}

void appendChunk(QByteArray& out, const char* type, const QByteArray& data)
{
    appendBigEndian(out, quint32(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out += data;
    appendBigEndian(out, crc32(QByteArrayView(out).sliced(start)));
}

} // namespace

QByteArray encode(int width, int height, const QList<Rgb>& pixels)
{
    Q_ASSERT(width > 0 && height > 0);
    Q_ASSERT(pixels.size() == qsizetype(width) * height);
    QByteArray header;
    appendBigEndian(header, quint32(width));
    appendBigEndian(header, quint32(height));
    header.append("\x08\x02\x00\x00\x00", 5); // 8 bits a channel, RGB, deflate, no interlacing

    QByteArray out("\x89PNG\r\n\x1A\n", 8);
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", zlibStream(scanlines(width, height, pixels)));
    appendChunk(out, "IEND", {});
    return out;
}

} // namespace PngWriter
