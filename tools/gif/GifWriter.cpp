#include "GifWriter.h"

#include <unordered_map>

namespace GifWriter {

namespace {

constexpr int MaxCode = 4095;

void appendWord(QByteArray& out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// Packs variable-width codes least significant bit first, as GIF wants.
class BitPacker {
public:
    void put(int code, int width)
    {
        m_buffer |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.append(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }

    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.append(char(m_buffer & 0xFF));
        m_buffer = 0;
        m_bits = 0;
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

QByteArray compress(const QByteArray& indices, int minCodeSize)
{
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    std::unordered_map<quint32, int> table;
    int nextCode = endCode + 1;
    int width = minCodeSize + 1;
    BitPacker packer;

    auto restart = [&] {
        packer.put(clearCode, width);
        table.clear();
        nextCode = endCode + 1;
        width = minCodeSize + 1;
    };

    restart();
    if (indices.isEmpty()) {
        packer.put(endCode, width);
        return packer.finish();
    }
    int prefix = quint8(indices[0]);
    for (qsizetype i = 1; i < indices.size(); ++i) {
        const int symbol = quint8(indices[i]);
        const quint32 key = (quint32(prefix) << 8) | quint32(symbol);
        if (const auto found = table.find(key); found != table.end()) {
            prefix = found->second;
            continue;
        }
        packer.put(prefix, width);
        table.emplace(key, nextCode++);
        // The decoder adds its entries one code later, so it widens one code later too.
        if (nextCode > (1 << width) && width < 12)
            ++width;
        if (nextCode >= MaxCode)
            restart();
        prefix = symbol;
    }
    packer.put(prefix, width);
    packer.put(endCode, width);
    return packer.finish();
}

int tableBitsFor(qsizetype colours)
{
    int bits = 1;
    while ((qsizetype(1) << bits) < colours)
        ++bits;
    return bits;
}

} // namespace

QByteArray encode(int width, int height, const QList<Rgb>& palette, const QByteArray& indices)
{
    Q_ASSERT(!palette.isEmpty() && palette.size() <= 256);
    Q_ASSERT(indices.size() == qsizetype(width) * height);
    const int tableBits = tableBitsFor(palette.size());
    const int minCodeSize = qMax(2, tableBits);

    QByteArray out("GIF89a");
    appendWord(out, width);
    appendWord(out, height);
    out.append(char(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.append('\0'); // background colour index
    out.append('\0'); // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const Rgb colour = i < palette.size() ? palette[i] : Rgb();
        out.append(char(colour.red));
        out.append(char(colour.green));
        out.append(char(colour.blue));
    }
    out.append(',');
    appendWord(out, 0);
    appendWord(out, 0);
    appendWord(out, width);
    appendWord(out, height);
    out.append('\0'); // no local table, not interlaced
    out.append(char(minCodeSize));
    const QByteArray data = compress(indices, minCodeSize);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype length = qMin<qsizetype>(255, data.size() - at);
        out.append(char(length));
        out.append(data.constData() + at, length);
    }
    out.append('\0');
    out.append(';');
    return out;
}

} // namespace GifWriter
