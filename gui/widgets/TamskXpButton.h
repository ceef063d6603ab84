#pragma once

#include "gui/widgets/AmbientProperties.h"
#include "gui/widgets/GdiCanvas.h"
#include "gui/widgets/PropertyBag.h"

#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <span>
#include <utility>

// The XP-style push button of every window: draws itself completely into a back buffer (face
// gradient, frame with softened corners, hover and focus rings, pressed and disabled looks,
// word-wrapped caption) and tells its host about the user's actions through nine signals.
class TamskXpButton : public QWidget {
    Q_OBJECT

public:
    // The button's state record, as the drawing reads it.
    struct State {
        GdiCanvas::Rect ClientRect;
        qint32 RegionWidth = 0;
        qint32 RegionHeight = 0;
        bool IsHover = false;
        qint16 MoveLatch = 0;
        bool HasFocus = false;
        qint16 LastButton = 0;
        qint16 LastKeyCode = 0;
        bool EnabledFlag = false;
        QString CaptionText;
        quint32 ForeHoverColor = 0;
    };

    explicit TamskXpButton(QWidget* parent = nullptr);
    ~TamskXpButton() override;

    // Properties. Enabled and Font are written with QWidget's setEnabled and setFont, also
    // through a QWidget pointer: the button keeps its own enabled flag and repaints on each change.
    bool Enabled() const { return m_state.EnabledFlag; }
    QFont Font() const { return font(); }
    QString Caption() const { return m_state.CaptionText; }
    void setCaption(const QString& value);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 value);
    quint32 ForeHover() const { return m_state.ForeHoverColor; }
    void setForeHover(quint32 value);

    // The lower-case access key taken from the caption, or empty.
    QString AccessKeys() const { return m_accessKeys; }

    // Persistence in the host window's saved design.
    void InitProperties(const AmbientProperties& ambient);
    void ReadProperties(const PropertyBag& bag, const AmbientProperties& ambient);
    void WriteProperties(PropertyBag& bag, const AmbientProperties& ambient) const;

    // Redraws the whole look from the state record (Pressing is 1 while a press starts or goes on).
    void Repaint(qint16 Pressing);

    // The user pressed the access key (or a screen reader pressed the button): a click.
    void AccessKeyPress();

    const State& state() const { return m_state; }
    const QImage& backBuffer() const { return m_canvas.image(); }
    // What the screen shows at a device pixel ratio: at 1 the back buffer; otherwise its look
    // enlarged pixel by pixel, with the caption drawn at the device's resolution.
    QImage screenImage(qreal ratio) const;
    bool isHoverTimerActive() const { return m_hoverTimer.isActive(); }
    bool isPressedLook() const { return m_pressedLook; }

Q_SIGNALS:
    void Click();
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);
    void KeyPress(qint16 KeyAscii);
    void KeyDown(qint16 KeyCode, qint16 Shift);
    void KeyUp(qint16 KeyCode, qint16 Shift);
    void MouseOver();
    void MouseOut();
    // A persisted property changed, named by its key.
    void PropertyChanged(const QString& name);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void drawLook();
    void DrawFace();
    void DrawPressedFace();
    void DrawDisabledFace();
    void DrawBorder();
    void DrawFocusRing();
    void DrawHoverRing();
    void DrawCaption();
    void ApplyCornerRegion();
    void showPressedLook(bool pressed);
    void clearSurface();
    void drawLine(QPoint from, QPoint to, const QColor& color, int width = 1);
    void drawRow(int y, const QColor& color, int width = 1);
    void setPixels(std::span<const std::pair<QPoint, QColor>> pixels);

    void handleMouseDown(qint16 button, qint16 shift, float x, float y);
    void handleClick();
    void hoverTimerTick();
    bool IsCursorOver() const;
    void UpdateAccessKey();
    void grabAccessKey();
    void releaseAccessKey();
    void moveFocus(bool forwards);
    void enabledChanged();
    void fontChanged();

    // The caption as the last repaint drew it, over the look without it, for screens of another
    // device pixel ratio.
    struct CaptionDrawing {
        QImage face;
        QString text;
        QFont font;
        QColor color;
        GdiCanvas::Rect rect;
    };

    State m_state;
    quint32 m_foreColor = SystemColors::WindowText;
    QString m_accessKeys;
    QList<int> m_shortcutIds;
    GdiCanvas m_canvas;
    CaptionDrawing m_caption;
    QTimer m_hoverTimer;
    bool m_clickPending = false; // a press waits for its release to become a click
    bool m_pressedLook = false;  // the last repaint drew the pressed face
    bool m_loading = false;      // the saved design is applied: no change is reported
};
