#include "core/platform/ByteSearch.h"

#include <QTest>

class TestByteSearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersAsQt_data()
    {
        QTest::addColumn<QByteArray>("haystack");
        QTest::addColumn<QByteArray>("needle");
        QTest::addColumn<qsizetype>("from");
        QTest::addColumn<qsizetype>("at");
        const QByteArray page = QByteArray(40000, 'x') + "\xFA\xE1 marker" + QByteArray(100, 'y');
        QTest::newRow("deep in a page")
            << page << QByteArray("\xFA\xE1 marker") << qsizetype(0) << qsizetype(40000);
        QTest::newRow("from its first byte")
            << page << QByteArray("\xFA\xE1 marker") << qsizetype(40000) << qsizetype(40000);
        QTest::newRow("from past it")
            << page << QByteArray("\xFA\xE1 marker") << qsizetype(40001) << qsizetype(-1);
        QTest::newRow("cut by the end")
            << QByteArray("abcd") << QByteArray("de") << qsizetype(0) << qsizetype(-1);
        QTest::newRow("NUL bytes count")
            << QByteArray("a\0b\0c", 5) << QByteArray("\0c", 2) << qsizetype(0) << qsizetype(3);
        QTest::newRow("from beyond the end")
            << QByteArray("abc") << QByteArray("c") << qsizetype(4) << qsizetype(-1);
        QTest::newRow("empty haystack")
            << QByteArray() << QByteArray("a") << qsizetype(0) << qsizetype(-1);
        QTest::newRow("empty needle")
            << QByteArray("abc") << QByteArray() << qsizetype(2) << qsizetype(2);
    }

    void answersAsQt()
    {
        QFETCH(QByteArray, haystack);
        QFETCH(QByteArray, needle);
        QFETCH(qsizetype, from);
        QFETCH(qsizetype, at);
        QCOMPARE(ByteSearch::indexOf(haystack, needle, from), at);
        QCOMPARE(QByteArrayView(haystack).indexOf(needle, from), at);
    }
};

QTEST_GUILESS_MAIN(TestByteSearch)
#include "tst_ByteSearch.moc"
