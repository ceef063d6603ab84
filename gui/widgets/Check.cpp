#include "gui/widgets/Check.h"

#include "gui/widgets/AccessibleControls.h"
#include "gui/widgets/EventCodes.h"
#include "gui/widgets/FocusMark.h"
#include "gui/widgets/SystemColors.h"
#include "gui/widgets/Twips.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

using namespace Qt::StringLiterals;
using CheckPictures::Picture;

namespace {

constexpr int SidePixels = Twips::toPixels(195); // the picture box

Picture restingPicture(bool value, bool enabled)
{
    if (enabled)
        return value ? Picture::IdleChecked : Picture::IdleNoValue;
    return value ? Picture::DisabledChecked : Picture::DisabledNoValue;
}

} // namespace

Check::Check(QWidget* parent) : QWidget(parent)
{
    setFixedSize(SidePixels, SidePixels);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab brings the focus, a click does not: the mouse leaves the looks as they always were.
    setFocusPolicy(Qt::TabFocus);
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &Check::pollTick);
    AccessibleControls::install();
}

void Check::setValue(bool value)
{
    storeValue(value);
    showPicture(restingPicture(m_value, m_enabled));
}

// Screen readers hear of every change of the value.
void Check::storeValue(bool value)
{
    if (value == m_value)
        return;
    m_value = value;
    QAccessible::State changed;
    changed.checked = true;
    AccessibleControls::announceChange(this, changed);
}

void Check::clickWithoutPointer()
{
    if (!m_acceptsInput)
        return;
    Q_EMIT MouseDown(1, 0, 0, 0);
    storeValue(!m_value);
    Q_EMIT Click();
    showPicture(restingPicture(m_value, m_enabled));
}

void Check::setEnabledProperty(bool value)
{
    m_enabled = value;
    showPicture(restingPicture(m_value, m_enabled));
    if (!value)
        m_poll.stop();
    m_acceptsInput = value;
    // A disabled box is passed over by Tab, as a disabled control is.
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void Check::setCaption(QLabel* caption)
{
    caption->setBuddy(this);
    delete m_focusMark;
    m_focusMark = new FocusMark(*caption);
    m_focusMark->setVisible(hasFocus());
}

bool Check::showsFocusMark() const
{
    return m_focusMark && m_focusMark->isVisible();
}

void Check::InitProperties()
{
    setValue(false);
    setEnabledProperty(true);
}

void Check::ReadProperties(const PropertyBag& bag)
{
    setValue(bag.ReadProperty(u"Value"_s, false).toBool());
    setEnabledProperty(bag.ReadProperty(u"Enabled"_s, true).toBool());
}

void Check::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(u"Value"_s, m_value, false);
    bag.WriteProperty(u"Enabled"_s, m_enabled, true);
}

void Check::showPicture(Picture picture)
{
    m_picture = picture;
    update();
}

void Check::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), SystemColors::toColor(SystemColors::ButtonFace, palette()));
    painter.drawImage(0, 0, CheckPictures::image(m_picture));
}

void Check::mousePressEvent(QMouseEvent* event)
{
    m_doubleClickRelease = false;
    if (event->button() != Qt::LeftButton || !m_acceptsInput || m_spaceDown)
        return;
    press(EventCodes::shift(event->modifiers()), event->position());
}

void Check::mouseReleaseEvent(QMouseEvent* event)
{
    // The release that ends a double-click raises no second Click: the value toggled only once,
    // and a host counting clicks must stay in step with it.
    const bool ending = std::exchange(m_doubleClickRelease, false);
    if (event->button() == Qt::RightButton || !m_acceptsInput || m_spaceDown)
        return;
    if (ending) {
        m_isPressed = false;
        startPoll();
        return;
    }
    release();
}

// MouseDown, the pushed picture of the value before the press, and the value toggles at once.
void Check::press(qint16 shift, QPointF pos)
{
    Q_EMIT MouseDown(1, shift, float(Twips::toTwips(pos.x())), float(Twips::toTwips(pos.y())));
    m_poll.stop();
    if (m_value) {
        showPicture(Picture::PushedChecked);
        storeValue(false);
    } else {
        showPicture(Picture::PushedNoValue);
        storeValue(true);
    }
    m_isPressed = true;
}

void Check::release()
{
    Q_EMIT Click();
    m_isPressed = false;
    startPoll();
}

// Space is the left button of the keyboard: down presses, up releases, and a held key's
// repeats change nothing.
void Check::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->isAutoRepeat() || m_isPressed || !m_acceptsInput)
        return;
    m_spaceDown = true;
    press(EventCodes::shift(event->modifiers()), QPointF(0, 0));
}

void Check::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->isAutoRepeat() || !std::exchange(m_spaceDown, false))
        return;
    release();
}

void Check::focusInEvent(QFocusEvent* event)
{
    if (m_focusMark)
        m_focusMark->show();
    QWidget::focusInEvent(event);
}

// The value toggled at the press: a Space whose release goes to another control still ends
// with its Click, so the host stays in step.
void Check::focusOutEvent(QFocusEvent* event)
{
    if (m_focusMark)
        m_focusMark->hide();
    if (std::exchange(m_spaceDown, false))
        release();
    QWidget::focusOutEvent(event);
}

// The second press of a double-click, with any button, comes only as this: no toggle, no
// MouseDown.
void Check::mouseDoubleClickEvent(QMouseEvent*)
{
    if (!m_acceptsInput)
        return;
    m_doubleClickRelease = true;
    Q_EMIT DblClick();
}

void Check::mouseMoveEvent(QMouseEvent*)
{
    if (!m_isPressed)
        startPoll();
}

// A running poll keeps its rhythm: movement must not postpone the next tick.
void Check::startPoll()
{
    if (!m_poll.isActive())
        m_poll.start();
}

void Check::pollTick()
{
    const bool over = isCursorOver();
    if (!m_enabled) {
        m_poll.stop();
        return;
    }
    if (over) {
        showPicture(m_value ? Picture::MouseoverChecked : Picture::MouseoverNoValue);
        return;
    }
    showPicture(m_value ? Picture::IdleChecked : Picture::IdleNoValue);
    m_poll.stop();
}

bool Check::isCursorOver() const
{
    return QApplication::widgetAt(QCursor::pos()) == this;
}
