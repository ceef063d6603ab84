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

QImage image(int index)
{
    static const std::array<QImage, Count> all = [] {
        std::array<QImage, Count> images;
        for (int i = 0; i < Count; ++i)
            images[std::size_t(i)] = draw(i);
        return images;
    }();
    return all.at(std::size_t(index));
}

} // namespace BusyFrames
