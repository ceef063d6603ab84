#pragma once

#include <QAccessibleWidget>

class LinkLabel;

// A link label as static text named by what it shows; while it acts as a link it is marked
// linked and offers a press action that clicks it.
class LinkLabelAccessible : public QAccessibleWidget {
public:
    explicit LinkLabelAccessible(LinkLabel* label);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    LinkLabel* label() const;
};
