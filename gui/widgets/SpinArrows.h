#pragma once

#include <QAbstractSlider>

// A vertical scroll bar so short that only its two arrows show: a spin control. The upper arrow
// raises the value by one step, the lower one lowers it; holding an arrow repeats. The Up and
// Down keys do the same when the control has the focus.
class SpinArrows : public QAbstractSlider {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget* parent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Arrow { None, Up, Down };
    Arrow arrowAt(const QPoint& pos) const;
    QRect arrowRect(Arrow arrow) const;
    void drawArrow(QPainter& painter, Arrow arrow) const;

    Arrow m_pressed = Arrow::None;
};
