#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QLabel;

// Shows a label's changing text at a pace the eye can follow. Paced, the first change shows at
// once and later ones at most every 40 ms, the latest winning; texts in between, which nobody
// could read, are never painted. Unpaced (and when pacing ends), every change shows at once.
class TextPacer : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 40;

    // How a text goes on the label; by default as it is. Only texts that show are passed.
    using Show = std::function<void(QLabel* label, const QString& text)>;

    TextPacer(QLabel* label, QObject* parent = nullptr, Show show = {});

    void setText(const QString& text);
    // The text last given, shown or not yet.
    QString text() const;

    void setPaced(bool paced);
    // The text last given, on the label now.
    void showNow();

private:
    void showPending();
    void show(const QString& text);

    QLabel* m_label;
    Show m_show;
    QTimer m_timer;
    QString m_given;
    bool m_hasPending = false;
    bool m_paced = false;
};
