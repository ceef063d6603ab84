#include "gui/resources/BusyFrames.h"

#include <QPainter>
#include <array>
#include <cmath>
#include <numbers>

namespace BusyFrames {

namespace {

// The dot of the frame's number is dark, the one before it half dark, so the turning frames chase
// round.
QImage draw(int index)
{
    QImage image(Size, Size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QPointF centre(15.5, 15.5);
    for (int dot = 0; dot < Count; ++dot) {
        const double angle = 2 * std::numbers::pi * dot / Count - std::numbers::pi / 2;
        const QPointF at = centre + QPointF(std::cos(angle), std::sin(angle)) * 10.5;
        QColor colour(0xA8, 0xA8, 0xA8);
        if (dot == index)
            colour = QColor(0x00, 0x00, 0xC0);
        else if (dot == (index + Count - 1) % Count)
            colour = QColor(0x60, 0x60, 0xC8);
        painter.setBrush(colour);
        painter.drawEllipse(at, 4.0, 4.0);
    }
    return image;
}

} // namespace

// Each frame is drawn when first asked for: the window's start shows only the first.
QImage image(int index)
{
    static std::array<QImage, Count> drawn; // pictures are made on the GUI thread only
    QImage& frame = drawn.at(std::size_t(index));
    if (frame.isNull())
        frame = draw(index);
    return frame;
}

} // namespace BusyFrames
