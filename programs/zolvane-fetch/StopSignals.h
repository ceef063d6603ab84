#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl+C into a Qt signal on the event loop. On POSIX systems SIGINT and SIGTERM: the
// handler only writes a byte to a pipe, the rest runs as an ordinary event. On Windows the
// console's Ctrl+C, Ctrl+Break and close events, handed over from the system's handler thread.
// After the first one the default action is back, so a second Ctrl+C ends the program at once.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    bool received() const { return m_received; }
    // What a stop signal does, on the event loop.
    void notify();

Q_SIGNALS:
    void stopRequested();

private:
#ifndef Q_OS_WIN
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
#endif
    bool m_received = false;
};
