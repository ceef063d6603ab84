#include "gui/widgets/ShapeOutline.h"

#include <QPainter>

ShapeOutline::ShapeOutline(const QColor& colour, QWidget* parent)
    : QWidget(parent), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeOutline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (height() <= 1) {
        painter.fillRect(rect(), m_colour);
        return;
    }
    painter.setPen(m_colour);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
