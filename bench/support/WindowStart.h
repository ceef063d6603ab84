#pragma once

#include <QString>
#include <QtGlobal>

// One start of a window program, measured from outside as a user's start would be: from the
// exec until the window is on screen (the child says so on its standard output), and until the
// process has ended. The child is `bench_startup --show main DIR` (the Main window in a fresh
// program folder) or `bench_startup --show minimal` (one QLabel), both started the same way.
namespace WindowStart {

enum class Kind { Main, Minimal };

struct Measured {
    bool ok = false;
    qint64 visibleUs = 0;
    qint64 wholeUs = 0;
    qint64 cpuUs = 0;
    QString failure;
};

// `benchStartup` is the path of bench_startup.
Measured measure(const QString& benchStartup, Kind kind);

// The options.ini the Main window is started with: no first-run window.
void writeSettings(const QString& folder, int pages, quint16 proxyPort);

} // namespace WindowStart
