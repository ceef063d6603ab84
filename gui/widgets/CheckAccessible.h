#pragma once

#include <QAccessibleWidget>

class Check;

// The check box: checked by its value, disabled by its own Enabled setting, pressed while a press
// holds, and press and toggle actions that click it as the left button does. Its name is the one
// the host gives it (the label beside it).
class CheckAccessible : public QAccessibleWidget {
public:
    explicit CheckAccessible(Check* box);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    Check* box() const;
};
