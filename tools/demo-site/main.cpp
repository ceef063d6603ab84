#include "DemoSiteServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "zolvane-demo-site: %s\n", qPrintable(message));
    std::exit(2);
}

int intOption(const QCommandLineParser& parser, const QString& name, int minimum, int maximum)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        fail(u"--%1 wants a number from %2 to %3"_s.arg(name).arg(minimum).arg(maximum));
    return value;
}

void addPictureName(DemoSiteOptions& options, const QString& rule)
{
    const qsizetype equals = rule.indexOf(u'=');
    bool ok = false;
    const int position = rule.left(equals).toInt(&ok);
    if (equals < 0 || !ok || position < 1 || position > SiteContent::ChainLength)
        fail(u"--picture-name wants K=NAME with K a listing page number"_s);
    options.pictureNames.insert(position,
                                QByteArray::fromPercentEncoding(rule.mid(equals + 1).toLatin1()));
}

DemoSiteOptions shapedOptions(const QCommandLineParser& parser)
{
    const QString shape = parser.value(u"shape"_s);
    if (shape != u"demo"_s && shape != u"real"_s)
        fail(u"--shape wants demo or real"_s);
    return shape == u"real"_s ? DemoSiteOptions::realShape() : DemoSiteOptions{};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"zolvane-demo-site"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Plays the zolvane.com site on 127.0.0.1 for the downloader, its tests and benchmarks. "
        "Prints the port on the first line of its output, and one line per request on stderr."_s);
    parser.addHelpOption();
    parser.addOptions({
        {u"port"_s, u"Port to listen on (0: any free port)."_s, u"port"_s, u"8080"_s},
        {u"exit-after"_s, u"End after this many seconds (0: never)."_s, u"seconds"_s, u"0"_s},
        {u"fault"_s,
         u"Misbehave: KIND=WHERE, KIND one of 404, 407, nomarker, stall, drip, close, reset; "
         "WHERE one of all, front, page:K, picture:K or a path. Repeatable."_s,
         u"rule"_s},
        {u"picture-name"_s,
         u"Name the picture of listing page K (percent escapes for raw bytes). Repeatable."_s,
         u"K=NAME"_s},
        {u"shape"_s,
         u"demo: small pictures and long page tails; real: the site's own shape, pages of about "
         "68 KB whose stop marker lies about 40 % in, photos of 5 to 60 KB."_s,
         u"shape"_s, u"demo"_s},
        {u"tail-kb"_s,
         u"Kilobytes of page text after the stop markers (%1; %2 in the real shape)."_s
             .arg(DemoSiteOptions{}.tailBytes / 1024)
             .arg(DemoSiteOptions::RealTailBytes / 1024),
         u"kb"_s},
        {u"tail-pause-ms"_s, u"Pause between the tail's 8 KB chunks."_s, u"ms"_s, u"1"_s},
        {u"drip-bytes"_s, u"Bytes per piece of a dripping reply."_s, u"bytes"_s, u"64"_s},
        {u"drip-pause-ms"_s, u"Pause between the pieces of a dripping reply."_s, u"ms"_s, u"10"_s},
        {u"quiet"_s, u"No line per request."_s},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        fail(u"unexpected argument %1"_s.arg(parser.positionalArguments().constFirst()));

    DemoSiteOptions options = shapedOptions(parser);
    if (parser.isSet(u"tail-kb"_s))
        options.tailBytes = intOption(parser, u"tail-kb"_s, 0, 100000) * 1024;
    options.tailPauseMs = intOption(parser, u"tail-pause-ms"_s, 0, 10000);
    options.dripBytes = intOption(parser, u"drip-bytes"_s, 1, 1 << 20);
    options.dripPauseMs = intOption(parser, u"drip-pause-ms"_s, 0, 10000);
    for (const QString& rule : parser.values(u"picture-name"_s))
        addPictureName(options, rule);

    DemoSiteServer server(options);
    for (const QString& rule : parser.values(u"fault"_s)) {
        QString error;
        if (!server.addFault(rule.toLatin1(), &error))
            fail(u"--fault %1: %2"_s.arg(rule, error));
    }
    if (!parser.isSet(u"quiet"_s)) {
        QObject::connect(&server, &DemoSiteServer::logLine, &server, [](const QString& line) {
            std::fprintf(stderr, "%s\n", qPrintable(line));
        });
    }
    const int port = intOption(parser, u"port"_s, 0, 65535);
    if (!server.listen(quint16(port)))
        fail(u"cannot listen on 127.0.0.1:%1: %2"_s.arg(port).arg(server.errorString()));
    std::printf("%u\n", unsigned(server.port()));
    std::fflush(stdout);

    if (const int seconds = intOption(parser, u"exit-after"_s, 0, 1000000); seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}
