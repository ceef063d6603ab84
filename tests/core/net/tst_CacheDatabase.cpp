#include "core/net/CacheDatabase.h"
#include "core/settings/Ini.h"

#include <QTest>

namespace {

// What a store writes without the kept layout: the two private-profile writes.
QByteArray writtenThroughIni(const QByteArray& database, int number, const QByteArray& path)
{
    const auto named =
        Ini::WithEntry(database, "Cashe", "cashe" + CacheDatabase::PadNumber(number), path);
    return *Ini::WithEntry(*named, "Main", "Files", QByteArray::number(number));
}

const QByteArray Header = ";Tervik2 cashe database file\r\n;Created: 05.03.2024 14:07:09\r\n"
                          ";Do not edit!\r\n\r\n\r\n[Main]\r\n[Cashe]\r\n";

} // namespace

// A store splices its entry and count into the bytes it keeps: the file must come out as the
// private-profile writes would leave it, and the entries a lookup finds as a fresh scan finds them.
class TestCacheDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addsAsThePrivateProfileWritesDo_data()
    {
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<QList<QByteArray>>("paths");
        const QList<QByteArray> three = {"/p/1", "/img/a b.jpg", "/p/1"};
        QTest::newRow("new database") << Header << three;
        // "Files=9" becomes "Files=10": what follows it moves by a byte.
        QByteArray nine = Header;
        nine.replace("[Main]\r\n[Cashe]\r\n", "[Main]\r\nFiles=8\r\n[Cashe]\r\n");
        for (int i = 1; i <= 8; ++i)
            nine +=
                "cashe" + CacheDatabase::PadNumber(i) + "=/old/" + QByteArray::number(i) + "\r\n";
        QTest::newRow("count gains a digit") << nine << three;
        QTest::newRow("count spelt otherwise, trailing blank lines")
            << QByteArray(
                   "[MAIN]\r\n FILES = 1x\r\nOther=1\r\n\r\n[cashe]\r\ncashe00001=/a\r\n;c\r\n\r\n")
            << three;
        QTest::newRow("no line break at the end")
            << QByteArray("[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/a") << three;
        QTest::newRow("sections the other way round")
            << QByteArray("[Cashe]\r\ncashe00001=/a\r\n[Main]\r\nFiles=1\r\n") << three;
        QTest::newRow("next key already there")
            << QByteArray("[Main]\r\nFiles=1\r\n[Cashe]\r\ncashe00001=/a\r\nCASHE00002=/x\r\n")
            << three;
        QTest::newRow("no sections") << QByteArray() << three;
        QTest::newRow("LF line ends")
            << QByteArray("[Main]\nFiles=1\n[Cashe]\ncashe00001=/lf\n") << three;
        QTest::newRow("values read back otherwise")
            << Header
            << QList<QByteArray>{" /blank ", "\"/quoted\"", '/' + QByteArray(300, 'l'), "/p/1"};
    }

    void addsAsThePrivateProfileWritesDo()
    {
        QFETCH(QByteArray, database);
        QFETCH(QList<QByteArray>, paths);
        CacheDatabase kept(database);
        QByteArray expected = database;
        for (const QByteArray& path : paths) {
            const int number = kept.files() + 1;
            QVERIFY(kept.add(number, path));
            expected = writtenThroughIni(expected, number, path);
            QCOMPARE(kept.bytes(), expected);
            QCOMPARE(kept.files(), CacheDatabase(expected).files());
        }
        const CacheDatabase scanned(expected);
        for (const QByteArray& path : paths + QList<QByteArray>{"/blank", "/quoted", "/a", "/x"}) {
            const QByteArray readBack =
                Ini::ReadSection("[s]\r\nk=" + path + "\r\n", "s")[0].second;
            QCOMPARE(kept.entriesNaming(readBack), scanned.entriesNaming(readBack));
        }
    }

    void refusedPathChangesNothing()
    {
        CacheDatabase kept(Header);
        QVERIFY(!kept.add(1, "/a\r\nFiles=99"));
        QCOMPARE(kept.bytes(), Header);
        QCOMPARE(kept.files(), qint16(0));
    }
};

QTEST_GUILESS_MAIN(TestCacheDatabase)
#include "tst_CacheDatabase.moc"
