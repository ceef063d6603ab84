#pragma once

#include <QString>
#include <QStringList>

// What zolvane-fetch was asked to do.
struct FetchOptions {
    int pages = 10;
    bool proxyOn = false;
    QString proxyName = QStringLiteral("127.0.0.1");
    QString proxyPort = QStringLiteral("8080");
    int cacheLimit = 300;
    // Seconds a transfer may receive nothing before it ends as a network error; 0 never.
    int stallTimeout = 120;
    // Absolute; empty when --folder was not given (the programs' own choice then holds).
    QString programFolder;
    bool quiet = false;
    // Logs the failures a run leaves alone on purpose.
    bool verbose = false;

    // Reads the command line. On a mistake, or on --help or --version, `exitCode` is set and
    // `message` holds what to print (to stderr when exitCode is not 0).
    static FetchOptions parse(const QStringList& arguments);
    int exitCode = -1;
    QString message;
};
