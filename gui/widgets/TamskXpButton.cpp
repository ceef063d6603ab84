#include "gui/widgets/TamskXpButton.h"

#include "core/platform/Cp1251.h"
#include "gui/widgets/AccessibleControls.h"
#include "gui/widgets/EventCodes.h"
#include "gui/widgets/VirtualKeys.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScopedValueRollback>
#include <QShortcutEvent>
#include <cmath>
#include <span>

using namespace Qt::StringLiterals;

namespace {

struct Rgb {
    int r;
    int g;
    int b;
    QColor color() const { return QColor(r, g, b); }
};

constexpr Rgb FrameBlue{0, 60, 116};
constexpr Rgb CornerLight{122, 149, 168};
constexpr Rgb CornerDark{37, 87, 131};
constexpr Rgb FaceRowHm2{214, 208, 197};
constexpr Rgb FaceRowHm3{226, 223, 214};
constexpr Rgb FaceRowHm4{236, 235, 230};
constexpr Rgb PressedRow1{209, 204, 192};
constexpr Rgb PressedRow2{220, 216, 207};
constexpr Rgb PressedRowHm3{234, 233, 227};
constexpr Rgb PressedRowHm2{242, 241, 238};
constexpr Rgb DisabledFill{245, 244, 234};
constexpr Rgb DisabledFrame{201, 199, 186};
constexpr Rgb DisabledCornerA{216, 213, 199};
constexpr Rgb DisabledCornerB{234, 233, 222};
constexpr Rgb DisabledCaption{161, 161, 146};
constexpr Rgb FocusRow1{206, 231, 251};
constexpr Rgb FocusRow2{188, 212, 246};
constexpr Rgb FocusCornerDot{77, 125, 193};
constexpr Rgb FocusBottomRow{97, 125, 229};
constexpr Rgb HoverRow1{255, 240, 207};
constexpr Rgb HoverRow2{253, 216, 137};
constexpr Rgb HoverBottomRow{229, 151, 0};

// A colour that steps by a fixed amount after each row while its blue part has not yet fallen
// below a threshold, and then stays.
class Gradient {
public:
    constexpr Gradient(Rgb start, Rgb step, int threshold)
        : m_color(start), m_step(step), m_threshold(threshold)
    {}
    QColor color() const { return m_color.color(); }
    void advance()
    {
        if (m_color.b < m_threshold)
            return;
        m_color.r += m_step.r;
        m_color.g += m_step.g;
        m_color.b += m_step.b;
    }

private:
    Rgb m_color;
    Rgb m_step;
    int m_threshold;
};

constexpr Gradient FaceGradient{{255, 255, 253}, {-1, -1, -1}, 230};
constexpr Gradient PressedGradient{{239, 238, 231}, {-1, -1, -1}, 218};
constexpr Gradient FocusSideGradient{{186, 211, 246}, {-4, -3, -1}, 228};
constexpr Gradient HoverOuterGradient{{254, 223, 154}, {-1, -3, -7}, 49};
constexpr Gradient HoverInnerGradient{{252, 210, 121}, {-1, -4, -8}, 57};

// The character code of a typed key in the program's single-byte code page, or -1 for none.
int typedCharacter(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return -1;
    const QByteArray bytes = Cp1251::fromUnicode(QStringView(text).left(1));
    return bytes.isEmpty() ? -1 : int(quint8(bytes[0]));
}

// Halves go to the even neighbour.
int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

} // namespace

TamskXpButton::TamskXpButton(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_hoverTimer.setInterval(100);
    connect(&m_hoverTimer, &QTimer::timeout, this, &TamskXpButton::hoverTimerTick);
    AccessibleControls::install();
}

TamskXpButton::~TamskXpButton() = default;

// ---- properties ----

void TamskXpButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (m_loading)
        return;
    if (event->type() == QEvent::EnabledChange)
        enabledChanged();
    else if (event->type() == QEvent::FontChange)
        fontChanged();
}

// Only the button's own setting counts: a disabled parent leaves the flag alone.
void TamskXpButton::enabledChanged()
{
    const bool value = !testAttribute(Qt::WA_ForceDisabled);
    if (value == m_state.EnabledFlag)
        return;
    m_state.EnabledFlag = value;
    Q_EMIT PropertyChanged(u"Enabled"_s);
    Repaint(0);
}

void TamskXpButton::fontChanged()
{
    Repaint(0);
    Q_EMIT PropertyChanged(u"Font"_s);
}

void TamskXpButton::setCaption(const QString& value)
{
    m_state.CaptionText = value;
    Repaint(0);
    UpdateAccessKey();
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    Q_EMIT PropertyChanged(u"Caption"_s);
}

void TamskXpButton::setForeColor(quint32 value)
{
    m_foreColor = value;
    Repaint(0);
    Q_EMIT PropertyChanged(u"ForeColor"_s);
}

void TamskXpButton::setForeHover(quint32 value)
{
    m_state.ForeHoverColor = value;
    Q_EMIT PropertyChanged(u"ForeHover"_s);
}

// ---- persistence ----

void TamskXpButton::InitProperties(const AmbientProperties& ambient)
{
    const QScopedValueRollback loading(m_loading, true);
    setFont(ambient.Font);
    m_state.CaptionText = ambient.DisplayName;
    m_state.EnabledFlag = true;
}

void TamskXpButton::ReadProperties(const PropertyBag& bag, const AmbientProperties& ambient)
{
    const QScopedValueRollback loading(m_loading, true);
    m_state.EnabledFlag = bag.ReadProperty(u"Enabled"_s, true).toBool();
    setFont(bag.ReadProperty(u"Font"_s, ambient.Font).value<QFont>());
    m_state.CaptionText = bag.ReadProperty(u"Caption"_s, ambient.DisplayName).toString();
    m_foreColor = bag.ReadProperty(u"ForeColor"_s, ambient.ForeColor).toUInt();
    m_state.ForeHoverColor = bag.ReadProperty(u"ForeHover"_s, m_foreColor).toUInt();
    setEnabled(m_state.EnabledFlag);
    UpdateAccessKey();
}

void TamskXpButton::WriteProperties(PropertyBag& bag, const AmbientProperties& ambient) const
{
    bag.WriteProperty(u"Enabled"_s, m_state.EnabledFlag, true);
    bag.WriteProperty(u"Font"_s, font(), ambient.Font);
    bag.WriteProperty(u"Caption"_s, m_state.CaptionText, ambient.DisplayName);
    bag.WriteProperty(u"ForeColor"_s, m_foreColor);
    bag.WriteProperty(u"ForeHover"_s, m_state.ForeHoverColor, ambient.ForeColor);
}

// ---- drawing ----

void TamskXpButton::Repaint(qint16 Pressing)
{
    m_canvas.resize(QSize(m_state.ClientRect.right, m_state.ClientRect.bottom));
    showPressedLook(m_state.EnabledFlag && Pressing == 1 && m_state.LastButton == 1);
    // A hidden button is drawn once it shows; a window being built changes its buttons often.
    if (isVisible())
        drawLook();
    ApplyCornerRegion();
}

void TamskXpButton::drawLook()
{
    if (!m_state.EnabledFlag) {
        DrawDisabledFace();
    } else if (m_pressedLook) {
        DrawPressedFace();
        DrawBorder();
    } else {
        DrawFace();
        if (m_state.IsHover)
            DrawHoverRing();
        else if (m_state.HasFocus)
            DrawFocusRing();
        DrawBorder();
    }
    DrawCaption();
}

// Screen readers hear of the pressed look coming and going.
void TamskXpButton::showPressedLook(bool pressed)
{
    if (pressed == m_pressedLook)
        return;
    m_pressedLook = pressed;
    QAccessible::State changed;
    changed.pressed = true;
    AccessibleControls::announceChange(this, changed);
}

void TamskXpButton::clearSurface()
{
    m_canvas.clear(SystemColors::toColor(SystemColors::WindowBackground, palette()));
}

// A line the way the Windows call draws it: from its start up to, not including, its end.
void TamskXpButton::drawLine(QPoint from, QPoint to, const QColor& color, int width)
{
    m_canvas.selectPen(width, color);
    m_canvas.moveTo(from.x(), from.y());
    m_canvas.lineTo(to.x(), to.y());
}

// A row across the whole face, without the right frame column.
void TamskXpButton::drawRow(int y, const QColor& color, int width)
{
    drawLine({0, y}, {m_state.ClientRect.right - 1, y}, color, width);
}

void TamskXpButton::setPixels(std::span<const std::pair<QPoint, QColor>> pixels)
{
    for (const auto& [point, color] : pixels)
        m_canvas.setPixel(point.x(), point.y(), color);
}

void TamskXpButton::DrawFace()
{
    clearSurface();
    const int h = m_state.ClientRect.bottom;
    Gradient gradient = FaceGradient;
    for (int y = 3; y <= h - 3; ++y) {
        drawRow(y, gradient.color());
        gradient.advance();
    }
    const std::pair<int, Rgb> bottomRows[] = {
        {h - 2, FaceRowHm2}, {h - 3, FaceRowHm3}, {h - 4, FaceRowHm4}};
    for (const auto& [y, color] : bottomRows)
        drawRow(y, color.color());
}

void TamskXpButton::DrawPressedFace()
{
    clearSurface();
    const int h = m_state.ClientRect.bottom;
    Gradient gradient = PressedGradient;
    for (int y = 3; y <= h - 2; y += 4) {
        drawRow(y, gradient.color(), 4);
        gradient.advance();
    }
    const std::pair<int, Rgb> rows[] = {
        {1, PressedRow1}, {2, PressedRow2}, {h - 3, PressedRowHm3}, {h - 2, PressedRowHm2}};
    for (const auto& [y, color] : rows)
        drawRow(y, color.color());
}

void TamskXpButton::DrawDisabledFace()
{
    clearSurface();
    const int w = m_state.ClientRect.right;
    const int h = m_state.ClientRect.bottom;
    m_canvas.fillRect(0, 0, w, h, DisabledFill.color());
    m_canvas.frameRect(0, 0, w, h, DisabledFrame.color());
    const QColor a = DisabledCornerA.color();
    const QColor b = DisabledCornerB.color();
    const std::pair<QPoint, QColor> pixels[] = {
        {{0, 1}, a},         {{1, 1}, a},         {{1, 0}, a},         {{1, 2}, b},
        {{2, 1}, b},         {{w - 2, 0}, a},     {{w - 2, 1}, a},     {{w - 1, 1}, a},
        {{w - 3, 1}, b},     {{w - 2, 2}, b},     {{0, h - 2}, a},     {{1, h - 2}, a},
        {{1, h - 1}, a},     {{1, h - 3}, b},     {{2, h - 2}, b},     {{w - 1, h - 2}, a},
        {{w - 2, h - 2}, a}, {{w - 2, h - 1}, a}, {{w - 2, h - 3}, b}, {{w - 3, h - 2}, b}};
    setPixels(pixels);
}

void TamskXpButton::DrawBorder()
{
    const int w = m_state.ClientRect.right;
    const int h = m_state.ClientRect.bottom;
    m_canvas.frameRect(0, 0, w, h, FrameBlue.color());
    const QColor l = CornerLight.color();
    const QColor d = CornerDark.color();
    const std::pair<QPoint, QColor> pixels[] = {
        {{0, 1}, l},     {{1, 1}, d},         {{1, 0}, l},         {{w - 2, 0}, l},
        {{w - 2, 1}, d}, {{w - 1, 1}, l},     {{0, h - 2}, l},     {{1, h - 2}, d},
        {{1, h - 1}, l}, {{w - 1, h - 2}, l}, {{w - 2, h - 2}, d}, {{w - 2, h - 1}, l}};
    setPixels(pixels);
}

void TamskXpButton::DrawFocusRing()
{
    const int w = m_state.ClientRect.right;
    const int h = m_state.ClientRect.bottom;
    drawLine({2, 1}, {w - 2, 1}, FocusRow1.color());
    drawLine({1, 2}, {w - 1, 2}, FocusRow2.color());
    Gradient sides = FocusSideGradient;
    for (int y = 3; y <= h - 4; ++y) {
        drawLine({2, y}, {2, y + 1}, sides.color(), 2);
        drawLine({w - 2, y}, {w - 2, y + 1}, sides.color(), 2);
        sides.advance();
    }
    drawLine({1, h - 3}, {w - 2, h - 3}, sides.color());
    m_canvas.setPixel(2, h - 2, FocusCornerDot.color());
    drawLine({3, h - 2}, {w - 3, h - 2}, FocusBottomRow.color());
    m_canvas.setPixel(w - 3, h - 2, FocusCornerDot.color());
}

void TamskXpButton::DrawHoverRing()
{
    const int w = m_state.ClientRect.right;
    const int h = m_state.ClientRect.bottom;
    drawLine({2, 1}, {w - 2, 1}, HoverRow1.color());
    drawLine({1, 2}, {w - 1, 2}, HoverRow2.color());
    Gradient outer = HoverOuterGradient;
    for (int y = 2; y <= h - 3; ++y) {
        drawLine({1, y}, {1, y + 1}, outer.color());
        drawLine({w - 2, y}, {w - 2, y + 1}, outer.color());
        outer.advance();
    }
    Gradient inner = HoverInnerGradient;
    for (int y = 3; y <= h - 3; ++y) {
        drawLine({2, y}, {2, y + 1}, inner.color());
        drawLine({w - 3, y}, {w - 3, y + 1}, inner.color());
        inner.advance();
    }
    drawLine({3, h - 3}, {w - 1, h - 3}, inner.color());
    drawLine({2, h - 2}, {w - 2, h - 2}, HoverBottomRow.color());
}

void TamskXpButton::DrawCaption()
{
    GdiCanvas::Rect client{0, 0, m_state.ClientRect.right, m_state.ClientRect.bottom};
    quint32 color = m_foreColor;
    if (!m_state.EnabledFlag)
        color = SystemColors::toColorRef(DisabledCaption.color());
    else if (m_state.IsHover)
        color = m_state.ForeHoverColor;
    m_caption = {
        m_canvas.image(), m_state.CaptionText, font(), SystemColors::toColor(color, palette()), {}};
    m_canvas.setTextColor(m_caption.color);
    m_canvas.setFont(m_caption.font);
    GdiCanvas::Rect measured = client;
    const int h = m_canvas.drawText(m_state.CaptionText, measured,
                                    GdiCanvas::CalcRect | GdiCanvas::WordBreak | GdiCanvas::Center);
    const double scaleWidth = client.right;
    const double scaleHeight = client.bottom;
    GdiCanvas::Rect textRect{0, roundHalfEven(scaleHeight * 0.5 - h * 0.5),
                             roundHalfEven(scaleWidth), roundHalfEven(scaleHeight * 0.5 + h * 0.5)};
    m_caption.rect = textRect;
    m_canvas.drawText(m_state.CaptionText, textRect, GdiCanvas::WordBreak | GdiCanvas::Center);
}

void TamskXpButton::ApplyCornerRegion()
{
    const int w = m_state.RegionWidth;
    const int h = m_state.RegionHeight;
    QRegion region(0, 0, w, h);
    region -= QRegion(0, 0, 1, 1);
    region -= QRegion(0, h - 1, 1, 1);
    region -= QRegion(w - 1, 0, 1, 1);
    region -= QRegion(w - 1, h - 1, 1, 1);
    setMask(region);
    update();
}

QImage TamskXpButton::screenImage(qreal ratio) const
{
    if (ratio == 1 || m_caption.face.isNull())
        return m_canvas.image();
    const QSize device = (QSizeF(m_caption.face.size()) * ratio).toSize();
    QImage enlarged = m_caption.face.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    enlarged.setDevicePixelRatio(ratio);
    GdiCanvas screen(std::move(enlarged));
    screen.setFont(m_caption.font);
    screen.setTextColor(m_caption.color);
    GdiCanvas::Rect rect = m_caption.rect;
    screen.drawText(m_caption.text, rect, GdiCanvas::WordBreak | GdiCanvas::Center);
    return screen.image();
}

void TamskXpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, screenImage(devicePixelRatioF()));
}

// ---- life cycle ----

void TamskXpButton::resizeEvent(QResizeEvent*)
{
    const QRect client = rect();
    m_state.ClientRect = {0, 0, client.width(), client.height()};
    m_state.RegionWidth = m_state.ClientRect.right;
    m_state.RegionHeight = m_state.ClientRect.bottom;
    Repaint(0);
}

void TamskXpButton::showEvent(QShowEvent*)
{
    Repaint(0);
}

bool TamskXpButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (m_shortcutIds.contains(shortcut->shortcutId())) {
            AccessKeyPress();
            return true;
        }
    }
    return QWidget::event(event);
}

// ---- mouse ----

void TamskXpButton::handleMouseDown(qint16 button, qint16 shift, float x, float y)
{
    if (!m_state.EnabledFlag)
        return;
    m_state.LastButton = button;
    update();
    if (button != 2)
        Repaint(1);
    Q_EMIT MouseDown(button, shift, x, y);
}

void TamskXpButton::mousePressEvent(QMouseEvent* event)
{
    m_clickPending = true;
    const QPointF pos = event->position();
    handleMouseDown(EventCodes::button(event->button()), EventCodes::shift(event->modifiers()),
                    float(pos.x()), float(pos.y()));
}

void TamskXpButton::mouseMoveEvent(QMouseEvent* event)
{
    const qint16 button = EventCodes::buttons(event->buttons());
    const qint16 shift = EventCodes::shift(event->modifiers());
    const float x = float(event->position().x());
    const float y = float(event->position().y());
    if (button >= 2) {
        Q_EMIT MouseMove(button, shift, x, y);
        return;
    }
    if (!IsCursorOver()) {
        if (m_state.MoveLatch == 0)
            return;
        Repaint(0);
        Q_EMIT MouseMove(button, shift, x, y);
        return;
    }
    // Only a hover in progress keeps the latch: one left by a drag back over the button after its
    // hover had ended would keep every later hover away, so the poll starts again here.
    if (button == 0 && !m_hoverTimer.isActive())
        m_state.MoveLatch = 0;
    if (m_state.MoveLatch == 1)
        return;
    m_state.MoveLatch = 1;
    if (button == 0 && !m_state.IsHover) {
        m_hoverTimer.start();
        m_state.IsHover = true;
        m_state.MoveLatch = 0;
        Repaint(0);
        Q_EMIT MouseOver();
        Q_EMIT MouseMove(button, shift, x, y);
    } else if (button == 1) {
        m_state.IsHover = true;
        Repaint(1);
        m_state.IsHover = false;
        Q_EMIT MouseMove(button, shift, x, y);
    } else {
        Q_EMIT MouseMove(button, shift, x, y);
    }
}

void TamskXpButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF pos = event->position();
    Repaint(0);
    update();
    Q_EMIT MouseUp(EventCodes::button(event->button()), EventCodes::shift(event->modifiers()),
                   float(pos.x()), float(pos.y()));
    // A press and a release over the button make a click; the release ending a double-click
    // does not.
    const bool clicked =
        m_clickPending && event->buttons() == Qt::NoButton && mask().contains(pos.toPoint());
    m_clickPending = false;
    if (clicked)
        handleClick();
}

// The second press of a double-click. It is a press of its own only when the first one was
// left; the mouse stays grabbed until its release, which raises no second Click.
void TamskXpButton::mouseDoubleClickEvent(QMouseEvent*)
{
    m_clickPending = false;
    if (m_state.LastButton == 1)
        handleMouseDown(1, 0, 0, 0);
}

void TamskXpButton::handleClick()
{
    if (m_state.LastButton != 1)
        return;
    Repaint(0);
    update();
    Q_EMIT Click();
}

void TamskXpButton::hoverTimerTick()
{
    if (IsCursorOver())
        return;
    m_hoverTimer.stop();
    m_state.IsHover = false;
    m_state.MoveLatch = 0;
    Repaint(0);
    Q_EMIT MouseOut();
}

bool TamskXpButton::IsCursorOver() const
{
    return QApplication::widgetAt(QCursor::pos()) == this;
}

// ---- keyboard ----

void TamskXpButton::keyPressEvent(QKeyEvent* event)
{
    const qint16 keyCode = VirtualKeys::fromKeyEvent(*event);
    const qint16 shift = EventCodes::shift(event->modifiers());
    m_state.LastKeyCode = keyCode;
    if (keyCode == VirtualKeys::Space || keyCode == VirtualKeys::Return)
        Repaint(1);
    else if (keyCode == VirtualKeys::Left || keyCode == VirtualKeys::Right)
        moveFocus(true);
    else if (keyCode == VirtualKeys::Down || keyCode == VirtualKeys::Up)
        moveFocus(false);
    Q_EMIT KeyDown(keyCode, shift);
    const int typed = typedCharacter(event);
    if (typed >= 0)
        Q_EMIT KeyPress(qint16(typed));
}

void TamskXpButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    const qint16 keyCode = VirtualKeys::fromKeyEvent(*event);
    if ((keyCode == VirtualKeys::Return || keyCode == VirtualKeys::Space) &&
        m_state.LastKeyCode == keyCode) {
        Repaint(0);
        m_state.LastButton = 1;
        update();
        Q_EMIT Click();
    }
    Q_EMIT KeyUp(keyCode, EventCodes::shift(event->modifiers()));
}

// Like a Tab keystroke sent to the window: it arrives after the current key event is handled.
void TamskXpButton::moveFocus(bool forwards)
{
    QMetaObject::invokeMethod(
        this, [this, forwards] { focusNextPrevChild(forwards); }, Qt::QueuedConnection);
}

void TamskXpButton::AccessKeyPress()
{
    m_state.LastButton = 1;
    handleClick();
}

void TamskXpButton::UpdateAccessKey()
{
    releaseAccessKey();
    const QString& caption = m_state.CaptionText;
    if (caption.size() <= 1)
        return;
    const qsizetype first = caption.indexOf(u'&');
    if (first < 0 || first == caption.size() - 1)
        return;
    if (caption[first + 1] != u'&') {
        m_accessKeys = caption[first + 1].toLower();
    } else {
        const qsizetype next = caption.indexOf(u'&', first + 2);
        if (next < 0 || next == caption.size() - 1 || caption[next + 1] == u'&')
            return;
        m_accessKeys = caption[next + 1].toLower();
    }
    grabAccessKey();
}

// Alt with the key in either case.
void TamskXpButton::grabAccessKey()
{
    const QChar key = m_accessKeys.at(0).toUpper();
    const int code = key.unicode();
    m_shortcutIds.append(
        grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(code)))));
    m_shortcutIds.append(grabShortcut(
        QKeySequence(QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, Qt::Key(code)))));
}

void TamskXpButton::releaseAccessKey()
{
    for (int id : std::as_const(m_shortcutIds))
        releaseShortcut(id);
    m_shortcutIds.clear();
    m_accessKeys.clear();
}

// ---- focus ----

void TamskXpButton::focusInEvent(QFocusEvent*)
{
    m_state.HasFocus = true;
    Repaint(1);
}

void TamskXpButton::focusOutEvent(QFocusEvent*)
{
    m_state.HasFocus = false;
    Repaint(0);
}
