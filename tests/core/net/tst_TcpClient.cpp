#include "core/net/TcpClient.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A port on 127.0.0.1 nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

int acceptedConnections(QTcpServer& server)
{
    int count = 0;
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        ++count;
        socket->deleteLater();
    }
    return count;
}

} // namespace

class TestTcpClient : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachAddressInTurn_data();
    void eachAddressInTurn();
    void lookupOutlivedByNothing_data();
    void lookupOutlivedByNothing();
};

void TestTcpClient::eachAddressInTurn_data()
{
    QTest::addColumn<QList<QByteArray>>("addresses");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("error");
    // 127.0.0.2 is this machine too, but the server listens on 127.0.0.1 only.
    QTest::newRow("the first refuses, the second takes it")
        << QList<QByteArray>{"127.0.0.2", "127.0.0.1"} << true << 0;
    QTest::newRow("every one refuses")
        << QList<QByteArray>{"127.0.0.2", "127.0.0.1"} << false << 10061;
    QTest::newRow("no address at all") << QList<QByteArray>{} << true << 11001;
    QTest::newRow("an address cut by a NUL is none")
        << QList<QByteArray>{QByteArray("127.0.0.1\0x", 11)} << true << 11001;
}

void TestTcpClient::eachAddressInTurn()
{
    QFETCH(QList<QByteArray>, addresses);
    QFETCH(bool, listening);
    QFETCH(int, error);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    TcpClient client;
    QSignalSpy connected(&client, &TcpClient::connected);
    QSignalSpy errors(&client, &TcpClient::errorOccurred);
    client.connectToAddresses(addresses, listening ? server.serverPort() : closedPort());
    QTRY_COMPARE(connected.count() + errors.count(), 1);
    QTest::qWait(50); // nothing more follows
    if (error == 0) {
        QCOMPARE(connected.count(), 1);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(acceptedConnections(server), 1);
    } else {
        QCOMPARE(connected.count(), 0);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(0).toInt(), error);
    }
}

void TestTcpClient::lookupOutlivedByNothing_data()
{
    QTest::addColumn<QString>("then");
    QTest::newRow("left to finish") << QString();
    QTest::newRow("aborted") << u"abort"_s;
    QTest::newRow("destroyed") << u"destroy"_s;
}

// A name is looked up on another thread; what it finds after its attempt ended is dropped.
void TestTcpClient::lookupOutlivedByNothing()
{
    QFETCH(QString, then);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto client = std::make_unique<TcpClient>();
    QSignalSpy connected(client.get(), &TcpClient::connected);
    QSignalSpy errors(client.get(), &TcpClient::errorOccurred);
    client->connectToHost(u"localhost"_s, server.serverPort());
    if (then == u"abort")
        client->abort();
    else if (then == u"destroy")
        client.reset();
    QTest::qWait(300);
    const int expected = then.isEmpty() ? 1 : 0;
    QCOMPARE(connected.count(), expected);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(acceptedConnections(server), expected);
    if (then != u"abort")
        return;
    // The same client goes on with the next attempt, and only with that one.
    client->connectToHost(u"127.0.0.1"_s, server.serverPort());
    QTRY_COMPARE(connected.count(), 1);
    QTest::qWait(100);
    QCOMPARE(connected.count(), 1);
    QCOMPARE(acceptedConnections(server), 1);
}

QTEST_GUILESS_MAIN(TestTcpClient)
#include "tst_TcpClient.moc"
