#pragma once

#include <QAccessibleWidget>

class ReadingOrder;

// A window (a frame, or a dialog) or a panel whose children are those its reading order lists.
class ReadingOrderAccessible : public QAccessibleWidget {
public:
    ReadingOrderAccessible(QWidget* container, const ReadingOrder& order);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    QList<QWidget*> children() const;

    const ReadingOrder& m_order;
};
