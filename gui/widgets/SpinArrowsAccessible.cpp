#include "gui/widgets/SpinArrowsAccessible.h"

#include "gui/widgets/SpinArrows.h"

SpinArrowsAccessible::SpinArrowsAccessible(SpinArrows* spin)
    : QAccessibleWidget(spin, QAccessible::SpinBox)
{}

SpinArrows* SpinArrowsAccessible::spin() const
{
    return static_cast<SpinArrows*>(widget());
}

void* SpinArrowsAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString SpinArrowsAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return QString::number(spin()->value());
    return QAccessibleWidget::text(t);
}

QVariant SpinArrowsAccessible::currentValue() const
{
    return spin()->value();
}

void SpinArrowsAccessible::setCurrentValue(const QVariant& value)
{
    if (spin()->isEnabled())
        spin()->setValue(value.toInt());
}

QVariant SpinArrowsAccessible::maximumValue() const
{
    return spin()->maximum();
}

QVariant SpinArrowsAccessible::minimumValue() const
{
    return spin()->minimum();
}

QVariant SpinArrowsAccessible::minimumStepSize() const
{
    return spin()->singleStep();
}

QStringList SpinArrowsAccessible::actionNames() const
{
    return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
}

void SpinArrowsAccessible::doAction(const QString& actionName)
{
    if (!spin()->isEnabled())
        return;
    if (actionName == increaseAction())
        spin()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (actionName == decreaseAction())
        spin()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else
        QAccessibleWidget::doAction(actionName);
}
