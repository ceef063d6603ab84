#include "gui/resources/Artwork.h"

#include <QBitmap>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

using namespace Qt::StringLiterals;

namespace Artwork {

namespace {

// Two-colour art: '#' black, '.' white, anything else transparent.
constexpr std::array<const char*, 20> HandCursorArt = {
    "     ##          ", //
    "    #..#         ", //
    "    #..#         ", //
    "    #..#         ", //
    "    #..#         ", //
    "    #..###       ", //
    "    #..#..###    ", //
    "    #..#..#..##  ", //
    "    #..#..#..#.# ", //
    " ## #..#..#..#..#", //
    "#..##...........#", //
    "#...#...........#", //
    " #..............#", //
    "  #.............#", //
    "  #............# ", //
    "   #...........# ", //
    "   #..........#  ", //
    "    #.........#  ", //
    "    #.........#  ", //
    "    ###########  ", //
};

constexpr QPoint HandCursorHotSpot(5, 0); // the fingertip

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QFont logoFont(int pixelSize, bool italic)
{
    QFont font;
    font.setFamilies({u"Verdana"_s, u"Nimbus Sans"_s, u"DejaVu Sans"_s});
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

} // namespace

QImage backgroundGradient()
{
    QImage image(3, 160, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        // 250 at the top down to 208 at the bottom, the same in all three channels.
        const int level = 250 - (42 * y) / (image.height() - 1);
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(level, level, level));
    }
    return image;
}

QImage windowIcon16()
{
    QImage image = transparentImage(16, 16);
    QPainter p(&image);
    // A framed picture: sky, sun and a hill.
    p.fillRect(1, 1, 13, 11, QColor(0x00, 0x33, 0x99));
    p.fillRect(2, 2, 11, 9, QColor(0x99, 0xCC, 0xFF));
    p.fillRect(9, 3, 2, 2, QColor(0xFF, 0xCC, 0x00));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x33, 0x99, 0x33));
    p.drawPolygon(QPolygon(
        {QPoint(2, 11), QPoint(2, 8), QPoint(5, 6), QPoint(9, 9), QPoint(12, 8), QPoint(12, 11)}));
    // A download arrow in the lower right corner.
    p.setBrush(QColor(0xCC, 0x00, 0x00));
    p.setPen(QColor(0x66, 0x00, 0x00));
    p.drawPolygon(QPolygon({QPoint(11, 7), QPoint(13, 7), QPoint(13, 11), QPoint(15, 11),
                            QPoint(12, 15), QPoint(9, 11), QPoint(11, 11)}));
    return image;
}

QIcon windowIcon()
{
    return QIcon(QPixmap::fromImage(windowIcon16()));
}

QImage logo()
{
    // A light plate, so that the version printed over its lower right corner stays readable.
    QImage image = transparentImage(201, 72);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 72);
    ground.setColorAt(0, QColor(0xFF, 0xFF, 0xF4));
    ground.setColorAt(1, QColor(0xF0, 0xE4, 0xC8));
    p.setPen(QPen(QColor(0x90, 0x10, 0x10), 2));
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(1, 1, 199, 70), 10, 10);

    p.setFont(logoFont(34, true));
    p.setPen(QColor(0xE0, 0xC0, 0xA0));
    p.drawText(QRect(12, 2, 150, 46), Qt::AlignLeft | Qt::AlignVCenter, u"Zolvane"_s);
    p.setPen(QColor(0xB0, 0x10, 0x10));
    p.drawText(QRect(10, 0, 150, 46), Qt::AlignLeft | Qt::AlignVCenter, u"Zolvane"_s);

    p.setFont(logoFont(13, false));
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawText(QRect(10, 44, 130, 20), Qt::AlignLeft | Qt::AlignVCenter, u"забавное.com"_s);
    return image;
}

QImage handPictogram()
{
    QImage image = transparentImage(35, 49);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(7.5, 22.5, 23, 22), 6, 6);     // palm
    hand.addRoundedRect(QRectF(8.5, 8.5, 6, 20), 3, 3);       // index finger
    hand.addRoundedRect(QRectF(14.5, 3.5, 6, 25), 3, 3);      // middle finger
    hand.addRoundedRect(QRectF(20.5, 5.5, 6, 23), 3, 3);      // ring finger
    hand.addRoundedRect(QRectF(26.5, 11.5, 5, 18), 2.5, 2.5); // little finger
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-3, -12, 6, 18), 3, 3);
    hand.addPath(QTransform().translate(7, 32).rotate(-35).map(thumb));
    hand = hand.simplified();

    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    // The gaps between the fingers, down to the palm.
    p.drawLine(QPointF(14.5, 11), QPointF(14.5, 26));
    p.drawLine(QPointF(20.5, 8), QPointF(20.5, 26));
    p.drawLine(QPointF(26.5, 14), QPointF(26.5, 27));
    p.end();

    // Keep the outline strictly two-coloured: no half-covered pixels.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) < 128)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
            else
                image.setPixel(x, y, qGray(c) < 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    return image;
}

QImage handCursorImage()
{
    QImage image = transparentImage(32, 32);
    for (int y = 0; y < int(HandCursorArt.size()); ++y)
        for (int x = 0; HandCursorArt[y][x] != '\0'; ++x) {
            if (HandCursorArt[y][x] == '#')
                image.setPixel(x, y, qRgb(0, 0, 0));
            else if (HandCursorArt[y][x] == '.')
                image.setPixel(x, y, qRgb(255, 255, 255));
        }
    return image;
}

QCursor handCursor()
{
    const QPixmap pixmap = QPixmap::fromImage(handCursorImage());
    return QCursor(pixmap, HandCursorHotSpot.x(), HandCursorHotSpot.y());
}

} // namespace Artwork
