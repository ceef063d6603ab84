#include "gui/widgets/ReadingOrder.h"

#include "gui/widgets/AccessibleControls.h"

#include <QWidget>

ReadingOrder::ReadingOrder()
{
    AccessibleControls::install();
}

void ReadingOrder::chainTabOrder(const QList<QWidget*>& order)
{
    QWidget* previous = nullptr;
    for (QWidget* control : order) {
        if (!(control->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}
