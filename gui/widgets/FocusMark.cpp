#include "gui/widgets/FocusMark.h"

#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace {

// The caption's text as shown, with a pixel of room on each side, in the caption's parent.
QRect ringAround(const QLabel& caption)
{
    const QFontMetrics metrics(caption.font());
    const QRect contents = caption.contentsRect();
    const QSize text(metrics.horizontalAdvance(caption.text()), metrics.height());
    // A text longer than its label is cut off at the label's edge, and so is the mark.
    const QRect inLabel =
        QStyle::alignedRect(caption.layoutDirection(), caption.alignment(), text, contents) &
        contents;
    return inLabel.translated(caption.pos()).adjusted(-1, -1, 1, 1);
}

} // namespace

FocusMark::FocusMark(const QLabel& caption)
    : QWidget(caption.parentWidget()), m_ink(caption.palette().color(QPalette::WindowText))
{
    setObjectName(caption.objectName() + QStringLiteral("FocusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(ringAround(caption));
    hide();
}

void FocusMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_ink);
    const int right = width() - 1;
    const int bottom = height() - 1;
    const auto dot = [&painter](int x, int y) {
        if (isDot({x, y}))
            painter.drawPoint(x, y);
    };
    for (int x = 0; x <= right; ++x) {
        dot(x, 0);
        dot(x, bottom);
    }
    for (int y = 1; y < bottom; ++y) {
        dot(0, y);
        dot(right, y);
    }
}
