#include "gui/widgets/GdiCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// One shown character of a caption and whether an ampersand before it asks for an underline.
struct Glyph {
    QChar ch;
    bool underlined = false;
};

using Line = QList<Glyph>;

// "&x" marks x, "&&" is one "&", a lone trailing "&" shows nothing.
Line stripPrefixes(const QString& text)
{
    Line shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            shown.append({text[i], false});
            continue;
        }
        if (i + 1 >= text.size())
            break;
        ++i;
        shown.append({text[i], text[i] != u'&'});
    }
    return shown;
}

QString textOf(const Line& line)
{
    QString result;
    result.reserve(line.size());
    for (const Glyph& glyph : line)
        result.append(glyph.ch);
    return result;
}

int widthOf(const QFontMetrics& metrics, const Line& line)
{
    return metrics.horizontalAdvance(textOf(line));
}

Line trimmedRight(Line line)
{
    while (!line.isEmpty() && line.last().ch == u' ')
        line.removeLast();
    return line;
}

// Splits one paragraph at spaces so that each line fits the width where it can; a single word
// wider than the width keeps a line of its own.
QList<Line> wrapParagraph(const Line& paragraph, const QFontMetrics& metrics, int width)
{
    QList<Line> lines;
    Line current;
    qsizetype i = 0;
    while (i < paragraph.size()) {
        Line word;
        while (i < paragraph.size() && paragraph[i].ch == u' ')
            word.append(paragraph[i++]);
        while (i < paragraph.size() && paragraph[i].ch != u' ')
            word.append(paragraph[i++]);
        Line candidate = current + word;
        if (!current.isEmpty() && widthOf(metrics, trimmedRight(candidate)) > width) {
            lines.append(trimmedRight(current));
            while (!word.isEmpty() && word.first().ch == u' ')
                word.removeFirst();
            current = word;
        } else {
            current = candidate;
        }
    }
    lines.append(trimmedRight(current));
    return lines;
}

QList<Line> layoutLines(const QString& text, const QFontMetrics& metrics, int width, bool wrap)
{
    QList<Line> lines;
    if (text.isEmpty())
        return lines;
    QString plain = text;
    plain.remove(u'\r');
    for (const QString& paragraph : plain.split(u'\n')) {
        const Line shown = stripPrefixes(paragraph);
        if (wrap)
            lines += wrapParagraph(shown, metrics, width);
        else
            lines.append(shown);
    }
    return lines;
}

QFont aliasedFont(QFont font)
{
    // Windows draws these captions without smoothing, one colour per pixel.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

GdiCanvas::Pixels::Pixels(QImage& image) : m_image(image)
{
    // bits() detaches a picture shared with a copy, once for the whole call.
    if (image.format() == QImage::Format_RGB32 && !image.isNull()) {
        m_bits = image.bits();
        m_stride = image.bytesPerLine();
    }
}

void GdiCanvas::Pixels::put(int x, int y, QRgb color)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    if (m_bits)
        reinterpret_cast<QRgb*>(m_bits + y * m_stride)[x] = 0xff000000 | color;
    else
        m_image.setPixel(x, y, color);
}

void GdiCanvas::Pixels::fillRow(int y, int left, int right, QRgb color)
{
    if (y < 0 || y >= m_image.height())
        return;
    left = std::max(left, 0);
    right = std::min(right, m_image.width());
    if (!m_bits) {
        for (int x = left; x < right; ++x)
            m_image.setPixel(x, y, color);
        return;
    }
    QRgb* row = reinterpret_cast<QRgb*>(m_bits + y * m_stride);
    if (left < right)
        std::fill(row + left, row + right, 0xff000000 | color);
}

GdiCanvas::GdiCanvas(QSize size)
{
    resize(size);
}

GdiCanvas::GdiCanvas(QImage image) : m_image(std::move(image)) {}

void GdiCanvas::resize(QSize size)
{
    if (size == m_image.size())
        return;
    m_image = QImage(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void GdiCanvas::clear(const QColor& background)
{
    m_image.fill(background);
}

void GdiCanvas::selectPen(int width, const QColor& color)
{
    m_penWidth = std::max(width, 1);
    m_penColor = color;
}

void GdiCanvas::moveTo(int x, int y)
{
    m_position = QPoint(x, y);
}

void GdiCanvas::lineTo(int x, int y)
{
    const QPoint from = m_position;
    const QPoint to(x, y);
    m_position = to;
    if (m_penWidth > 1) {
        strokeWide(from, to);
        return;
    }
    Pixels pixels(m_image);
    const QRgb color = m_penColor.rgb();
    if (from.y() == to.y()) { // a row, as most lines are: its pixels from the start to the end
        const int step = from.x() < to.x() ? 1 : -1;
        const int left = step > 0 ? from.x() : to.x() + 1;
        const int right = step > 0 ? to.x() : from.x() + 1;
        pixels.fillRow(from.y(), left, right, color);
        return;
    }
    // Bresenham from the start point up to, but not including, the end point.
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    int px = from.x();
    int py = from.y();
    while (px != to.x() || py != to.y()) {
        pixels.put(px, py, color);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += sx;
        }
        if (twice <= dx) {
            error += dx;
            py += sy;
        }
    }
}

// A pixel belongs to a wide stroke when its centre lies within half the pen width of the segment
// between the two points (taken at pixel corners): a centred stroke with round ends.
void GdiCanvas::strokeWide(QPoint from, QPoint to)
{
    const double radius = m_penWidth / 2.0;
    const int reach = m_penWidth / 2 + 1;
    const int left = std::min(from.x(), to.x()) - reach;
    const int right = std::max(from.x(), to.x()) + reach;
    const int top = std::min(from.y(), to.y()) - reach;
    const int bottom = std::max(from.y(), to.y()) + reach;
    const double ax = from.x();
    const double ay = from.y();
    const double vx = to.x() - ax;
    const double vy = to.y() - ay;
    const double length2 = vx * vx + vy * vy;
    Pixels pixels(m_image);
    const QRgb color = m_penColor.rgb();
    for (int py = top; py <= bottom; ++py) {
        for (int px = left; px <= right; ++px) {
            const double cx = px + 0.5 - ax;
            const double cy = py + 0.5 - ay;
            const double t = length2 > 0 ? std::clamp((cx * vx + cy * vy) / length2, 0.0, 1.0) : 0;
            const double ex = cx - t * vx;
            const double ey = cy - t * vy;
            if (ex * ex + ey * ey < radius * radius)
                pixels.put(px, py, color);
        }
    }
}

void GdiCanvas::setPixel(int x, int y, const QColor& color)
{
    Pixels(m_image).put(x, y, color.rgb());
}

QColor GdiCanvas::pixel(int x, int y) const
{
    return QColor(m_image.pixel(x, y));
}

void GdiCanvas::fillRect(int left, int top, int right, int bottom, const QColor& color)
{
    Pixels pixels(m_image);
    const QRgb rgb = color.rgb();
    for (int y = top; y < bottom; ++y)
        pixels.fillRow(y, left, right, rgb);
}

void GdiCanvas::frameRect(int left, int top, int right, int bottom, const QColor& color)
{
    if (right <= left || bottom <= top)
        return;
    fillRect(left, top, right, top + 1, color);
    fillRect(left, bottom - 1, right, bottom, color);
    fillRect(left, top, left + 1, bottom, color);
    fillRect(right - 1, top, right, bottom, color);
}

int GdiCanvas::drawText(const QString& text, Rect& rect, unsigned flags)
{
    const QFont font = aliasedFont(m_font);
    const QFontMetrics metrics(font);
    const int width = rect.right - rect.left;
    const QList<Line> lines = layoutLines(text, metrics, width, flags & WordBreak);
    const int lineHeight = metrics.height();
    const int textHeight = int(lines.size()) * lineHeight;
    if (flags & CalcRect) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, widthOf(metrics, line));
        rect.bottom = rect.top + textHeight;
        if (!(flags & WordBreak) || widest > width)
            rect.right = rect.left + widest;
        return textHeight;
    }
    if (lines.isEmpty() || m_image.isNull())
        return textHeight;
    QPainter painter(&m_image);
    painter.setClipRect(QRect(rect.left, rect.top, width, rect.bottom - rect.top));
    painter.setFont(font);
    painter.setPen(m_textColor);
    int top = rect.top;
    for (const Line& line : lines) {
        const int lineWidth = widthOf(metrics, line);
        const QString shown = textOf(line);
        const int x = (flags & Center) ? rect.left + (width - lineWidth) / 2 : rect.left;
        const int baseline = top + metrics.ascent();
        painter.drawText(QPoint(x, baseline), shown);
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (!line[i].underlined)
                continue;
            const int start = x + metrics.horizontalAdvance(shown.left(i));
            const int advance = metrics.horizontalAdvance(line[i].ch);
            painter.fillRect(QRect(start, baseline + metrics.underlinePos(), advance,
                                   std::max(1, metrics.lineWidth())),
                             m_textColor);
        }
        top += lineHeight;
    }
    return textHeight;
}
