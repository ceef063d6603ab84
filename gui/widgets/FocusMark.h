#pragma once

#include <QWidget>

class QLabel;

// The dotted rectangle around a caption that tells which control has the keyboard focus, for a
// control that has no caption of its own. It lies over the caption, takes no input and is hidden
// until its control shows it.
class FocusMark : public QWidget {
    Q_OBJECT
public:
    explicit FocusMark(const QLabel& caption);

    // Where the dots are: every other pixel of the ring, from the top-left corner on.
    static bool isDot(const QPoint& pixel) { return (pixel.x() + pixel.y()) % 2 == 0; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_ink;
};
