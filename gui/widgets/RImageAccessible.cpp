#include "gui/widgets/RImageAccessible.h"

#include "gui/widgets/RImage.h"

#include <QFileInfo>

RImageAccessible::RImageAccessible(RImage* frame) : QAccessibleWidget(frame, QAccessible::Graphic)
{}

RImage* RImageAccessible::frame() const
{
    return static_cast<RImage*>(widget());
}

QString RImageAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !frame()->accessibleName().isEmpty())
        return QAccessibleWidget::text(t);
    const QString shown = frame()->shownPath();
    return shown.isEmpty() ? QStringLiteral("empty") : QFileInfo(shown).fileName();
}
