#pragma once

#include <QList>

class QWidget;

// A window or panel that lists its controls in the order a person reads them. Screen readers see
// exactly these children, in this order: what the list leaves out (backgrounds, frames, pictures
// that only decorate, labels another control already speaks for) is hidden from them. The focus
// moves with Tab through the listed controls that take it, in the same order.
class ReadingOrder {
public:
    virtual QList<QWidget*> readingOrder() const = 0;

    // Chains the listed controls that Tab reaches, so the keyboard follows the reading order.
    static void chainTabOrder(const QList<QWidget*>& order);

protected:
    ReadingOrder();
    ~ReadingOrder() = default;
};
