#include "JpegWriter.h"

#include <array>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

namespace JpegWriter {

namespace {

using Block = std::array<int, 64>;

// The example tables of the JPEG standard (its annex K), row by row.
constexpr Block LuminanceQuantisation = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr Block ChrominanceQuantisation = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

constexpr quint8 DcSymbols[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr quint8 LuminanceAcSymbols[] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr quint8 ChrominanceAcSymbols[] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// A Huffman table as the file carries it: how many codes of each length 1 to 16, then the
// symbols in the order of their codes.
struct HuffmanTable {
    int tableClass; // 0 for DC, 1 for AC
    int id;
    std::array<quint8, 16> counts;
    std::span<const quint8> symbols;
};

constexpr HuffmanTable LuminanceDc = {0, 0, {0, 1, 5, 1, 1, 1, 1, 1, 1}, DcSymbols};
constexpr HuffmanTable ChrominanceDc = {0, 1, {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1}, DcSymbols};
constexpr HuffmanTable LuminanceAc = {
    1, 0, {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d}, LuminanceAcSymbols};
constexpr HuffmanTable ChrominanceAc = {
    1, 1, {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77}, ChrominanceAcSymbols};

constexpr bool countsMatchSymbols(const HuffmanTable& table)
{
    int total = 0;
    for (const quint8 count : table.counts)
        total += count;
    return total == int(table.symbols.size());
}
static_assert(countsMatchSymbols(LuminanceDc) && countsMatchSymbols(ChrominanceDc) &&
              countsMatchSymbols(LuminanceAc) && countsMatchSymbols(ChrominanceAc));

// Coefficients in the order the file lists them: along the anti-diagonals, turning at the edges.
constexpr std::array<int, 64> ZigZag = [] {
    std::array<int, 64> order{};
    int next = 0;
    for (int sum = 0; sum < 15; ++sum) {
        for (int k = 0; k <= sum; ++k) {
            const int row = sum % 2 ? k : sum - k;
            const int column = sum - row;
            if (row < 8 && column < 8)
                order[size_t(next++)] = row * 8 + column;
        }
    }
    return order;
}();

// The orthonormal 8-point DCT-II basis in 1/4096ths; rounded once, so the encoding is exact
// integer arithmetic from there on.
constexpr int BasisBits = 12;
const std::array<std::array<qint64, 8>, 8>& dctBasis()
{
    static const auto basis = [] {
        std::array<std::array<qint64, 8>, 8> rows{};
        for (int u = 0; u < 8; ++u) {
            const double scale = u == 0 ? std::sqrt(0.125) : 0.5;
            for (int x = 0; x < 8; ++x)
                rows[size_t(u)][size_t(x)] = std::lround(
                    scale * std::cos((2 * x + 1) * u * std::numbers::pi / 16) * (1 << BasisBits));
        }
        return rows;
    }();
    return basis;
}

qint64 divideRounded(qint64 value, qint64 divisor)
{
    return value >= 0 ? (value + divisor / 2) / divisor : -((divisor / 2 - value) / divisor);
}

// The forward DCT of level-shifted samples, divided by the quantisation table.
Block quantisedTransform(const Block& samples, const Block& table)
{
    const auto& basis = dctBasis();
    std::array<qint64, 64> rows{};
    for (int y = 0; y < 8; ++y) {
        for (int u = 0; u < 8; ++u) {
            qint64 sum = 0;
            for (int x = 0; x < 8; ++x)
                sum += basis[size_t(u)][size_t(x)] * samples[size_t(y * 8 + x)];
            rows[size_t(y * 8 + u)] = sum;
        }
    }
    Block out{};
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            qint64 sum = 0;
            for (int y = 0; y < 8; ++y)
                sum += basis[size_t(v)][size_t(y)] * rows[size_t(y * 8 + u)];
            const qint64 step = qint64(table[size_t(v * 8 + u)]) << (2 * BasisBits);
            out[size_t(v * 8 + u)] = int(divideRounded(sum, step));
        }
    }
    return out;
}

// The three planes, each sample already shifted to -128..127. Luma covers whole 16 x 16 units,
// chroma half of that each way; beyond the picture the edge pixels repeat.
struct Planes {
    int lumaWidth = 0;
    int lumaHeight = 0;
    std::vector<int> luma;
    std::vector<int> blueDifference;
    std::vector<int> redDifference;
};

// The JFIF colour transform in 1/65536ths.
int lumaOf(Rgb c)
{
    return (19595 * c.red + 38470 * c.green + 7471 * c.blue + 32768) >> 16;
}

Planes toPlanes(int width, int height, const QList<Rgb>& pixels)
{
    auto at = [&](int x, int y) {
        return pixels[qsizetype(qMin(y, height - 1)) * width + qMin(x, width - 1)];
    };
    Planes planes;
    planes.lumaWidth = (width + 15) / 16 * 16;
    planes.lumaHeight = (height + 15) / 16 * 16;
    planes.luma.reserve(size_t(planes.lumaWidth) * size_t(planes.lumaHeight));
    for (int y = 0; y < planes.lumaHeight; ++y) {
        for (int x = 0; x < planes.lumaWidth; ++x)
            planes.luma.push_back(lumaOf(at(x, y)) - 128);
    }
    // Each chroma sample from the sum over its four pixels, 128 for grey; rounding a hair under
    // one half keeps pure blue or red at 255.
    constexpr int Offset = 4 * (128 << 16) + (1 << 17) - 1;
    for (int y = 0; y < planes.lumaHeight; y += 2) {
        for (int x = 0; x < planes.lumaWidth; x += 2) {
            int blue = Offset, red = Offset;
            for (const Rgb c : {at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1)}) {
                blue += -11059 * c.red - 21709 * c.green + 32768 * c.blue;
                red += 32768 * c.red - 27439 * c.green - 5329 * c.blue;
            }
            planes.blueDifference.push_back((blue >> 18) - 128);
            planes.redDifference.push_back((red >> 18) - 128);
        }
    }
    return planes;
}

Block blockAt(const std::vector<int>& plane, int planeWidth, int left, int top)
{
    Block block{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            block[size_t(y * 8 + x)] = plane[size_t((top + y) * planeWidth + left + x)];
    }
    return block;
}

// Entropy-coded bits go most significant first; a 0xFF byte gets a 0x00 after it so no marker
// appears by chance.
class BitWriter {
public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}

    void put(quint32 bits, int count)
    {
        m_buffer = (m_buffer << count) | (bits & ((1u << count) - 1));
        m_count += count;
        while (m_count >= 8) {
            const char byte = char((m_buffer >> (m_count - 8)) & 0xFF);
            m_out.append(byte);
            if (byte == char(0xFF))
                m_out.append('\0');
            m_count -= 8;
        }
        m_buffer &= (1u << m_count) - 1;
    }

    // The last byte is filled with one bits.
    void finish()
    {
        if (m_count > 0)
            put((1u << (8 - m_count)) - 1, 8 - m_count);
    }

private:
    QByteArray& m_out;
    quint32 m_buffer = 0;
    int m_count = 0;
};

struct Code {
    quint16 bits = 0;
    int length = 0;
};

// The codes a table's counts give: consecutive numbers within a length, doubled between lengths.
class HuffmanCodes {
public:
    explicit HuffmanCodes(const HuffmanTable& table)
    {
        int code = 0;
        size_t next = 0;
        for (int length = 1; length <= 16; ++length) {
            for (int i = 0; i < table.counts[size_t(length - 1)]; ++i)
                m_codes[table.symbols[next++]] = {quint16(code++), length};
            code <<= 1;
        }
    }

    void put(BitWriter& out, int symbol) const
    {
        const Code& code = m_codes[size_t(symbol)];
        Q_ASSERT(code.length > 0);
        out.put(code.bits, code.length);
    }

private:
    std::array<Code, 256> m_codes{};
};

int bitLength(int magnitude)
{
    int bits = 0;
    while (magnitude > 0) {
        ++bits;
        magnitude >>= 1;
    }
    return bits;
}

// A value's size category, then its bits (negative values as value - 1 in that many bits).
void putValue(BitWriter& out, const HuffmanCodes& codes, int runLength, int value)
{
    const int size = bitLength(qAbs(value));
    codes.put(out, (runLength << 4) | size);
    if (size > 0)
        out.put(quint32(value < 0 ? value - 1 : value), size);
}

struct Component {
    const HuffmanCodes& dc;
    const HuffmanCodes& ac;
    const Block& table;
    int previousDc = 0;
};

void encodeBlock(BitWriter& out, Component& component, const Block& samples)
{
    constexpr int ZeroRun = 0xF0, EndOfBlock = 0x00;
    const Block coefficients = quantisedTransform(samples, component.table);
    putValue(out, component.dc, 0, coefficients[0] - component.previousDc);
    component.previousDc = coefficients[0];
    int zeros = 0;
    for (size_t i = 1; i < 64; ++i) {
        const int value = coefficients[size_t(ZigZag[i])];
        if (value == 0) {
            ++zeros;
            continue;
        }
        for (; zeros > 15; zeros -= 16)
            component.ac.put(out, ZeroRun);
        putValue(out, component.ac, zeros, value);
        zeros = 0;
    }
    if (zeros > 0)
        component.ac.put(out, EndOfBlock);
}

constexpr std::pair<int, int> LumaBlockOffsets[] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}};

QByteArray scan(const Planes& planes)
{
    const HuffmanCodes lumaDc(LuminanceDc), lumaAc(LuminanceAc);
    const HuffmanCodes chromaDc(ChrominanceDc), chromaAc(ChrominanceAc);
    Component luma{lumaDc, lumaAc, LuminanceQuantisation};
    Component blue{chromaDc, chromaAc, ChrominanceQuantisation};
    Component red{chromaDc, chromaAc, ChrominanceQuantisation};
    const int chromaWidth = planes.lumaWidth / 2;
    QByteArray data;
    BitWriter out(data);
    // A unit: four luma blocks, left to right and top to bottom, then one of each chroma.
    for (int top = 0; top < planes.lumaHeight; top += 16) {
        for (int left = 0; left < planes.lumaWidth; left += 16) {
            for (const auto& [dx, dy] : LumaBlockOffsets)
                encodeBlock(out, luma, blockAt(planes.luma, planes.lumaWidth, left + dx, top + dy));
            encodeBlock(out, blue, blockAt(planes.blueDifference, chromaWidth, left / 2, top / 2));
            encodeBlock(out, red, blockAt(planes.redDifference, chromaWidth, left / 2, top / 2));
        }
    }
    out.finish();
    return data;
}

void appendWord(QByteArray& out, int value)
{
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

void appendSegment(QByteArray& out, quint8 marker, const QByteArray& payload)
{
    out.append(char(0xFF));
    out.append(char(marker));
    appendWord(out, int(payload.size()) + 2);
    out += payload;
}

void appendZigZag(QByteArray& payload, const Block& table)
{
    for (const int position : ZigZag)
        payload.append(char(table[size_t(position)]));
}

QByteArray quantisationTables()
{
    QByteArray payload;
    payload.append('\0'); // 8-bit steps, table 0
    appendZigZag(payload, LuminanceQuantisation);
    payload.append('\1');
    appendZigZag(payload, ChrominanceQuantisation);
    return payload;
}

QByteArray huffmanTables()
{
    QByteArray payload;
    for (const HuffmanTable* table : {&LuminanceDc, &LuminanceAc, &ChrominanceDc, &ChrominanceAc}) {
        payload.append(char((table->tableClass << 4) | table->id));
        for (const quint8 count : table->counts)
            payload.append(char(count));
        for (const quint8 symbol : table->symbols)
            payload.append(char(symbol));
    }
    return payload;
}

QByteArray frameHeader(int width, int height)
{
    QByteArray payload(1, char(8)); // 8-bit samples
    appendWord(payload, height);
    appendWord(payload, width);
    // Luma sampled 2 x 2 with table 0; each chroma 1 x 1 with table 1.
    payload.append("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    return payload;
}

QByteArray scanHeader()
{
    // Three components with their DC/AC tables, all 64 coefficients, no successive approximation.
    return QByteArray("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10);
}

} // namespace

QByteArray encode(int width, int height, const QList<Rgb>& pixels)
{
    Q_ASSERT(width > 0 && height > 0 && width <= 65535 && height <= 65535);
    Q_ASSERT(pixels.size() == qsizetype(width) * height);
    QByteArray out("\xFF\xD8", 2);
    // JFIF 1.01, square pixels, no thumbnail.
    appendSegment(out, 0xE0, QByteArray("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14));
    appendSegment(out, 0xDB, quantisationTables());
    appendSegment(out, 0xC0, frameHeader(width, height));
    appendSegment(out, 0xC4, huffmanTables());
    appendSegment(out, 0xDA, scanHeader());
    out += scan(toPlanes(width, height, pixels));
    out.append("\xFF\xD9", 2);
    return out;
}

} // namespace JpegWriter
