#pragma once

#include "core/net/TransferStatus.h"
#include "gui/widgets/ReadingOrder.h"
#include "gui/widgets/TextPacer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class Download_Control;
class LinkLabel;
class QLabel;

// The engine's small status panel: the busy icon, turning while the engine is busy, the caption
// and the status line, which reads as a link to the maker's page after a socket error. Screen
// readers hear a panel named by its caption that holds the status line.
class DownloadPanel : public QWidget, public ReadingOrder {
    Q_OBJECT

public:
    explicit DownloadPanel(QWidget* parent = nullptr);

    // The busy icon shows its next picture this often.
    static constexpr int FrameIntervalMs = 500;

    // Shows what the engine reports from now on, starting with its present state.
    void follow(const Download_Control* engine);

    QString statusText() const;
    // While a run is on, the status line is painted at a pace the eye can follow, and the
    // receiving count at most once a screen frame.
    void setPaced(bool paced);
    bool statusIsLink() const { return m_statusIsLink; }
    // The busy icon's picture shown, one of BusyFrames.
    int frame() const { return m_frame; }
    bool isBusy() const { return m_timer1.isActive(); }

    QList<QWidget*> readingOrder() const override;

public Q_SLOTS:
    // The status line and its look for a report of the engine; a receiving count is painted at
    // once, inside the engine's long wait.
    void showStatus(const TransferStatus& status);
    // Busy, the icon turns through its pictures; idle, it shows the first one again.
    void setBusy(bool busy);
    void setStatusText(const QString& text);
    void setStatusLink(bool isLink);
    void setFrame(int index);

private:
    void St_Click();
    void Timer1_Timer();
    // Paints the status line now rather than when the event loop comes round; while paced, a
    // count that comes within the frame of the last one is painted at the frame's end.
    void showStatusNow();
    void paintStatus();

    QLabel* m_I1;
    QLabel* m_Label1;
    LinkLabel* m_St;
    TextPacer m_statusPacer;
    QElapsedTimer m_sinceStatusPaint;
    QTimer m_frameEnd;
    QTimer m_timer1;
    bool m_paced = false;
    bool m_statusIsLink = false;
    bool m_lookApplied = false;
    int m_frame = 0;
};
