#pragma once

#include <QColor>
#include <QWidget>

// A hollow one-pixel rectangle, or a one-pixel line when the widget is one pixel high. It takes
// no input, so whatever lies under it stays reachable.
class ShapeOutline : public QWidget {
    Q_OBJECT
public:
    ShapeOutline(const QColor& colour, QWidget* parent);

    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};
