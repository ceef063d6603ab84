#pragma once

#include "gui/resources/CheckPictures.h"
#include "gui/widgets/PropertyBag.h"

#include <QTimer>
#include <QWidget>

class FocusMark;
class QLabel;

// A two-state check box without caption, drawn from stored pictures: one of eight by value,
// enabled state, pointer over it and press in progress. It notices the pointer leaving by polling.
// The keyboard reaches it with Tab; Space then presses and releases it as the left button does.
class Check : public QWidget {
    Q_OBJECT

public:
    explicit Check(QWidget* parent = nullptr);

    bool Value() const { return m_value; }
    void setValue(bool value);
    // The box's own setting, kept apart from QWidget's: its window stays enabled, so pointer
    // movement still reaches it.
    bool Enabled() const { return m_enabled; }
    void setEnabledProperty(bool value);

    // The label the host places beside the box: it names the box for screen readers, and while
    // the box has the focus a dotted rectangle is drawn around its text.
    void setCaption(QLabel* caption);
    bool showsFocusMark() const;

    // A left click without the pointer, as a screen reader asks for it: MouseDown, the value
    // toggles, Click; the picture rests on the new value.
    void clickWithoutPointer();

    void InitProperties();
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    CheckPictures::Picture shownPicture() const { return m_picture; }
    bool isPressed() const { return m_isPressed; }
    bool isPollActive() const { return m_poll.isActive(); }

Q_SIGNALS:
    void Click();
    void DblClick();
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void press(qint16 shift, QPointF pos);
    void release();
    void showPicture(CheckPictures::Picture picture);
    void storeValue(bool value);
    void pollTick();
    void startPoll();
    bool isCursorOver() const;

    bool m_value = false;
    bool m_enabled = true;
    bool m_isPressed = false;
    bool m_acceptsInput = false;
    bool m_doubleClickRelease = false; // the release that ends a double-click
    bool m_spaceDown = false;          // a press made with the Space key, awaiting its release
    FocusMark* m_focusMark = nullptr;
    CheckPictures::Picture m_picture = CheckPictures::Picture::IdleNoValue;
    QTimer m_poll;
};
