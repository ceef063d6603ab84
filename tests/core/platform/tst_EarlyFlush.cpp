#include "core/platform/EarlyFlush.h"

#include <QTest>
#include <atomic>
#include <future>

using namespace Qt::StringLiterals;

namespace {

FileIo::Error noSpace(const QString& path)
{
    return FileIo::Error(FileIo::Reason::NoSpace, path);
}

} // namespace

class TestEarlyFlush : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failureIsToldByTheNextFlushNow_data()
    {
        QTest::addColumn<bool>("earlyFails");
        QTest::addColumn<bool>("lastFails");
        QTest::addColumn<QString>("told");
        QTest::newRow("neither") << false << false << QString();
        QTest::newRow("the early one") << true << false << u"early"_s;
        QTest::newRow("the last one") << false << true << u"last"_s;
        QTest::newRow("both: the first") << true << true << u"early"_s;
    }

    // Once: a later flush that works says so.
    void failureIsToldByTheNextFlushNow()
    {
        QFETCH(bool, earlyFails);
        QFETCH(bool, lastFails);
        QFETCH(QString, told);
        QStringList flushed;
        EarlyFlush flush([&](const QStringList& paths) {
            flushed << paths;
            const bool fails = paths.first() == u"early"_s ? earlyFails : lastFails;
            return fails ? noSpace(paths.first()) : FileIo::Error();
        });
        QVERIFY(flush.start({u"early"_s}));
        const FileIo::Error error = flush.flushNow({u"last"_s});
        QCOMPARE(flushed, (QStringList{u"early"_s, u"last"_s}));
        QCOMPARE(bool(error), !told.isEmpty());
        if (error)
            QVERIFY(error.message().startsWith(told));
        lastFails = false;
        QVERIFY(!flush.flushNow({u"again"_s}));
    }

    void oneFlushAtATime()
    {
        std::promise<void> release;
        const std::shared_future<void> released = release.get_future().share();
        std::atomic<int> calls = 0;
        EarlyFlush flush([&](const QStringList&) {
            ++calls;
            released.wait();
            return FileIo::Error();
        });
        QVERIFY(flush.start({u"first"_s}));
        QVERIFY(!flush.start({u"second"_s}));
        release.set_value();
        QVERIFY(!flush.flushNow({u"last"_s}));
        QCOMPARE(calls.load(), 2);
        QVERIFY(flush.start({u"after"_s}));
    }
};

QTEST_GUILESS_MAIN(TestEarlyFlush)
#include "tst_EarlyFlush.moc"
