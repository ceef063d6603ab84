#include "gui/widgets/CheckAccessible.h"

#include "gui/widgets/Check.h"

CheckAccessible::CheckAccessible(Check* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

Check* CheckAccessible::box() const
{
    return static_cast<Check*>(widget());
}

QAccessible::State CheckAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = box()->Value();
    state.disabled = !box()->Enabled();
    state.pressed = box()->isPressed();
    return state;
}

QStringList CheckAccessible::actionNames() const
{
    return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
}

void CheckAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() || actionName == toggleAction())
        box()->clickWithoutPointer();
    else
        QAccessibleWidget::doAction(actionName);
}
