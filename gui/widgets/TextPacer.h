#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QLabel;

// Shows a label's changing text at a pace the eye can follow. Paced, the first change shows at
// once and later ones at most every 40 ms, the latest winning; texts in between, which nobody
// could read, are never painted. Unpaced (and when pacing ends), every change shows at once.
class TextPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 40;

    TextPacer(QLabel* label, QObject* parent = nullptr);

    void setText(const QString& text);
    // The text last given, shown or not yet.
    QString text() const;

    void setPaced(bool paced);
    // The text last given, on the label now.
    void showNow();

private:
    void showPending();

    QLabel* m_label;
    QTimer m_timer;
    QString m_pending;
    bool m_hasPending = false;
    bool m_paced = false;
};
