#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

// A pixel surface that paints the way the Windows drawing calls do, so the owner-drawn controls
// come out pixel for pixel the same: a 1-pixel line leaves out its end point, a frame paints the
// outer ring of its rectangle, and wider pens paint a stroke centred on the line with round ends.
// Rectangles are (left, top, right, bottom) with right and bottom exclusive, as in Windows.
class GdiCanvas {
public:
    // Text layout flags understood by drawText, with their Windows values.
    enum TextFlag : unsigned { Center = 0x1, WordBreak = 0x10, CalcRect = 0x400 };

    struct Rect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    GdiCanvas() = default;
    explicit GdiCanvas(QSize size);
    // Draws on a given picture. On one with a device pixel ratio, text is laid out in logical
    // pixels and drawn at the device's resolution; the pixel calls address device pixels.
    explicit GdiCanvas(QImage image);

    void resize(QSize size);
    QSize size() const { return m_image.size(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QImage& image() const { return m_image; }

    void clear(const QColor& background);

    // The current pen, as selected into a device context.
    void selectPen(int width, const QColor& color);
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void setPixel(int x, int y, const QColor& color);
    QColor pixel(int x, int y) const;

    void fillRect(int left, int top, int right, int bottom, const QColor& color);
    void frameRect(int left, int top, int right, int bottom, const QColor& color);

    void setFont(const QFont& font) { m_font = font; }
    const QFont& font() const { return m_font; }
    void setTextColor(const QColor& color) { m_textColor = color; }

    // Lays out text in the rectangle. With CalcRect nothing is painted and the returned rectangle
    // has the height of the laid-out text; otherwise the text is painted, clipped to the rectangle,
    // and the return value is the text height. "&x" underlines x, "&&" shows one "&".
    int drawText(const QString& text, Rect& rect, unsigned flags);

private:
    // The picture's pixels for one drawing call, written straight into its rows: QImage::setPixel
    // checks and converts for every pixel.
    class Pixels {
    public:
        explicit Pixels(QImage& image);
        void put(int x, int y, QRgb color);
        void fillRow(int y, int left, int right, QRgb color); // right exclusive

    private:
        QImage& m_image;
        uchar* m_bits = nullptr; // null: a format written through setPixel
        qsizetype m_stride = 0;
    };

    void strokeWide(QPoint from, QPoint to);

    QImage m_image;
    QPoint m_position;
    int m_penWidth = 1;
    QColor m_penColor = Qt::black;
    QFont m_font;
    QColor m_textColor = Qt::black;
};
