#include "gui/widgets/ReadingOrderAccessible.h"

#include "gui/widgets/ReadingOrder.h"

#include <QDialog>

namespace {

QAccessible::Role roleOf(const QWidget* container)
{
    if (!container->isWindow())
        return QAccessible::Grouping;
    return qobject_cast<const QDialog*>(container) ? QAccessible::Dialog : QAccessible::Window;
}

} // namespace

ReadingOrderAccessible::ReadingOrderAccessible(QWidget* container, const ReadingOrder& order)
    : QAccessibleWidget(container, roleOf(container)), m_order(order)
{}

// A window asked while it is still being built lists controls not made yet.
QList<QWidget*> ReadingOrderAccessible::children() const
{
    QList<QWidget*> order = m_order.readingOrder();
    order.removeAll(nullptr);
    return order;
}

int ReadingOrderAccessible::childCount() const
{
    return int(children().size());
}

QAccessibleInterface* ReadingOrderAccessible::child(int index) const
{
    const QList<QWidget*> order = children();
    if (index < 0 || index >= order.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(order.at(index));
}

int ReadingOrderAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    return int(children().indexOf(qobject_cast<QWidget*>(child->object())));
}
