#include "gui/widgets/SpinArrows.h"

#include "gui/widgets/AccessibleControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace {
// As a scroll bar does: the first repeat after a pause, then steadily.
constexpr int RepeatDelayMs = 300;
constexpr int RepeatIntervalMs = 50;
} // namespace

SpinArrows::SpinArrows(QWidget* parent) : QAbstractSlider(parent)
{
    setOrientation(Qt::Vertical);
    setSingleStep(1);
    setPageStep(1);
    AccessibleControls::install();
}

QSize SpinArrows::sizeHint() const
{
    return {13, 17};
}

SpinArrows::Arrow SpinArrows::arrowAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return Arrow::None;
    return pos.y() < height() / 2 ? Arrow::Up : Arrow::Down;
}

QRect SpinArrows::arrowRect(Arrow arrow) const
{
    const int half = height() / 2;
    return arrow == Arrow::Up ? QRect(0, 0, width(), half)
                              : QRect(0, half, width(), height() - half);
}

void SpinArrows::drawArrow(QPainter& painter, Arrow arrow) const
{
    const QRect r = arrowRect(arrow);
    const bool sunken = m_pressed == arrow;
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = r;
    button.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
    painter.fillRect(r, palette().color(QPalette::Button));
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

    // A small solid triangle, centred, pushed one pixel while pressed.
    const QColor ink = isEnabled() ? palette().color(QPalette::ButtonText)
                                   : palette().color(QPalette::Disabled, QPalette::ButtonText);
    const QPoint c = r.center() + (sunken ? QPoint(1, 1) : QPoint(0, 0));
    const int halfWidth = qMax(1, qMin(r.width() / 4, r.height() / 2 - 1));
    QPolygon triangle;
    if (arrow == Arrow::Up)
        triangle << QPoint(c.x() - halfWidth, c.y() + halfWidth / 2)
                 << QPoint(c.x() + halfWidth, c.y() + halfWidth / 2)
                 << QPoint(c.x(), c.y() - halfWidth / 2 - 1);
    else
        triangle << QPoint(c.x() - halfWidth, c.y() - halfWidth / 2)
                 << QPoint(c.x() + halfWidth, c.y() - halfWidth / 2)
                 << QPoint(c.x(), c.y() + halfWidth / 2 + 1);
    painter.setPen(ink);
    painter.setBrush(ink);
    painter.drawPolygon(triangle);
}

void SpinArrows::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawArrow(painter, Arrow::Up);
    drawArrow(painter, Arrow::Down);
}

void SpinArrows::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = arrowAt(event->position().toPoint());
    if (m_pressed == Arrow::None)
        return;
    const SliderAction action = m_pressed == Arrow::Up ? SliderSingleStepAdd : SliderSingleStepSub;
    triggerAction(action);
    setRepeatAction(action, RepeatDelayMs, RepeatIntervalMs);
    update();
}

void SpinArrows::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = Arrow::None;
    setRepeatAction(SliderNoAction);
    update();
}

void SpinArrows::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        triggerAction(SliderSingleStepAdd);
        break;
    case Qt::Key_Down:
        triggerAction(SliderSingleStepSub);
        break;
    default:
        QAbstractSlider::keyPressEvent(event);
    }
}
