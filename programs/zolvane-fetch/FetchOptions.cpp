#include "programs/zolvane-fetch/FetchOptions.h"

#include "core/crawl/DownloadSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int UsageError = 64;
constexpr int MaxStallTimeout = 24 * 60 * 60;

const QString Description =
    uR"(Downloads the pictures of the site's photo section into DIR/downloads and
writes the album DIR/downloads/index.htm, without a window: the same run as the
program's Down button, with the same engine, cache (DIR/!cashe) and album.
options.ini is neither read nor written; the album's decoration images are
copied from DIR/data.

Without --folder, DIR is the folder of zolvane-fetch when a file can be made
there and it is not the bin folder of an install (a portable copy). Else it is
the user's data folder (~/.local/share/zolvane on Linux), shared with zolvane,
and the decoration images come from the installed share/zolvane/data.

Status texts go to standard output, one a line, with a progress line for every
saved picture. Ctrl+C (or SIGTERM) stops the run like the stop button: the
album is written for the pages complete; a second Ctrl+C ends at once. A
transfer that receives nothing for --stall-timeout seconds ends like a
connection the system timed out (Ошибка 10060): the run ends with the album
of the pages complete before it.

One run at a time works in a folder: while zolvane or another zolvane-fetch
runs there, zolvane-fetch says so and starts nothing. Temporary files left
by a run that was killed while it saved are removed by the next run.

Failures the run leaves alone on purpose (a reply that could not be cached, a
decoration image not copied) are logged to standard error with --verbose, or
with QT_LOGGING_RULES="zolvane.*=true", in the categories zolvane.cache and
zolvane.files.

Exit status: 0 every page complete and saved, 1 a page did not look as expected
(the program's failure message), 2 stopped by Ctrl+C or SIGTERM, 3 ended early by
a network error (also a transfer stalled for --stall-timeout seconds), 4 every
page complete but pictures or the album could not be saved (the last status
line says how many and why), 5 another run is going on in the folder (nothing
started), 64 a wrong command line.)"_s;

bool readInt(const QCommandLineParser& parser, const QString& name, int low, int high, int& value,
             QString& message)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < low || number > high) {
        message = u"--%1 takes a whole number from %2 to %3\n"_s.arg(name).arg(low).arg(high);
        return false;
    }
    value = number;
    return true;
}

} // namespace

FetchOptions FetchOptions::parse(const QStringList& arguments)
{
    FetchOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {{u"n"_s, u"pages"_s}, u"Listing pages to walk, 1 to 3000 (default 10)."_s, u"N"_s},
        {{u"p"_s, u"proxy"_s}, u"Go through the HTTP proxy named by the next two options."_s},
        {u"proxy-name"_s, u"Proxy address (default 127.0.0.1)."_s, u"HOST"_s},
        {u"proxy-port"_s, u"Proxy port (default 8080)."_s, u"PORT"_s},
        {{u"c"_s, u"cache"_s}, u"Cache limit in entries, 0 to 32767 (default 300)."_s, u"N"_s},
        {u"stall-timeout"_s,
         u"Seconds a transfer may receive nothing before it ends as a network error, 0 to "
         u"86400; 0 waits for ever (default 120)."_s,
         u"N"_s},
        {{u"d"_s, u"folder"_s}, u"Program folder (default: see above)."_s, u"DIR"_s},
        {{u"q"_s, u"quiet"_s}, u"Print only the last status text and the album's place."_s},
        {u"verbose"_s, u"Log the failures left alone on purpose (see above)."_s},
    });

    if (!parser.parse(arguments)) {
        options.exitCode = UsageError;
        options.message = parser.errorText() + u"\n"_s;
        return options;
    }
    if (parser.isSet(u"help"_s)) {
        options.exitCode = 0;
        options.message = parser.helpText();
        return options;
    }
    if (parser.isSet(u"version"_s)) {
        options.exitCode = 0;
        options.message = u"zolvane-fetch %1\n"_s.arg(QCoreApplication::applicationVersion());
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.exitCode = UsageError;
        options.message = u"unexpected argument: %1\n"_s.arg(parser.positionalArguments().first());
        return options;
    }
    if (!readInt(parser, u"pages"_s, 1, DownloadSession::MaxPages, options.pages,
                 options.message) ||
        !readInt(parser, u"cache"_s, 0, 32767, options.cacheLimit, options.message) ||
        !readInt(parser, u"stall-timeout"_s, 0, MaxStallTimeout, options.stallTimeout,
                 options.message)) {
        options.exitCode = UsageError;
        return options;
    }
    options.proxyOn = parser.isSet(u"proxy"_s);
    if (parser.isSet(u"proxy-name"_s))
        options.proxyName = parser.value(u"proxy-name"_s);
    if (parser.isSet(u"proxy-port"_s))
        options.proxyPort = parser.value(u"proxy-port"_s);
    options.quiet = parser.isSet(u"quiet"_s);
    options.verbose = parser.isSet(u"verbose"_s);
    if (parser.isSet(u"folder"_s))
        options.programFolder = QDir::cleanPath(QDir(parser.value(u"folder"_s)).absolutePath());
    return options;
}
