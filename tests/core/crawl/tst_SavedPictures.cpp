// The names one run gives its pictures, under the rules of each file system.
#include "core/crawl/SavedPictures.h"
#include "core/platform/ProgramFolder.h"

#include <QTest>

using namespace Qt::StringLiterals;
using PictureName::Rules;

class TestSavedPictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "Cat.jpg" is saved first; `name` comes next with other bytes.
    void takenNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("posix");
        QTest::addColumn<QByteArray>("windows");
        QTest::newRow("same name")
            << QByteArray("Cat.jpg") << QByteArray("Cat (2).jpg") << QByteArray("Cat (2).jpg");
        QTest::newRow("other case")
            << QByteArray("cAT.JPG") << QByteArray("cAT.JPG") << QByteArray("cAT (2).JPG");
        QTest::newRow("the album page") << QByteArray("index.htm") << QByteArray("index (2).htm")
                                        << QByteArray("index (2).htm");
        QTest::newRow("the album page in capitals")
            << QByteArray("INDEX.HTM") << QByteArray("INDEX.HTM") << QByteArray("INDEX (2).HTM");
        QTest::newRow("a decoration image in capitals")
            << QByteArray("BgHead.Gif") << QByteArray("BgHead.Gif") << QByteArray("BgHead (2).Gif");
        QTest::newRow("free") << QByteArray("dog.jpg") << QByteArray("dog.jpg")
                              << QByteArray("dog.jpg");
    }

    void takenNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, posix);
        QFETCH(QByteArray, windows);
        const ProgramFolder folder(u"/tmp/zolvane"_s);
        for (const auto& [rules, expected] :
             {std::pair{Rules::Posix, posix}, std::pair{Rules::Windows, windows}}) {
            SavedPictures pictures(folder, rules);
            pictures.add("Cat.jpg", "Cat.jpg", "first");
            QCOMPARE(pictures.freeName(name), expected);
            QVERIFY(!pictures.fileOf(name, "second"));
        }
    }

    // The same picture is found again by its site name and bytes; a new run forgets it.
    void samePictureAgain()
    {
        SavedPictures pictures(ProgramFolder(u"/tmp/zolvane"_s));
        pictures.add("tab_x (2).gif", "tab\tx.gif", "bytes");
        QCOMPARE(pictures.fileOf("tab\tx.gif", "bytes"), QByteArray("tab_x (2).gif"));
        QVERIFY(!pictures.fileOf("tab_x.gif", "bytes"));
        QVERIFY(!pictures.fileOf("tab\tx.gif", "other bytes"));
        QVERIFY(!pictures.fileOf("tab\tx.gif", "bytez"));
        pictures.clear();
        QVERIFY(!pictures.fileOf("tab\tx.gif", "bytes"));
        QCOMPARE(pictures.freeName("tab_x (2).gif"), QByteArray("tab_x (2).gif"));
        QCOMPARE(pictures.freeName("head.gif"), QByteArray("head (2).gif"));
    }
};

QTEST_GUILESS_MAIN(TestSavedPictures)
#include "tst_SavedPictures.moc"
