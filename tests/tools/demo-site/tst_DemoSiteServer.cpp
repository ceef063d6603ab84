#include "DemoSiteThread.h"
#include "support/DemoSiteClient.h"

#include <QImage>
#include <QSet>
#include <QTest>
#include <optional>

using namespace DemoSiteClient;

namespace {

const QByteArray FrontMarker = QByteArray::fromHex("E5D3DEA33C2F613E");
const QByteArray BlockMarker = QByteArray::fromHex("FAE1E2E1F7EEF9EAE520EBE1F2F4E9EEEBE9");

// The cuts a crawler makes, 0-based: the first listing page's path from the front page.
std::optional<QByteArray> firstPagePath(const QByteArray& front)
{
    const qsizetype marker = front.indexOf(FrontMarker);
    if (marker < 2)
        return std::nullopt;
    const QByteArray cut = front.left(marker - 2);
    const qsizetype start = cut.indexOf("/photo/page");
    if (start < 0)
        return std::nullopt;
    return cut.mid(start);
}

struct ListingCut {
    QByteArray next;
    QByteArray picture;
};

std::optional<ListingCut> cutListing(const QByteArray& page)
{
    const qsizetype blockStart = page.indexOf(BlockMarker);
    if (blockStart < 0)
        return std::nullopt;
    QByteArray block = page.mid(blockStart);
    const qsizetype end = block.indexOf("&raquo;&raquo;");
    if (end < 0)
        return std::nullopt;
    block = block.left(end + 1);
    const qsizetype navigation = block.indexOf("&laquo;&laquo;");
    if (navigation < 0)
        return std::nullopt;
    QByteArray next = block.mid(navigation);
    const qsizetype nextStart = next.indexOf("/photo/page");
    if (nextStart < 0)
        return std::nullopt;
    next = next.mid(nextStart);
    const qsizetype nextEnd = next.indexOf('\'');
    const qsizetype pictureStart = block.indexOf("/image/");
    if (nextEnd < 0 || pictureStart < 0)
        return std::nullopt;
    const QByteArray picture = block.mid(pictureStart);
    const qsizetype pictureEnd = picture.indexOf('\'');
    if (pictureEnd < 0)
        return std::nullopt;
    return ListingCut{next.left(nextEnd), picture.left(pictureEnd)};
}

QByteArray proxyForm(QByteArrayView path)
{
    return "http://zolvane.com" + path.toByteArray();
}

QByteArray statusLine(const QByteArray& reply)
{
    return reply.left(reply.indexOf("\r\n"));
}

} // namespace

class TestDemoSiteServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void frontPageLeadsToTheFirstListingPage();
    void runWalksTheChain_data();
    void runWalksTheChain();
    void decoysLieOutsideTheParsedParts();
    void stopMarkersLeaveALongTail_data();
    void stopMarkersLeaveALongTail();
    void realShape_data();
    void realShape();
    void proxyFormAnswersLikeDirect();
    void refusals_data();
    void refusals();
    void pageWithoutMarker_data();
    void pageWithoutMarker();
    void pictureWithoutBlankLine();
    void closeBeforeSending();
    void resetMidReply();
    void stall();
    void drip();
    void faultSpecifications_data();
    void faultSpecifications();
    void countsRequestsAndBytes();
    void statsPaths();
    void renamedPicture();
    void malformedRequests_data();
    void malformedRequests();
};

void TestDemoSiteServer::frontPageLeadsToTheFirstListingPage()
{
    DemoSiteThread site;
    const Exchange front = fetch(site.port(), "/", "photo/random.html");
    QVERIFY(front.stoppedAtMarker);
    QCOMPARE(statusLine(front.reply), QByteArray("HTTP/1.0 200 OK"));
    // The stop string comes after the marker, so a cut-short reply still holds it.
    QVERIFY(front.reply.contains(FrontMarker));
    const auto first = firstPagePath(front.reply);
    QVERIFY(first);
    QCOMPARE(*first, site.content().listingPath(1));
    QCOMPARE(*first, QByteArray("/photo/page") + first->mid(11, first->size() - 16) + ".html");
}

void TestDemoSiteServer::runWalksTheChain_data()
{
    QTest::addColumn<bool>("throughProxy");
    QTest::newRow("direct") << false;
    QTest::newRow("proxy form") << true;
}

void TestDemoSiteServer::runWalksTheChain()
{
    QFETCH(bool, throughProxy);
    DemoSiteThread site;
    auto target = [&](const QByteArray& path) { return throughProxy ? proxyForm(path) : path; };

    QByteArray path = *firstPagePath(fetch(site.port(), target("/"), "photo/random.html").reply);
    QSet<QByteArray> seenPages;
    QSet<QByteArray> seenPictures;
    QSet<QByteArray> formats;
    QSet<QString> shapes;
    for (int i = 1; i <= 12; ++i) {
        QCOMPARE(path, site.content().listingPath(i));
        QVERIFY(!seenPages.contains(path));
        seenPages.insert(path);
        const Exchange listing = fetch(site.port(), target(path), "&raquo;&raquo;");
        QVERIFY(listing.stoppedAtMarker);
        const auto cut = cutListing(listing.reply);
        QVERIFY2(cut, path.constData());
        QCOMPARE(cut->picture, site.content().picture(i).path);
        QVERIFY(!seenPictures.contains(cut->picture));
        seenPictures.insert(cut->picture);

        const Exchange picture = fetch(site.port(), target(cut->picture));
        QVERIFY(picture.closedByServer);
        QCOMPARE(statusLine(picture.reply), QByteArray("HTTP/1.0 200 OK"));
        const QByteArray bytes = bodyOf(picture.reply);
        QCOMPARE(bytes, site.content().pictureBytes(i));
        QImage image;
        QVERIFY(image.loadFromData(bytes));
        QCOMPARE(image.size(), site.content().picture(i).size);
        formats.insert(cut->picture.mid(cut->picture.lastIndexOf('.')));
        shapes.insert(image.width() > image.height()   ? QStringLiteral("wide")
                      : image.width() < image.height() ? QStringLiteral("tall")
                                                       : QStringLiteral("square"));
        path = cut->next;
    }
    QVERIFY(formats.contains(".jpg") && formats.contains(".png") && formats.contains(".gif"));
    QCOMPARE(shapes.size(), 3);
}

void TestDemoSiteServer::decoysLieOutsideTheParsedParts()
{
    DemoSiteThread site;
    for (int i : {1, 2, 77}) {
        const QByteArray page = site.content().listingPage(i);
        const qsizetype block = page.indexOf(BlockMarker);
        const qsizetype navigation = page.indexOf("&laquo;&laquo;", block);
        // Before the block: other pictures, other pages and a "««" a careless crawler would take.
        QVERIFY(page.indexOf("/image/") < block);
        QVERIFY(page.indexOf("/photo/page") < block);
        QVERIFY(page.indexOf("&laquo;&laquo;") < block);
        // Inside the block, before the navigation: a link back to the page itself.
        const qsizetype selfLink = page.indexOf(site.content().listingPath(i), block);
        QVERIFY(selfLink > block && selfLink < navigation);
        // The previous page comes before "««", the next one after it.
        QVERIFY(page.lastIndexOf(site.content().listingPath(i + 1)) > navigation);
        // After the block's end: more pages, more pictures.
        const qsizetype end = page.indexOf("&raquo;&raquo;");
        QVERIFY(page.indexOf("/photo/page", end) > end);
        QVERIFY(page.indexOf("/image/", end) > end);
        QCOMPARE(page.count(BlockMarker), 1);
    }
    const QByteArray front = site.content().frontPage();
    const qsizetype marker = front.indexOf(FrontMarker);
    QVERIFY(front.indexOf("/image/") < marker);
    QVERIFY(front.indexOf("/photo/page", marker) > marker);
    QVERIFY(front.indexOf("photo/random.html") > marker);
}

void TestDemoSiteServer::stopMarkersLeaveALongTail_data()
{
    QTest::addColumn<int>("tailKb");
    QTest::newRow("default") << 160;
    QTest::newRow("small") << 4;
}

void TestDemoSiteServer::stopMarkersLeaveALongTail()
{
    QFETCH(int, tailKb);
    DemoSiteOptions options;
    options.tailBytes = tailKb * 1024;
    DemoSiteThread site(options);
    for (const QByteArray& path : {QByteArray("/"), site.content().listingPath(5)}) {
        const QByteArray stop = path == "/" ? "photo/random.html" : "&raquo;&raquo;";
        const Exchange whole = fetch(site.port(), path);
        QVERIFY(whole.closedByServer);
        QCOMPARE(whole.error, QAbstractSocket::RemoteHostClosedError);
        const QByteArray body = bodyOf(whole.reply);
        QVERIFY(whole.reply.contains(
            QByteArray("\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n")));
        const qsizetype afterStop = body.indexOf(stop) + stop.size();
        QVERIFY(body.size() - afterStop >= options.tailBytes);
    }
}

void TestDemoSiteServer::realShape_data()
{
    QTest::addColumn<int>("position");
    for (const int position : {1, 3, 9, 57, 200})
        QTest::addRow("page %d", position) << position;
}

// Pages of about 68 KB whose stop marker lies about 40 % in, photos of 5 to 60 KB, and still the
// cuts a crawler makes.
void TestDemoSiteServer::realShape()
{
    QFETCH(int, position);
    DemoSiteThread site(DemoSiteOptions::realShape());
    const auto isAbout68Kb = [](qsizetype bytes) { return bytes > 64 * 1024 && bytes < 72 * 1024; };
    const auto stopsAbout40PercentIn = [](const QByteArray& page, QByteArrayView stop) {
        const double share = double(page.indexOf(stop) + stop.size()) / double(page.size());
        return share > 0.35 && share < 0.45;
    };

    const QByteArray front = bodyOf(fetch(site.port(), "/").reply);
    QVERIFY(isAbout68Kb(front.size()));
    QVERIFY(stopsAbout40PercentIn(front, "photo/random.html"));
    QCOMPARE(firstPagePath(front), site.content().listingPath(1));

    const QByteArray page = bodyOf(fetch(site.port(), site.content().listingPath(position)).reply);
    QVERIFY2(isAbout68Kb(page.size()), QByteArray::number(page.size()).constData());
    QVERIFY(stopsAbout40PercentIn(page, "&raquo;&raquo;"));
    const auto cut = cutListing(page);
    QVERIFY(cut);
    QCOMPARE(cut->next, site.content().listingPath(position + 1));
    QCOMPARE(cut->picture, site.content().picture(position).path);

    const QByteArray picture = bodyOf(fetch(site.port(), cut->picture).reply);
    QVERIFY2(picture.size() >= 5 * 1024 && picture.size() <= 60 * 1024,
             QByteArray::number(picture.size()).constData());
    QImage image;
    QVERIFY(image.loadFromData(picture));
    QCOMPARE(image.size(), site.content().picture(position).size);
}

void TestDemoSiteServer::proxyFormAnswersLikeDirect()
{
    DemoSiteThread site;
    const QByteArray picture = site.content().picture(4).path;
    QVERIFY(picture.contains(char(0xCB))); // a Russian name, sent as KOI8-R bytes
    for (const QByteArray& path : {QByteArray("/"), site.content().listingPath(3), picture}) {
        const QByteArray direct = fetch(site.port(), path).reply;
        QVERIFY(direct.startsWith("HTTP/1.0 200 OK\r\n"));
        QCOMPARE(fetch(site.port(), proxyForm(path)).reply, direct);
        QCOMPARE(fetch(site.port(), QByteArray("http://127.0.0.1:8080" + path)).reply, direct);
    }
}

void TestDemoSiteServer::refusals_data()
{
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("404 page") << QByteArray("404=page:2") << QByteArray("HTTP/1.0 404 Not Found");
    QTest::newRow("404 picture") << QByteArray("404=picture:2")
                                 << QByteArray("HTTP/1.0 404 Not Found");
    QTest::newRow("407 everywhere")
        << QByteArray("407=all") << QByteArray("HTTP/1.0 407 Unauthorized");
}

void TestDemoSiteServer::refusals()
{
    QFETCH(QByteArray, rule);
    QFETCH(QByteArray, status);
    DemoSiteThread site;
    QVERIFY(site.server().addFault(rule));
    const QByteArray path =
        rule.contains("picture") ? site.content().picture(2).path : site.content().listingPath(2);
    const Exchange refused = fetch(site.port(), proxyForm(path));
    QVERIFY(refused.closedByServer);
    QCOMPARE(statusLine(refused.reply), status);
    if (status.contains("407")) {
        QCOMPARE(refused.reply.mid(9, 16), QByteArray("407 Unauthorized"));
        QVERIFY(refused.reply.contains("\r\nProxy-Authenticate: Basic"));
    } else {
        QCOMPARE(refused.reply.indexOf("404 Not Found"), 9);
    }
    // Other pages are untouched by a fault on one path.
    if (!rule.endsWith("all"))
        QVERIFY(
            fetch(site.port(), site.content().listingPath(1)).reply.startsWith("HTTP/1.0 200 OK"));
}

void TestDemoSiteServer::pageWithoutMarker_data()
{
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<bool>("front");
    QTest::newRow("listing") << QByteArray("nomarker=page:3") << false;
    QTest::newRow("front") << QByteArray("nomarker=front") << true;
}

void TestDemoSiteServer::pageWithoutMarker()
{
    QFETCH(QByteArray, rule);
    QFETCH(bool, front);
    DemoSiteThread site;
    QVERIFY(site.server().addFault(rule));
    const QByteArray path = front ? QByteArray("/") : site.content().listingPath(3);
    const Exchange page = fetch(site.port(), path, front ? "photo/random.html" : "&raquo;&raquo;");
    QVERIFY(page.stoppedAtMarker);
    QVERIFY(page.reply.startsWith("HTTP/1.0 200 OK\r\n"));
    if (front) {
        QVERIFY(!page.reply.contains(FrontMarker));
        QVERIFY(!firstPagePath(page.reply));
    } else {
        QVERIFY(!page.reply.contains(BlockMarker));
        QVERIFY(!cutListing(page.reply));
    }
}

void TestDemoSiteServer::pictureWithoutBlankLine()
{
    DemoSiteThread site;
    QVERIFY(site.server().addFault("nomarker=picture:1"));
    const Exchange picture = fetch(site.port(), site.content().picture(1).path);
    QVERIFY(picture.closedByServer);
    QVERIFY(picture.reply.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(!picture.reply.contains("\r\n\r\n"));
}

void TestDemoSiteServer::closeBeforeSending()
{
    DemoSiteThread site;
    QVERIFY(site.server().addFault("close=page:1"));
    const Exchange closed = fetch(site.port(), site.content().listingPath(1));
    QVERIFY(closed.closedByServer);
    QCOMPARE(closed.error, QAbstractSocket::RemoteHostClosedError);
    QCOMPARE(closed.reply, QByteArray());
    QCOMPARE(site.stats().listingRequests, 1);
}

void TestDemoSiteServer::resetMidReply()
{
    DemoSiteThread site;
    const QByteArray picture = site.content().picture(1).path;
    const QByteArray whole = fetch(site.port(), picture).reply;
    QVERIFY(site.server().addFault(QByteArray("reset=" + picture)));
    const Exchange reset = fetch(site.port(), picture);
    QVERIFY(reset.closedByServer);
    QVERIFY(!reset.timedOut);
    // Qt reports a reset while reading as the peer's close.
    QCOMPARE(reset.error, QAbstractSocket::RemoteHostClosedError);
    QVERIFY(reset.reply.size() < whole.size());
    QVERIFY(whole.startsWith(reset.reply));
}

void TestDemoSiteServer::stall()
{
    DemoSiteThread site;
    site.server().setFaultEverywhere(Fault::Stall);
    const Exchange stalled = fetch(site.port(), "/", {}, 300);
    QVERIFY(stalled.timedOut);
    QCOMPARE(stalled.reply, QByteArray());
    site.server().clearFaults();
    QVERIFY(fetch(site.port(), "/").reply.startsWith("HTTP/1.0 200 OK"));
}

void TestDemoSiteServer::drip()
{
    DemoSiteOptions options;
    options.dripBytes = 300;
    options.dripPauseMs = 2;
    DemoSiteThread site(options);
    const QByteArray path = site.content().picture(3).path;
    const QByteArray whole = fetch(site.port(), path).reply;
    site.server().setFault(path, Fault::Drip);
    const Exchange dripped = fetch(site.port(), path);
    QVERIFY(dripped.closedByServer);
    QCOMPARE(dripped.reply, whole);
    QVERIFY(dripped.reads >= whole.size() / options.dripBytes);
}

void TestDemoSiteServer::faultSpecifications_data()
{
    QTest::addColumn<QByteArray>("rule");
    QTest::addColumn<bool>("valid");
    QTest::newRow("page") << QByteArray("stall=page:3000") << true;
    QTest::newRow("path with escapes") << QByteArray("404=/image/%CB%CF.jpg") << true;
    QTest::newRow("no equals") << QByteArray("404") << false;
    QTest::newRow("unknown kind") << QByteArray("500=all") << false;
    QTest::newRow("page zero") << QByteArray("404=page:0") << false;
    QTest::newRow("page too far") << QByteArray("404=page:99999") << false;
    QTest::newRow("not a place") << QByteArray("404=somewhere") << false;
}

void TestDemoSiteServer::faultSpecifications()
{
    QFETCH(QByteArray, rule);
    QFETCH(bool, valid);
    DemoSiteThread site;
    QString error;
    QCOMPARE(site.server().addFault(rule, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (rule.startsWith("stall"))
        QCOMPARE(site.server().faultFor(site.content().listingPath(3000)), Fault::Stall);
    if (rule.contains('%'))
        QCOMPARE(site.server().faultFor("/image/\xCB\xCF.jpg"), Fault::NotFound);
}

void TestDemoSiteServer::countsRequestsAndBytes()
{
    DemoSiteThread site;
    const Exchange front = fetch(site.port(), "/", "photo/random.html");
    const Exchange listing = fetch(site.port(), site.content().listingPath(1), "&raquo;&raquo;");
    const Exchange picture = fetch(site.port(), site.content().picture(1).path);
    fetch(site.port(), "/photo/random.html");
    DemoSiteStats stats = site.stats();
    QCOMPARE(stats.requests, 4);
    QCOMPARE(stats.frontRequests, 1);
    QCOMPARE(stats.listingRequests, 1);
    QCOMPARE(stats.pictureRequests, 1);
    QCOMPARE(stats.otherRequests, 1);
    QVERIFY(stats.bytesSent >= front.reply.size() + listing.reply.size() + picture.reply.size());

    const Exchange report = fetch(site.port(), "/__stats");
    QVERIFY(bodyOf(report.reply)
                .startsWith("requests 4\r\nfront 1\r\nlisting 1\r\npictures 1\r\n"
                            "other 1\r\nbytes "));
    QCOMPARE(site.stats().requests, 4); // looking does not count
    fetch(site.port(), "/__reset");
    stats = site.stats();
    QCOMPARE(stats.requests, 0);
    QCOMPARE(stats.paths, QList<QByteArray>());
}

void TestDemoSiteServer::statsPaths()
{
    DemoSiteThread site;
    const QByteArray picture = site.content().picture(9).path;
    fetch(site.port(), proxyForm("/"), "photo/random.html");
    fetch(site.port(), proxyForm(picture));
    QCOMPARE(site.stats().paths, (QList<QByteArray>{"/", picture}));
}

void TestDemoSiteServer::renamedPicture()
{
    DemoSiteOptions options;
    options.pictureNames.insert(2, QByteArray("a\\b\x01<\">.gif"));
    options.pictureNames.insert(3, QByteArray(".."));
    DemoSiteThread site(options);
    QVERIFY(site.content().picture(2).path.endsWith("/a\\b\x01<\">.gif"));
    QCOMPARE(site.content().picture(3).name, QByteArray(".."));
    for (int i : {2, 3}) {
        const QByteArray listing =
            fetch(site.port(), site.content().listingPath(i), "&raquo;&raquo;").reply;
        QCOMPARE(cutListing(listing)->picture, site.content().picture(i).path);
        QCOMPARE(bodyOf(fetch(site.port(), site.content().picture(i).path).reply),
                 site.content().pictureBytes(i));
    }
}

void TestDemoSiteServer::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("unknown path") << request("/photo/page1.html") << QByteArray("404 Not Found");
    QTest::newRow("picture of another page")
        << request("/image/2003/10000/zakat.jpg") << QByteArray("404 Not Found");
    QTest::newRow("post") << QByteArray("POST / HTTP/1.0\r\n\r\n")
                          << QByteArray("501 Not Implemented");
    QTest::newRow("no target") << QByteArray("GET\r\n\r\n") << QByteArray("400 Bad Request");
    QTest::newRow("other scheme") << QByteArray("GET ftp://zolvane.com/ HTTP/1.0\r\n\r\n")
                                  << QByteArray("400 Bad Request");
}

void TestDemoSiteServer::malformedRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    DemoSiteThread site;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, site.port());
    QVERIFY(socket.waitForConnected(5000));
    // Sent in pieces: the request is read up to its blank line, however it arrives.
    for (qsizetype at = 0; at < request.size(); at += 5) {
        socket.write(request.mid(at, 5));
        QVERIFY(socket.waitForBytesWritten(5000));
    }
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    QCOMPARE(statusLine(reply), "HTTP/1.0 " + status);
}

QTEST_MAIN(TestDemoSiteServer)
#include "tst_DemoSiteServer.moc"
