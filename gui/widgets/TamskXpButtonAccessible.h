#pragma once

#include <QAccessibleWidget>

class TamskXpButton;

// The XP button as a push button: its caption without the access-key marks as name, Alt with the
// access key as shortcut, pressed while the pressed look shows, and a press action that clicks as
// the access key does.
class TamskXpButtonAccessible : public QAccessibleWidget {
public:
    explicit TamskXpButtonAccessible(TamskXpButton* button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    TamskXpButton* button() const;
    QString shortcut() const;
};
