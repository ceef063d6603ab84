#include "core/platform/BrowserStart.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A stand-in browser: records how many arguments it got and the first one, after `delay`
// seconds. The record appears whole (written aside, then renamed).
QString writeBrowser(const QTemporaryDir& dir, const QString& name, int delay)
{
    const QString script = dir.filePath(name);
    const QString record = dir.filePath(name + u".record"_s);
    const QByteArray text = "#!/bin/sh\n"
                            "sleep " +
                            QByteArray::number(delay) +
                            "\n"
                            "printf '%s\\n%s' \"$#\" \"$1\" > '" +
                            record.toUtf8() +
                            ".part'\n"
                            "mv '" +
                            record.toUtf8() + ".part' '" + record.toUtf8() + "'\n";
    TestSupport::writeAll(script, text);
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner |
                                      QFileDevice::ExeUser);
    return script;
}

} // namespace

class TestBrowserStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void argumentArrivesUnchanged_data();
    void argumentArrivesUnchanged();
    void callerDoesNotWait();
    void missingBrowserFails();
    void listedBrowsersAreTriedInTurn();

private:
    QByteArray m_savedBrowser;
    bool m_hadBrowser = false;
};

void TestBrowserStart::init()
{
    m_hadBrowser = qEnvironmentVariableIsSet("BROWSER");
    m_savedBrowser = qgetenv("BROWSER");
}

void TestBrowserStart::cleanup()
{
    if (m_hadBrowser)
        qputenv("BROWSER", m_savedBrowser);
    else
        qunsetenv("BROWSER");
}

void TestBrowserStart::argumentArrivesUnchanged_data()
{
    QTest::addColumn<QString>("argument");
    QTest::newRow("address") << u"http://zolvane.com/soft/verezozavidozoz/"_s;
    QTest::newRow("path with blanks") << u"/home/user/My Programs/downloads/index.htm"_s;
    QTest::newRow("non-ASCII path") << u"/home/пользователь/Загрузки/downloads/index.htm"_s;
    QTest::newRow("quotes and shell characters") << u"/tmp/a \"b\" 'c' $HOME;&|*.htm"_s;
}

void TestBrowserStart::argumentArrivesUnchanged()
{
    QFETCH(QString, argument);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("BROWSER", writeBrowser(dir, u"browser"_s, 0).toUtf8());

    QVERIFY(!BrowserStart::StartBrowser(argument));

    const QString record = dir.filePath(u"browser.record"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QCOMPARE(TestSupport::readAll(record), "1\n" + argument.toUtf8());
}

void TestBrowserStart::callerDoesNotWait()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("BROWSER", writeBrowser(dir, u"slow browser"_s, 2).toUtf8());

    QVERIFY(!BrowserStart::StartBrowser(u"http://zolvane.com/"_s));

    // Still running when the call is back; it finishes on its own afterwards.
    const QString record = dir.filePath(u"slow browser.record"_s);
    QVERIFY(!QFile::exists(record));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 15000);
    QCOMPARE(TestSupport::readAll(record), QByteArray("1\nhttp://zolvane.com/"));
}

void TestBrowserStart::missingBrowserFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("BROWSER", dir.filePath(u"no-such-browser"_s).toUtf8());
    QVERIFY(BrowserStart::StartBrowser(u"http://zolvane.com/"_s));
}

void TestBrowserStart::listedBrowsersAreTriedInTurn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString missing = dir.filePath(u"no-such-browser"_s);
    const QString browser = writeBrowser(dir, u"second"_s, 0);
    qputenv("BROWSER", (missing + u':' + browser).toUtf8());

    QVERIFY(!BrowserStart::StartBrowser(u"http://zolvane.com/"_s));

    const QString record = dir.filePath(u"second.record"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QCOMPARE(TestSupport::readAll(record), QByteArray("1\nhttp://zolvane.com/"));

    qputenv("BROWSER", (missing + u':' + missing + u'2').toUtf8());
    QVERIFY(BrowserStart::StartBrowser(u"http://zolvane.com/"_s));
}

QTEST_GUILESS_MAIN(TestBrowserStart)
#include "tst_BrowserStart.moc"
