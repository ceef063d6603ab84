#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One run of a program as a child process, measured from just before it is started until it has
// been reaped: wall time, CPU time and peak memory from wait4, and when it first wrote to its
// standard output (how a child says "I am ready" without ending).
struct ChildRun {
    bool ok = false;           // started, ended by itself with exit status 0
    qint64 wallUs = 0;         // start to reaped
    qint64 firstOutputUs = -1; // start to its first byte on standard output; -1 when none
    qint64 cpuUs = 0;          // user + system time
    qint64 maxRssKb = 0;       // peak resident set
    QByteArray output;         // standard output
    QByteArray errors;         // standard error
    QString failure;           // why not ok

    struct Options {
        QStringList environment; // NAME=VALUE set on top of the bench's own
        int timeoutMs = 600000;  // killed after this long
    };

    static ChildRun run(const QString& program, const QStringList& arguments,
                        const Options& options);
    static ChildRun run(const QString& program, const QStringList& arguments)
    {
        return run(program, arguments, Options{});
    }

    // From now on Ctrl+C or SIGTERM ends the child being run and every later run fails at once,
    // so the bench unwinds and stops what it started instead of dying on the spot.
    static void catchInterrupts();
    static bool interrupted();
};
