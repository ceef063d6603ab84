#include "support/DemoSiteClient.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace DemoSiteClient;

namespace {

const QByteArray BlockMarker = QByteArray::fromHex("FAE1E2E1F7EEF9EAE520EBE1F2F4E9EEEBE9");

QString programPath()
{
    return QStringLiteral(ZOLVANE_BIN_DIR "/zolvane-demo-site");
}

// Starts the program on a free port; the port is the first line of its output.
quint16 start(QProcess& program, const QStringList& arguments)
{
    program.start(programPath(),
                  QStringList{u"--port"_s, u"0"_s, u"--exit-after"_s, u"30"_s} + arguments);
    if (!program.waitForStarted(5000))
        return 0;
    while (!program.canReadLine() && program.waitForReadyRead(5000)) {
    }
    return quint16(program.readLine().trimmed().toUInt());
}

void stop(QProcess& program)
{
    program.kill();
    program.waitForFinished(5000);
}

} // namespace

class TestDemoSiteProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void servesTheSiteOnTheReportedPort();
    void takesFaultsFromTheCommandLine();
    void takesTheRealShape();
    void logsEveryRequest();
    void endsByItself();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

void TestDemoSiteProgram::servesTheSiteOnTheReportedPort()
{
    QProcess program;
    const quint16 port = start(program, {u"--quiet"_s});
    QVERIFY(port != 0);
    const Exchange front = fetch(port, "http://zolvane.com/", "photo/random.html");
    QVERIFY(front.stoppedAtMarker);
    QVERIFY(front.reply.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(front.reply.contains(QByteArray::fromHex("E5D3DEA33C2F613E")));
    stop(program);
}

void TestDemoSiteProgram::takesFaultsFromTheCommandLine()
{
    QProcess program;
    const quint16 port =
        start(program, {u"--quiet"_s, u"--fault"_s, u"404=page:1"_s, u"--fault"_s,
                        u"nomarker=page:2"_s, u"--picture-name"_s, u"1=%CB%CF.jpg"_s});
    QVERIFY(port != 0);
    const QByteArray front = fetch(port, "/", "photo/random.html").reply;
    const qsizetype marker = front.indexOf(QByteArray::fromHex("E5D3DEA33C2F613E"));
    const QByteArray cut = front.left(marker - 2);
    const QByteArray first = cut.mid(cut.indexOf("/photo/page"));
    QVERIFY(fetch(port, first).reply.startsWith("HTTP/1.0 404 Not Found\r\n"));
    stop(program);

    // Without the fault the same page names the renamed picture and leads to a page without
    // its marker.
    const quint16 again = start(program, {u"--quiet"_s, u"--fault"_s, u"nomarker=page:2"_s,
                                          u"--picture-name"_s, u"1=%CB%CF.jpg"_s});
    QVERIFY(again != 0);
    const QByteArray listing = fetch(again, first, "&raquo;&raquo;").reply;
    QVERIFY(listing.contains("/\xCB\xCF.jpg'"));
    const QByteArray block = listing.mid(listing.indexOf(BlockMarker));
    const QByteArray navigation = block.mid(block.indexOf("&laquo;&laquo;"));
    QByteArray next = navigation.mid(navigation.indexOf("/photo/page"));
    next.truncate(next.indexOf('\''));
    const QByteArray second = fetch(again, next, "&raquo;&raquo;").reply;
    QVERIFY(second.startsWith("HTTP/1.0 200 OK\r\n"));
    QVERIFY(!second.contains(BlockMarker));
    stop(program);
}

void TestDemoSiteProgram::takesTheRealShape()
{
    QProcess program;
    const quint16 port = start(program, {u"--quiet"_s, u"--shape"_s, u"real"_s});
    QVERIFY(port != 0);
    const QByteArray front = bodyOf(fetch(port, "/").reply);
    // About 68 KB, the stop marker about 40 % in (the demo shape puts it before 160 KB of tail).
    QVERIFY2(front.size() > 64 * 1024 && front.size() < 72 * 1024,
             QByteArray::number(front.size()).constData());
    QVERIFY(front.indexOf("photo/random.html") > front.size() / 3);
    stop(program);
}

void TestDemoSiteProgram::logsEveryRequest()
{
    QProcess program;
    const quint16 port = start(program, {});
    QVERIFY(port != 0);
    fetch(port, "/", "photo/random.html");
    fetch(port, "/missing.html");
    const QByteArray stats = bodyOf(fetch(port, "/__stats").reply);
    QVERIFY(stats.startsWith("requests 2\r\nfront 1\r\nlisting 0\r\npictures 0\r\nother 1\r\n"));
    stop(program);
    const QByteArray log = program.readAllStandardError();
    QVERIFY(log.contains("GET / -> 200 OK"));
    QVERIFY(log.contains("GET /missing.html -> 404 Not Found"));
}

void TestDemoSiteProgram::endsByItself()
{
    QProcess program;
    program.start(programPath(), {u"--port"_s, u"0"_s, u"--exit-after"_s, u"1"_s});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void TestDemoSiteProgram::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("port") << QStringList{u"--port"_s, u"70000"_s};
    QTest::newRow("fault") << QStringList{u"--fault"_s, u"500=all"_s};
    QTest::newRow("picture name") << QStringList{u"--picture-name"_s, u"x=a.jpg"_s};
    QTest::newRow("shape") << QStringList{u"--shape"_s, u"square"_s};
    QTest::newRow("stray") << QStringList{u"stray"_s};
}

void TestDemoSiteProgram::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);
    QProcess program;
    program.start(programPath(), arguments + QStringList{u"--exit-after"_s, u"5"_s});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardOutput().isEmpty());
}

QTEST_MAIN(TestDemoSiteProgram)
#include "tst_DemoSiteProgram.moc"
