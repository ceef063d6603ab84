#pragma once

#include <QAccessibleWidget>

class SpinArrows;

// The two arrows and the number they change, as one spin button: its value, its range, and
// increase and decrease actions that do what a click on the upper or the lower arrow does. Its
// name is the one the host gives it.
class SpinArrowsAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinArrowsAccessible(SpinArrows* spin);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    SpinArrows* spin() const;
};
