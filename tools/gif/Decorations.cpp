#include "Decorations.h"

#include "GifWriter.h"

#include <array>

namespace Decorations {

namespace {

// A 5 x 7 pixel font, just the letters of the logo; each row's bits from the left.
struct Glyph {
    char letter;
    std::array<quint8, 7> rows;
};

constexpr Glyph Font[] = {
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
};

bool glyphPixel(char letter, int x, int y)
{
    for (const Glyph& glyph : Font) {
        if (glyph.letter == letter)
            return (glyph.rows[size_t(y)] >> (4 - x)) & 1;
    }
    return false;
}

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        m_indices.fill('\0', qsizetype(width) * height);
    }

    void set(int x, int y, int index)
    {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            m_indices[qsizetype(y) * m_width + x] = char(index);
    }

    QByteArray encode(const QList<Rgb>& palette) const
    {
        return GifWriter::encode(m_width, m_height, palette, m_indices);
    }

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width;
    int m_height;
    QByteArray m_indices;
};

} // namespace

QByteArray bg()
{
    Canvas tile(48, 48);
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            const bool diagonal = (x + y) % 24 == 0 || (x - y + 48) % 24 == 0;
            const bool dot = x % 12 == 6 && y % 12 == 6;
            tile.set(x, y, diagonal ? 1 : dot ? 2 : 0);
        }
    }
    return tile.encode({Rgb(0xFF, 0xFB, 0xF0), Rgb(0xF3, 0xEA, 0xD8), Rgb(0xE8, 0xD8, 0xB8)});
}

QByteArray bghead()
{
    constexpr int Shades = 8;
    Canvas strip(16, 96);
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x)
            strip.set(x, y, y * Shades / strip.height());
    }
    QList<Rgb> palette;
    for (int i = 0; i < Shades; ++i)
        palette.append(Rgb(0xFF, 0xE8 - i * 10, 0xA0 - i * 14));
    return strip.encode(palette);
}

QByteArray head()
{
    enum { Sky0 = 0, Border = 8, Shadow, Letter, Face, Eye };
    Canvas logo(201, 72);
    for (int y = 0; y < logo.height(); ++y) {
        for (int x = 0; x < logo.width(); ++x) {
            const bool edge = x < 2 || y < 2 || x >= logo.width() - 2 || y >= logo.height() - 2;
            logo.set(x, y, edge ? Border : Sky0 + y * 8 / logo.height());
        }
    }
    // The smiling face at the left.
    const int cx = 28, cy = 36, radius = 20;
    for (int y = cy - radius; y <= cy + radius; ++y) {
        for (int x = cx - radius; x <= cx + radius; ++x) {
            const int dx = x - cx, dy = y - cy;
            const int distance = dx * dx + dy * dy;
            if (distance > radius * radius)
                continue;
            const bool eye = (dx + 7) * (dx + 7) + (dy + 6) * (dy + 6) <= 9 ||
                             (dx - 7) * (dx - 7) + (dy + 6) * (dy + 6) <= 9;
            const bool mouth = dy > 3 && dy < 12 && distance >= 100 && distance <= 150;
            logo.set(x, y, eye || mouth ? Eye : Face);
        }
    }
    // The name, each font pixel a 3 x 4 block, with a shadow.
    const char name[] = "ZOLVANE";
    const int scaleX = 3, scaleY = 4, left = 56, top = 22;
    for (int shadow = 1; shadow >= 0; --shadow) {
        for (int i = 0; name[i] != '\0'; ++i) {
            for (int gy = 0; gy < 7; ++gy) {
                for (int gx = 0; gx < 5; ++gx) {
                    if (!glyphPixel(name[i], gx, gy))
                        continue;
                    for (int py = 0; py < scaleY; ++py) {
                        for (int px = 0; px < scaleX; ++px)
                            logo.set(left + i * 6 * scaleX + gx * scaleX + px + shadow * 2,
                                     top + gy * scaleY + py + shadow * 2, shadow ? Shadow : Letter);
                    }
                }
            }
        }
    }
    QList<Rgb> palette;
    for (int i = 0; i < 8; ++i)
        palette.append(Rgb(0x30 + i * 8, 0x70 + i * 12, 0xC0 + i * 6));
    palette += {Rgb(0x10, 0x20, 0x50), Rgb(0x20, 0x20, 0x30), Rgb(0xFF, 0xD8, 0x20),
                Rgb(0xFF, 0xE0, 0x30), Rgb(0x40, 0x20, 0x00)};
    return logo.encode(palette);
}

} // namespace Decorations
