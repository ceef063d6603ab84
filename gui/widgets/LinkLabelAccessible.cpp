#include "gui/widgets/LinkLabelAccessible.h"

#include "gui/widgets/LinkLabel.h"

LinkLabelAccessible::LinkLabelAccessible(LinkLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText)
{}

LinkLabel* LinkLabelAccessible::label() const
{
    return static_cast<LinkLabel*>(widget());
}

QString LinkLabelAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && label()->accessibleName().isEmpty())
        return label()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State LinkLabelAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = label()->isLinked();
    return state;
}

QStringList LinkLabelAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (label()->isLinked())
        names.prepend(pressAction());
    return names;
}

void LinkLabelAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() && label()->isLinked())
        label()->click();
    else
        QAccessibleWidget::doAction(actionName);
}
