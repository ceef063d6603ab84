#include "PictureMaker.h"

#include "GifWriter.h"
#include "JpegWriter.h"
#include "PngWriter.h"

namespace PictureMaker {

namespace {

constexpr int PaletteSize = 16;

// A small generator of our own, so the pictures never depend on the library's random numbers.
class Sequence {
public:
    explicit Sequence(quint32 seed) : m_state(seed * 2654435761u + 0x9E3779B9u) {}

    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    int below(int limit) { return int(next() % quint32(limit)); }

private:
    quint32 m_state;
};

struct Disc {
    int x, y, radius, colour;
};

// A picture as palette indices: stripes behind a few discs.
struct Pattern {
    QList<Rgb> palette;
    QByteArray indices;
};

Pattern makePattern(QSize size, quint32 seed)
{
    Sequence random(seed);
    Pattern pattern;
    for (int i = 0; i < PaletteSize; ++i) {
        // Blue is drawn first: the order the site's pictures have always had.
        const int blue = random.below(256);
        const int green = random.below(256);
        const int red = random.below(256);
        pattern.palette.append(Rgb(red, green, blue));
    }
    QList<Disc> discs;
    const int discCount = 3 + random.below(5);
    const int shortSide = qMin(size.width(), size.height());
    for (int i = 0; i < discCount; ++i)
        discs.append({random.below(size.width()), random.below(size.height()),
                      shortSide / 8 + random.below(qMax(1, shortSide / 3)),
                      4 + random.below(PaletteSize - 4)});
    const int stripe = 6 + random.below(20);
    const bool diagonal = random.below(2) == 1;

    pattern.indices.resize(qsizetype(size.width()) * size.height());
    char* out = pattern.indices.data();
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            int colour = ((diagonal ? x + y : y) / stripe) % 4;
            for (const Disc& disc : discs) {
                const int dx = x - disc.x, dy = y - disc.y;
                if (dx * dx + dy * dy <= disc.radius * disc.radius)
                    colour = disc.colour;
            }
            *out++ = char(colour);
        }
    }
    return pattern;
}

// Grain: each pixel a little lighter or darker, as a photo's noise, which no encoder squeezes out.
constexpr int GrainLevels = 24;

int channel(int value, int shade, int grain)
{
    return qBound(0, value * shade / 100 + grain, 255);
}

QList<Rgb> shadedPixels(const Pattern& pattern, QSize size, Finish finish, quint32 seed)
{
    QList<Rgb> pixels;
    pixels.reserve(pattern.indices.size());
    Sequence noise(seed ^ 0x6A09E667u);
    const char* in = pattern.indices.constData();
    for (int y = 0; y < size.height(); ++y) {
        // A soft vertical shade so the photos are not flat.
        const int shade = 100 - 30 * y / qMax(1, size.height());
        for (int x = 0; x < size.width(); ++x) {
            const Rgb colour = pattern.palette[quint8(*in++)];
            const int grain =
                finish == Finish::Photo ? noise.below(GrainLevels) - GrainLevels / 2 : 0;
            pixels.append(Rgb(channel(colour.red, shade, grain),
                              channel(colour.green, shade, grain),
                              channel(colour.blue, shade, grain)));
        }
    }
    return pixels;
}

// A GIF photo is dithered: every few pixels take a neighbouring colour of the palette.
QByteArray ditheredIndices(const Pattern& pattern, quint32 seed)
{
    QByteArray indices = pattern.indices;
    Sequence noise(seed ^ 0xBB67AE85u);
    for (char& index : indices) {
        if (noise.below(4) == 0)
            index = char((quint8(index) + 1 + noise.below(2)) % PaletteSize);
    }
    return indices;
}

} // namespace

QByteArray draw(Format format, QSize size, quint32 seed, Finish finish)
{
    const Pattern pattern = makePattern(size, seed);
    switch (format) {
    case Format::Gif:
        return GifWriter::encode(size.width(), size.height(), pattern.palette,
                                 finish == Finish::Photo ? ditheredIndices(pattern, seed)
                                                         : pattern.indices);
    case Format::Png:
        return PngWriter::encode(size.width(), size.height(),
                                 shadedPixels(pattern, size, finish, seed));
    case Format::Jpeg:
        return JpegWriter::encode(size.width(), size.height(),
                                  shadedPixels(pattern, size, finish, seed));
    }
    return {};
}

QByteArray extension(Format format)
{
    switch (format) {
    case Format::Gif:
        return ".gif";
    case Format::Png:
        return ".png";
    case Format::Jpeg:
        return ".jpg";
    }
    return {};
}

QByteArray mimeType(Format format)
{
    switch (format) {
    case Format::Gif:
        return "image/gif";
    case Format::Png:
        return "image/png";
    case Format::Jpeg:
        return "image/jpeg";
    }
    return {};
}

} // namespace PictureMaker
