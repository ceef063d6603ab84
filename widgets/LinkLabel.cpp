#include "widgets/LinkLabel.h"

#include <QMouseEvent>

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        Q_EMIT Click();
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent*)
{
    m_pressed = false;
}
