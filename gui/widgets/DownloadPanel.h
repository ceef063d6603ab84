#pragma once

#include "gui/widgets/ReadingOrder.h"
#include "gui/widgets/TextPacer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class Download_Control;
class LinkLabel;
class QLabel;

// The engine's small status panel: the busy icon, the caption and the status line, which reads
// as a link to the maker's page after a socket error. Screen readers hear a panel named by its
// caption that holds the status line.
class DownloadPanel : public QWidget, public ReadingOrder {
    Q_OBJECT

public:
    explicit DownloadPanel(QWidget* parent = nullptr);

    // Shows what the engine reports from now on, starting with its present state.
    void follow(const Download_Control* engine);

    QString statusText() const;
    // While a run is on, the status line is painted at a pace the eye can follow, and the
    // receiving count at most once a screen frame.
    void setPaced(bool paced);
    bool statusIsLink() const { return m_statusIsLink; }
    // The busy icon's picture shown, one of BusyFrames.
    int frame() const { return m_frame; }

    QList<QWidget*> readingOrder() const override;

public Q_SLOTS:
    void setStatusText(const QString& text);
    // Paints the status line now rather than when the event loop comes round; while paced, a
    // count that comes within the frame of the last one is painted at the frame's end.
    void showStatusNow();
    void setStatusLink(bool isLink);
    void setFrame(int index);

private:
    void St_Click();
    void paintStatus();

    QLabel* m_I1;
    QLabel* m_Label1;
    LinkLabel* m_St;
    TextPacer m_statusPacer;
    QElapsedTimer m_sinceStatusPaint;
    QTimer m_frameEnd;
    bool m_paced = false;
    bool m_statusIsLink = false;
    bool m_lookApplied = false;
    int m_frame = 0;
};
