#include "gui/widgets/LinkLabel.h"

#include "gui/widgets/AccessibleControls.h"

#include <QAccessible>
#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    AccessibleControls::install();
}

void LinkLabel::setLinked(bool linked)
{
    if (linked == m_linked)
        return;
    m_linked = linked;
    QAccessible::State changed;
    changed.linked = true;
    AccessibleControls::announceChange(this, changed);
}

void LinkLabel::click()
{
    Q_EMIT Click();
}

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
