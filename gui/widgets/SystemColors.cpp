#include "gui/widgets/SystemColors.h"

#include <QGuiApplication>

namespace SystemColors {

namespace {

QPalette::ColorRole roleOf(quint32 index)
{
    switch (index) {
    case 5:
        return QPalette::Base;
    case 6:
        return QPalette::Text;
    case 8:
        return QPalette::WindowText;
    case 15:
        return QPalette::Button;
    case 18:
        return QPalette::ButtonText;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor toColor(quint32 value, const QPalette& palette)
{
    if (value & SystemBit)
        return palette.color(QPalette::Active, roleOf(value & ~SystemBit));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 toColorRef(const QColor& color)
{
    return quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16);
}

} // namespace SystemColors
