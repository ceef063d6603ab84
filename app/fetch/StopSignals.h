#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the event loop: the handler only writes a byte to a
// pipe, the rest runs as an ordinary event. After the first one the default action is back, so a
// second Ctrl+C ends the program at once.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool received() const { return m_received; }

Q_SIGNALS:
    void stopRequested();

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
    bool m_received = false;
};
