#pragma once

#include <QLabel>

// A label that reports a left click released over it, as a link does. The second press of a
// double-click starts no click of its own. Whether it acts as a link just now is its host's
// matter; screen readers are told.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text = QString(), QWidget* parent = nullptr);

    bool isLinked() const { return m_linked; }
    void setLinked(bool linked);

    // A click without the pointer, as a screen reader asks for it.
    void click();

Q_SIGNALS:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    bool m_linked = true;
};
