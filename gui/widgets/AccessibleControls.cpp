#include "gui/widgets/AccessibleControls.h"

#include "gui/widgets/Check.h"
#include "gui/widgets/CheckAccessible.h"
#include "gui/widgets/LinkLabel.h"
#include "gui/widgets/LinkLabelAccessible.h"
#include "gui/widgets/RImage.h"
#include "gui/widgets/RImageAccessible.h"
#include "gui/widgets/ReadingOrder.h"
#include "gui/widgets/ReadingOrderAccessible.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/SpinArrowsAccessible.h"
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/TamskXpButtonAccessible.h"

#include <QAccessible>

namespace AccessibleControls {

namespace {

template <typename Control> bool names(const QString& className)
{
    return className == QLatin1StringView(Control::staticMetaObject.className());
}

// Qt asks with each class name of the object, the most derived first.
QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (names<TamskXpButton>(className))
        return new TamskXpButtonAccessible(static_cast<TamskXpButton*>(object));
    if (names<Check>(className))
        return new CheckAccessible(static_cast<Check*>(object));
    if (names<RImage>(className))
        return new RImageAccessible(static_cast<RImage*>(object));
    if (names<LinkLabel>(className))
        return new LinkLabelAccessible(static_cast<LinkLabel*>(object));
    if (names<SpinArrows>(className))
        return new SpinArrowsAccessible(static_cast<SpinArrows*>(object));
    if (const auto* order = dynamic_cast<const ReadingOrder*>(object))
        return new ReadingOrderAccessible(static_cast<QWidget*>(object), *order);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceChange(QWidget* control, QAccessible::State changed)
{
    QAccessibleStateChangeEvent event(control, changed);
    QAccessible::updateAccessibility(&event);
}

void announceNameChange(QWidget* control)
{
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace AccessibleControls
