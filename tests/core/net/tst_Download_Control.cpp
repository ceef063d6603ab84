#include "core/net/Download_Control.h"
#include "core/net/EngineTexts.h"
#include "support/ScriptedServer.h"
#include "support/TransferOutcomeText.h"

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Page = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>hello</html>";

// Runs one Down; a transfer still waiting after a few seconds is stopped, so no test can hang.
TransferOutcome fetch(Download_Control& engine, const QByteArray& path, bool cashe = false)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &engine, &Download_Control::Stopped);
    guard.start(5000);
    return engine.Down(path, cashe);
}

void direct(Download_Control& engine, const ScriptedServer& server)
{
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(server.port());
}

TransferStatus statusIn(const QList<QVariant>& args)
{
    return args.at(0).value<TransferStatus>();
}

// The engine's status lines, from a spy on its reports.
QStringList texts(const QSignalSpy& spy)
{
    QStringList out;
    for (const auto& args : spy)
        out << EngineTexts::status(statusIn(args));
    return out;
}

// What the reports put on the window's status line.
QStringList mainStats(const QSignalSpy& spy)
{
    QStringList out;
    for (const auto& args : spy) {
        if (const QString text = EngineTexts::mainStatus(statusIn(args)); !text.isEmpty())
            out << text;
    }
    return out;
}

// The traffic lines, from a spy on the traffic count.
QStringList trafficLines(const QSignalSpy& spy)
{
    QStringList out;
    for (const auto& args : spy)
        out << EngineTexts::traffic(args.at(0).toLongLong());
    return out;
}

// A port nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestDownload_Control : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void directRequestBytes();
    void proxyRequestBytes();
    void controlBytesInPathAreEncoded();
    void wholeReplyOnClose();
    void statusLinesOfATransfer();
    void refusedConnection();
    void closeBeforeAnyByte();
    void statusLineOnlyThenClose();
    void stallUntilStopped();
    void stallTimeoutEndsADeadTransfer_data();
    void stallTimeoutEndsADeadTransfer();
    void arrivalsPutTheStallTimeoutOff();
    void dripWithMarkerSplit();
    void markerSplitAcrossTwoArrivals();
    void markerInFirstPacket();
    void resetInTheMiddleOfABody_data();
    void resetInTheMiddleOfABody();
    void environmentProxyIsNeverUsed_data();
    void environmentProxyIsNeverUsed();
    void notFoundPosition_data();
    void notFoundPosition();
    void proxyAuthorisation_data();
    void proxyAuthorisation();
    void replyOverTheLimit_data();
    void replyOverTheLimit();
    void badProxyPort_data();
    void badProxyPort();
    void connectingText_data();
    void connectingText();
    void trafficLine_data();
    void trafficLine();
    void trafficIsSixtyFourBit();
    void linkLookResetByNextDown();
    void busyWhileTheTransferWaits();
    void abandonEndsTheWait();
    void winsockNumbers_data();
    void winsockNumbers();
    void replyReadingErrorIsAReply();
    void cacheHitWithoutNetwork();
    void stopWaitingBeforeTheCacheLookup();
};

void TestDownload_Control::directRequestBytes()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Page).close();
    Download_Control engine;
    direct(engine, server);
    QCOMPARE(fetch(engine, "/photo/page2.htm"), TransferOutcome::reply(Page));
    QCOMPARE(server.received(),
             QByteArray("GET /photo/page2.htm HTTP/1.0\r\n"
                        "Accept: */*\r\n"
                        "Referer: http://127.0.0.1\r\n"
                        "Accept-Language: ru\r\n"
                        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
                        "Host: 127.0.0.1\r\n"
                        "Connection: Close\r\n"
                        "\r\n"));
}

void TestDownload_Control::proxyRequestBytes()
{
    ScriptedServer proxy;
    QVERIFY(proxy.listen());
    proxy.send(Page).close();
    Download_Control engine;
    engine.setRHost("zolvane.com");
    engine.setDirectPort(closedPort());
    engine.setUseProxyServer("127.0.0.1", proxy.portText(), true);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/photo/"), TransferOutcome::reply(Page));
    QCOMPARE(proxy.received(),
             QByteArray("GET http://zolvane.com/photo/ HTTP/1.0\r\n"
                        "Accept: */*\r\n"
                        "Referer: http://zolvane.com\r\n"
                        "Accept-Language: ru\r\n"
                        "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
                        "Host: zolvane.com\r\n"
                        "Proxy-Connection: Close\r\n"
                        "\r\n"));
    QCOMPARE(texts(status).value(0),
             u"Proxy connect 127.0.0.1:"_s + QString::number(proxy.port()) + u"..."_s);

    // Switched off, the stored proxy stays but the site is asked directly.
    ScriptedServer site;
    QVERIFY(site.listen());
    site.send(Page).close();
    engine.setDirectPort(site.port());
    engine.setRHost("127.0.0.1");
    engine.setUseProxyServer("ignored", "1", false);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(Page));
    QVERIFY(site.received().startsWith("GET / HTTP/1.0\r\n"));
    engine.setUseProxyServer("", "", true); // names are taken again only when switched on
    QCOMPARE(engine.BuildRequest("/").left(34), QByteArray("GET http://127.0.0.1/ HTTP/1.0\r\nAc"));
}

void TestDownload_Control::controlBytesInPathAreEncoded()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Page).close();
    Download_Control engine;
    direct(engine, server);
    // The last byte is a NUL.
    QCOMPARE(fetch(engine, QByteArray("/a b\r\nX-Injected: 1\x7f\x01%41\xe9", 26)),
             TransferOutcome::reply(Page));
    const QByteArray firstLine = server.received().left(server.received().indexOf("\r\n"));
    QCOMPARE(firstLine, QByteArray("GET /a%20b%0D%0AX-Injected:%201%7F%01%41\xe9%00 HTTP/1.0"));
    QVERIFY(!server.received().contains("\r\nX-Injected"));
}

void TestDownload_Control::wholeReplyOnClose()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    QByteArray body(100000, 'x');
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 7);
    const QByteArray reply = "HTTP/1.1 200 OK\r\n\r\n" + body;
    server.send(reply.left(5000)).pause(20).send(reply.mid(5000)).close();
    Download_Control engine;
    direct(engine, server);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/pic.jpg"), TransferOutcome::reply(reply));
    QCOMPARE(engine.TransferResult(), TransferOutcome::reply(reply));
    QCOMPARE(engine.TrafficCount(), engine.BuildRequest("/pic.jpg").size() + reply.size());
    QCOMPARE(errors.count(), 0);
    QVERIFY(!engine.isBusy());
}

void TestDownload_Control::statusLinesOfATransfer()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("HTTP/1.0 200 OK\r\n").pause(30).send("\r\nbody").close();
    Download_Control engine;
    direct(engine, server);
    QCOMPARE(EngineTexts::status(engine.status()), u"Ready"_s);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QSignalSpy traffic(&engine, &Download_Control::trafficChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply("HTTP/1.0 200 OK\r\n\r\nbody"));
    QCOMPARE(texts(status),
             QStringList({u"Подключение к http://127.0.0.1..."_s, u"Отправлен запрос"_s,
                          u"Загрузка данных:  17 Bytes"_s, u"Загрузка данных:  23 Bytes"_s,
                          u"Загрузка завершена"_s}));
    QCOMPARE(trafficLines(traffic), QStringList({u"Трафек: 0 Кб"_s, u"Трафек: 0 Кб"_s}));
    QCOMPARE(mainStats(status), QStringList());
    QVERIFY(!EngineTexts::isLink(engine.status()));
}

void TestDownload_Control::refusedConnection()
{
    Download_Control engine;
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(closedPort());
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 10061"_s);
    QVERIFY(EngineTexts::isLink(engine.status()));
    QVERIFY(EngineTexts::isLink(statusIn(status.last())));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(engine.TrafficCount(), 0);
    QVERIFY(!engine.isBusy());
}

void TestDownload_Control::closeBeforeAnyByte()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.close();
    Download_Control engine;
    direct(engine, server);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 10054"_s);
    QVERIFY(EngineTexts::isLink(engine.status()));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(server.connections(), 1);
}

void TestDownload_Control::statusLineOnlyThenClose()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("HTTP/1.0 200 OK\r\n").close();
    Download_Control engine;
    direct(engine, server);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply("HTTP/1.0 200 OK\r\n"));
    QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка завершена"_s);
}

void TestDownload_Control::stallUntilStopped()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("HTTP/1.0 200 OK\r\n\r\npart").pause(60000);
    Download_Control engine;
    direct(engine, server);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QSignalSpy busy(&engine, &Download_Control::busyChanged);
    QObject::connect(&engine, &Download_Control::statusChanged, &engine,
                     [&](const TransferStatus& report) {
                         if (report.kind == TransferStatus::Kind::Receiving)
                             QTimer::singleShot(50, &engine, &Download_Control::Stopped);
                     });
    QCOMPARE(engine.Down("/", false), TransferOutcome::stopped());
    QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка прервана"_s);
    QCOMPARE(mainStats(status), QStringList({u"Загрузка прервана"_s}));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(busy.last().at(0).toBool(), false);
    QVERIFY(!engine.isBusy());
    // Only the request counts: a stopped transfer adds nothing for what it received.
    QCOMPARE(engine.TrafficCount(), engine.BuildRequest("/").size());
}

void TestDownload_Control::stallTimeoutEndsADeadTransfer_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("accepts and never answers") << QByteArray();
    QTest::newRow("stops in the middle") << QByteArray("HTTP/1.0 200 OK\r\n\r\npart");
}

// Ends like a connection the system timed out: the error, its number as a link, the run told.
void TestDownload_Control::stallTimeoutEndsADeadTransfer()
{
    QFETCH(QByteArray, sent);
    ScriptedServer server;
    QVERIFY(server.listen());
    server.startAtConnect().send(sent).pause(60000);
    Download_Control engine;
    direct(engine, server);
    engine.setStallTimeout(std::chrono::seconds(1));
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 10060"_s);
    QVERIFY(EngineTexts::isLink(engine.status()));
    QCOMPARE(errors.count(), 1);
    QVERIFY(!engine.isBusy());
}

// A reply that trickles in more slowly in all than the time-out, but never pauses that long.
void TestDownload_Control::arrivalsPutTheStallTimeoutOff()
{
    const QByteArray reply = "HTTP/1.0 200 OK\r\n\r\nab";
    ScriptedServer server;
    QVERIFY(server.listen());
    server.drip(reply, 100).close();
    Download_Control engine;
    direct(engine, server);
    engine.setStallTimeout(std::chrono::seconds(1));
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(reply));
    QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка завершена"_s);
}

void TestDownload_Control::dripWithMarkerSplit()
{
    const QByteArray head = "HTTP/1.0 200 OK\r\n\r\n<p>listing</p><a href=\"/p/3\">next";
    const QByteArray marker = "&raquo;&raquo;";
    ScriptedServer server;
    QVERIFY(server.listen());
    // After the marker the server neither sends nor closes: only the marker can end the transfer.
    server.drip(head + marker, 1).pause(60000);
    Download_Control engine;
    direct(engine, server);
    engine.setStopString(marker);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/p/2"), TransferOutcome::reply(head + marker));
    QVERIFY(texts(status).count() > 10); // many arrivals
    QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка завершена"_s);
}

void TestDownload_Control::markerSplitAcrossTwoArrivals()
{
    const QByteArray first = "HTTP/1.0 200 OK\r\n\r\nabc&raq";
    const QByteArray second = "uo;&raquo;tail";
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(first).pause(100).send(second).pause(60000);
    Download_Control engine;
    direct(engine, server);
    engine.setStopString("&raquo;&raquo;");
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(first + second));
    QVERIFY(texts(status).contains(u"Загрузка данных:  %1 Bytes"_s.arg(first.size())));
}

void TestDownload_Control::markerInFirstPacket()
{
    const QByteArray packet = "HTTP/1.0 200 OK\r\n\r\n<b>STOP</b> rest of the first packet";
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(packet).pause(200).send("never wanted").pause(60000);
    Download_Control engine;
    direct(engine, server);
    engine.setStopString("STOP");
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(packet));
    QCOMPARE(engine.TrafficCount(), engine.BuildRequest("/").size() + packet.size());
}

void TestDownload_Control::resetInTheMiddleOfABody_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("reset") << true;
    // A clean close before the declared length is just as broken: a picture cut in half.
    QTest::newRow("close short of the length") << false;
}

void TestDownload_Control::resetInTheMiddleOfABody()
{
    QFETCH(bool, reset);
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" + QByteArray(1000, 'b'))
        .pause(100);
    reset ? server.reset() : server.close();
    QTemporaryDir folder;
    Download_Control engine;
    engine.setPathCasheFiles(folder.filePath(u"!cashe"_s));
    direct(engine, server);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/pic.jpg", true), TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 10054"_s);
    QVERIFY(EngineTexts::isLink(engine.status()));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(engine.SizeCashe(), qint16(0));
}

void TestDownload_Control::environmentProxyIsNeverUsed_data()
{
    QTest::addColumn<bool>("throughOwnProxy");
    QTest::newRow("direct to the site") << false;
    QTest::newRow("through the proxy the user named") << true;
}

// http_proxy and friends become Qt's application proxy, which Qt skips only for loopback names.
// The engine must go where it is told (here: names that resolve nowhere), never through that
// proxy, and never hand it the credentials it holds.
void TestDownload_Control::environmentProxyIsNeverUsed()
{
    QFETCH(bool, throughOwnProxy);
    ScriptedServer elsewhere;
    QVERIFY(elsewhere.listen());
    elsewhere.send("HTTP/1.0 200 Connection established\r\n\r\n" + Page).close();
    const QNetworkProxy before = QNetworkProxy::applicationProxy();
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s,
                                                     elsewhere.port(), u"user"_s, u"secret"_s));
    Download_Control engine;
    engine.setRHost("site.invalid");
    engine.setUseProxyServer("proxy.invalid", "3128", throughOwnProxy);
    const TransferOutcome outcome = fetch(engine, "/");
    QNetworkProxy::setApplicationProxy(before);
    QCOMPARE(elsewhere.connections(), 0);
    QCOMPARE(outcome, TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 11001"_s);
}

void TestDownload_Control::notFoundPosition_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("refused");
    QTest::newRow("status line") << QByteArray("HTTP/1.0 404 Not Found\r\n\r\nx") << true;
    QTest::newRow("HTTP/1.1") << QByteArray("HTTP/1.1 404 Not Found\r\n\r\nx") << true;
    QTest::newRow("position 1") << QByteArray("404 Not Found\r\n\r\n") << true;
    QTest::newRow("position 19") << QByteArray(18, 'x') + "404 Not Found" << true;
    QTest::newRow("position 20") << QByteArray(19, 'x') + "404 Not Found" << false;
    QTest::newRow("in the body") << QByteArray("HTTP/1.0 200 OK\r\n\r\n404 Not Found") << false;
    QTest::newRow("other reason") << QByteArray("HTTP/1.0 404 Nicht gefunden\r\n\r\n") << false;
    QTest::newRow("500") << QByteArray("HTTP/1.0 500 Internal Server Error\r\n\r\n") << false;
}

void TestDownload_Control::notFoundPosition()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, refused);
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(reply).close();
    Download_Control engine;
    direct(engine, server);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/"),
             refused ? TransferOutcome::failed() : TransferOutcome::reply(reply));
    QCOMPARE(errors.count(), 0);
    QVERIFY(!EngineTexts::isLink(engine.status()));
    // A refused reply keeps the last receiving text.
    if (refused)
        QCOMPARE(EngineTexts::status(engine.status()),
                 u"Загрузка данных:  %1 Bytes"_s.arg(reply.size()));
    QCOMPARE(engine.TrafficCount(), engine.BuildRequest("/").size() + reply.size());
}

void TestDownload_Control::proxyAuthorisation_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Unauthorized") << QByteArray("HTTP/1.0 407 Unauthorized\r\n\r\n") << true;
    QTest::newRow("exactly 25 bytes") << QByteArray("HTTP/1.1 407 Unauthorized") << true;
    QTest::newRow("Proxy Authentication Required")
        << QByteArray("HTTP/1.0 407 Proxy Authentication Required\r\n\r\n") << false;
    QTest::newRow("shifted by one") << QByteArray("HTTP/1.00 407 Unauthorized\r\n\r\n") << false;
    QTest::newRow("cut short") << QByteArray("HTTP/1.0 407 Unauthorize") << false;
}

void TestDownload_Control::proxyAuthorisation()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, refused);
    ScriptedServer proxy;
    QVERIFY(proxy.listen());
    proxy.send(reply).close();
    Download_Control engine;
    engine.setRHost("zolvane.com");
    engine.setUseProxyServer("127.0.0.1", proxy.portText(), true);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"),
             refused ? TransferOutcome::failed() : TransferOutcome::reply(reply));
    if (refused) {
        QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка авторизации на прокси"_s);
        QCOMPARE(mainStats(status), QStringList({u"Ошибка авторизации на прокси-сервере"_s}));
    } else {
        QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка завершена"_s);
        QCOMPARE(mainStats(status), QStringList());
    }
    QVERIFY(!EngineTexts::isLink(engine.status()));
}

void TestDownload_Control::replyOverTheLimit_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("kept");
    QTest::newRow("at the limit") << 4096 << true;
    QTest::newRow("one over") << 4097 << false;
    QTest::newRow("far over") << 300000 << false;
}

void TestDownload_Control::replyOverTheLimit()
{
    QFETCH(int, size);
    QFETCH(bool, kept);
    const QByteArray reply = "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(size - 19, 'z');
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(reply.left(2000)).pause(20).send(reply.mid(2000)).pause(60000);
    Download_Control engine;
    direct(engine, server);
    engine.setReplyLimit(4096);
    engine.setStopString("never in this reply");
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    if (kept) {
        server.close();
        ScriptedServer closing; // same script, but the server closes after the last byte
        QVERIFY(closing.listen());
        closing.send(reply.left(2000)).pause(20).send(reply.mid(2000)).close();
        engine.setDirectPort(closing.port());
        QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(reply));
        QCOMPARE(errors.count(), 0);
        return;
    }
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QCOMPARE(EngineTexts::status(engine.status()), u"Ошибка 10055"_s);
    QCOMPARE(errors.count(), 1);
}

void TestDownload_Control::badProxyPort_data()
{
    QTest::addColumn<QByteArray>("port");
    QTest::newRow("abc") << QByteArray("abc");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("65536") << QByteArray("65536");
    QTest::newRow("negative") << QByteArray("-80");
    QTest::newRow("fraction") << QByteArray("80.5");
    QTest::newRow("digits then letters") << QByteArray("80x");
    QTest::newRow("huge") << QByteArray("4294967376");
}

void TestDownload_Control::badProxyPort()
{
    QFETCH(QByteArray, port);
    Download_Control engine;
    engine.setRHost("zolvane.com");
    engine.setUseProxyServer("127.0.0.1", port, true);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QCOMPARE(texts(status),
             QStringList({u"Proxy connect 127.0.0.1:"_s + QString::fromLatin1(port) + u"..."_s,
                          u"Ошибка 10022"_s}));
    QVERIFY(EngineTexts::isLink(engine.status()));
    QCOMPARE(errors.count(), 1);
    QVERIFY(!engine.isBusy());
}

void TestDownload_Control::connectingText_data()
{
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QString>("text");
    QTest::newRow("15 characters")
        << QByteArray("0:0:0:0:0:0:0:1") << u"Подключение к http://0:0:0:0:0:0:0:1..."_s;
    QTest::newRow("16 characters")
        << QByteArray("::ffff:127.0.0.1") << u"Соединение с ::ffff:127.0.0.1..."_s;
}

void TestDownload_Control::connectingText()
{
    QFETCH(QByteArray, host);
    QFETCH(QString, text);
    ScriptedServer server;
    QVERIFY(server.listen(QHostAddress::Any));
    server.send(Page).close();
    Download_Control engine;
    engine.setRHost(host);
    engine.setDirectPort(server.port());
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(Page));
    QCOMPARE(texts(status).value(0), text);
    QVERIFY(server.received().contains(QByteArray("\r\nHost: " + host + "\r\n")));
}

void TestDownload_Control::trafficLine_data()
{
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("line");
    QTest::newRow("1023") << 1023 << u"Трафек: 0 Кб"_s;
    QTest::newRow("1024") << 1024 << u"Трафек: 1 Кб"_s;
    QTest::newRow("2047") << 2047 << u"Трафек: 1 Кб"_s;
    QTest::newRow("5000") << 5000 << u"Трафек: 4 Кб"_s;
}

void TestDownload_Control::trafficLine()
{
    QFETCH(int, total);
    QFETCH(QString, line);
    Download_Control engine;
    ScriptedServer server;
    QVERIFY(server.listen());
    direct(engine, server);
    const int requestSize = int(engine.BuildRequest("/").size());
    server.send("HTTP/1.0 200 OK\r\n\r\n" + QByteArray(total - requestSize - 19, 'a')).close();
    QSignalSpy traffic(&engine, &Download_Control::trafficChanged);
    fetch(engine, "/");
    QCOMPARE(engine.TrafficCount(), total);
    QCOMPARE(trafficLines(traffic).last(), line);
    QCOMPARE(EngineTexts::traffic(engine.TrafficCount()), line);
}

void TestDownload_Control::trafficIsSixtyFourBit()
{
    Download_Control engine;
    static_assert(std::is_same_v<decltype(engine.TrafficCount()), qint64>);
    QCOMPARE(EngineTexts::traffic(engine.TrafficCount()), u"Трафек: 0 Кб"_s);
}

void TestDownload_Control::linkLookResetByNextDown()
{
    Download_Control engine;
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(closedPort());
    QCOMPARE(fetch(engine, "/"), TransferOutcome::failed());
    QVERIFY(EngineTexts::isLink(engine.status()));

    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Page).close();
    engine.setDirectPort(server.port());
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply(Page));
    QVERIFY(!EngineTexts::isLink(engine.status()));
    // The first report of the next transfer already reads as plain text.
    QCOMPARE(statusIn(status.first()).kind, TransferStatus::Kind::Connecting);
    QVERIFY(!EngineTexts::isLink(statusIn(status.first())));
}

// The busy icon's pictures are the panel's; the engine says from when to when it turns.
void TestDownload_Control::busyWhileTheTransferWaits()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.pause(60000);
    Download_Control engine;
    direct(engine, server);
    QSignalSpy busy(&engine, &Download_Control::busyChanged);
    bool busyWhenSent = false;
    QObject::connect(&engine, &Download_Control::statusChanged, &engine,
                     [&](const TransferStatus& report) {
                         if (report.kind != TransferStatus::Kind::RequestSent)
                             return;
                         busyWhenSent = engine.isBusy();
                         QTimer::singleShot(50, &engine, &Download_Control::Stopped);
                     });
    QCOMPARE(fetch(engine, "/"), TransferOutcome::stopped());
    QVERIFY(busyWhenSent);
    QList<bool> seen;
    for (const auto& args : busy)
        seen << args.at(0).toBool();
    QCOMPARE(seen, QList<bool>({true, false}));
    QVERIFY(!engine.isBusy());
}

void TestDownload_Control::abandonEndsTheWait()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("HTTP/1.0 200 OK\r\n").pause(60000);
    Download_Control engine;
    direct(engine, server);
    QObject::connect(&engine, &Download_Control::statusChanged, &engine,
                     [&](const TransferStatus& report) {
                         if (report.kind == TransferStatus::Kind::Receiving)
                             QTimer::singleShot(0, &engine, &Download_Control::abandonWait);
                     });
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::abandoned());
    QCOMPARE(engine.TransferResult(), TransferOutcome());
    QCOMPARE(errors.count(), 0);
    // No window comes back: later transfers end at once too.
    QCOMPARE(fetch(engine, "/"), TransferOutcome::abandoned());
}

void TestDownload_Control::winsockNumbers_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("number");
    QTest::newRow("refused") << int(TcpClient::ConnectionRefusedError) << 10061;
    QTest::newRow("timed out") << int(TcpClient::SocketTimeoutError) << 10060;
    QTest::newRow("reset") << int(TcpClient::RemoteHostClosedError) << 10054;
    QTest::newRow("unreachable") << int(TcpClient::NetworkError) << 10051;
    QTest::newRow("host not found") << int(TcpClient::HostNotFoundError) << 11001;
    QTest::newRow("no buffer space") << int(TcpClient::SocketResourceError) << 10055;
    QTest::newRow("unknown") << int(TcpClient::UnknownSocketError) << 10022;
}

void TestDownload_Control::winsockNumbers()
{
    QFETCH(int, error);
    QFETCH(int, number);
    QCOMPARE(Download_Control::WinsockNumber(TcpClient::SocketError(error)), number);
}

// The outcome is typed: a reply that happens to read like a failure is still a reply.
void TestDownload_Control::replyReadingErrorIsAReply()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send("error").close();
    Download_Control engine;
    direct(engine, server);
    QSignalSpy errors(&engine, &Download_Control::socketErrorRaised);
    QCOMPARE(fetch(engine, "/"), TransferOutcome::reply("error"));
    QCOMPARE(engine.TransferResult().kind(), TransferOutcome::Kind::Reply);
    QCOMPARE(errors.count(), 0);
}

void TestDownload_Control::cacheHitWithoutNetwork()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Page).close();
    Download_Control engine;
    direct(engine, server);
    engine.setPathCasheFiles(dir.path() + u"/!cashe"_s);
    QCOMPARE(fetch(engine, "/p/1", true), TransferOutcome::reply(Page));
    QCOMPARE(server.connections(), 1);
    const qint64 traffic = engine.TrafficCount();

    QSignalSpy busy(&engine, &Download_Control::busyChanged);
    QSignalSpy trafficCounts(&engine, &Download_Control::trafficChanged);
    QSignalSpy status(&engine, &Download_Control::statusChanged);
    QCOMPARE(fetch(engine, "/p/1", true), TransferOutcome::reply(Page));
    QCOMPARE(server.connections(), 1);
    QCOMPARE(engine.TrafficCount(), traffic);
    QCOMPARE(trafficCounts.count(), 0);
    QCOMPARE(busy.count(), 0);
    QVERIFY(!engine.isBusy());
    QCOMPARE(texts(status), QStringList({u"Файл взят из кэша"_s}));

    // Without the cache flag the same path goes to the network.
    QCOMPARE(fetch(engine, "/p/1", false), TransferOutcome::reply(Page));
    QCOMPARE(server.connections(), 2);
}

void TestDownload_Control::stopWaitingBeforeTheCacheLookup()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ScriptedServer server;
    QVERIFY(server.listen());
    server.send(Page).close();
    Download_Control engine;
    direct(engine, server);
    engine.setPathCasheFiles(dir.path() + u"/!cashe"_s);
    QVERIFY(!engine.ClearCashe());
    // A stop click already queued is handled before the lookup, and nothing is fetched.
    QMetaObject::invokeMethod(&engine, &Download_Control::Stopped, Qt::QueuedConnection);
    QCOMPARE(fetch(engine, "/p/1", true), TransferOutcome::stopped());
    QCOMPARE(EngineTexts::status(engine.status()), u"Загрузка прервана"_s);
    QCOMPARE(server.connections(), 0);
    QCOMPARE(engine.TrafficCount(), 0);
}

QTEST_GUILESS_MAIN(TestDownload_Control)
#include "tst_Download_Control.moc"
