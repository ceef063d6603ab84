// The name a picture from the site gets in "downloads".
#include "core/crawl/PictureName.h"

#include <QTest>

using namespace Qt::StringLiterals;
using PictureName::Rules;

class TestPictureName : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lastSegment_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("segment");
        QTest::newRow("plain") << QByteArray("/image/a/b.jpg") << QByteArray("b.jpg");
        QTest::newRow("ends in a slash") << QByteArray("/image/") << QByteArray();
        QTest::newRow("no slash") << QByteArray("b.jpg") << QByteArray("b.jpg");
        QTest::newRow("backslashes are not folders")
            << QByteArray("/image/a\\b.jpg") << QByteArray("a\\b.jpg");
    }

    void lastSegment()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, segment);
        QCOMPARE(PictureName::lastSegment(path), segment);
    }

    void safeName_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("posix");
        QTest::addColumn<QByteArray>("windows");
        QTest::newRow("plain") << QByteArray("cat.jpg") << QByteArray("cat.jpg")
                               << QByteArray("cat.jpg");
        QTest::newRow("backslash")
            << QByteArray("..\\..\\x") << QByteArray(".._.._x") << QByteArray(".._.._x");
        QTest::newRow("NUL and controls")
            << QByteArray("a\0b\x1F\x7Fz", 6) << QByteArray("a_b__z") << QByteArray("a_b__z");
        QTest::newRow("reserved on windows")
            << QByteArray("a<b>c:d\"e|f?g*h") << QByteArray("a<b>c:d\"e|f?g*h")
            << QByteArray("a_b_c_d_e_f_g_h");
        QTest::newRow("high bytes stay")
            << QByteArray("\xEA\xEE\xF2\x98\xFF") << QByteArray("\xEA\xEE\xF2\x98\xFF")
            << QByteArray("\xEA\xEE\xF2\x98\xFF");
        QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("dot") << QByteArray(".") << QByteArray() << QByteArray();
        QTest::newRow("dot dot") << QByteArray("..") << QByteArray() << QByteArray();
        QTest::newRow("three dots") << QByteArray("...") << QByteArray("...") << QByteArray(".._");
        QTest::newRow("trailing blank") << QByteArray("a ") << QByteArray("a ") << QByteArray("a_");
        QTest::newRow("a control byte alone")
            << QByteArray("\n") << QByteArray("_") << QByteArray("_");
    }

    void safeName()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, posix);
        QFETCH(QByteArray, windows);
        QCOMPARE(PictureName::safeName(name, Rules::Posix), posix);
        QCOMPARE(PictureName::safeName(name, Rules::Windows), windows);
    }

    // UTF-8 on disk here: "Ё" takes 2 bytes, "€" (0x88) 3.
    void fittedToTheFileSystem_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("fitted");
        QTest::newRow("short") << QByteArray("cat.jpg") << QByteArray("cat.jpg");
        QTest::newRow("255 bytes")
            << QByteArray(251, 'a') + ".jpg" << QByteArray(251, 'a') + ".jpg";
        QTest::newRow("256 bytes")
            << QByteArray(252, 'a') + ".jpg" << QByteArray(251, 'a') + ".jpg";
        QTest::newRow("two-byte letters")
            << QByteArray(130, '\xA8') + ".jpg" << QByteArray(125, '\xA8') + ".jpg";
        QTest::newRow("three-byte letters")
            << QByteArray(100, '\x88') + ".gif" << QByteArray(83, '\x88') + ".gif";
        QTest::newRow("no extension") << QByteArray(300, 'b') << QByteArray(255, 'b');
        QTest::newRow("long extension is no extension")
            << QByteArray(250, 'c') + ".verylongextension" << QByteArray(250, 'c') + ".very";
    }

    void fittedToTheFileSystem()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, fitted);
#ifdef Q_OS_WIN
        QSKIP("Windows counts UTF-16 units: every Windows-1251 name fits as it is");
#endif
        QCOMPARE(PictureName::fitted(name), fitted);
        QVERIFY(PictureName::diskName(fitted).toUtf8().size() <= 255);
    }

    // The number goes before the extension and stays when the name is cut to fit.
    void numberedToFitTheFileSystem_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("numbered");
        QTest::newRow("short") << QByteArray("cat.jpg") << 2 << QByteArray("cat (2).jpg");
        QTest::newRow("no extension") << QByteArray("cat") << 13 << QByteArray("cat (13)");
        QTest::newRow("dot first") << QByteArray(".jpg") << 2 << QByteArray(".jpg (2)");
        QTest::newRow("full length")
            << QByteArray(251, 'a') + ".jpg" << 2 << QByteArray(247, 'a') + " (2).jpg";
        QTest::newRow("two-byte letters")
            << QByteArray(125, '\xA8') + ".jpg" << 3000 << QByteArray(122, '\xA8') + " (3000).jpg";
    }

    void numberedToFitTheFileSystem()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, number);
        QFETCH(QByteArray, numbered);
#ifdef Q_OS_WIN
        QSKIP("Windows counts UTF-16 units: every Windows-1251 name fits as it is");
#endif
        QCOMPARE(PictureName::numbered(name, number), numbered);
    }

    // Names that differ only in case are one file on Windows, two elsewhere.
    void diskKeyComparesAsTheFileSystemDoes_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("sameOnPosix");
        QTest::addColumn<bool>("sameOnWindows");
        QTest::newRow("equal") << u"cat.jpg"_s << u"cat.jpg"_s << true << true;
        QTest::newRow("case") << u"Cat.JPG"_s << u"cat.jpg"_s << false << true;
        QTest::newRow("Russian case") << u"Ёжик.gif"_s << u"ёЖИК.gif"_s << false << true;
        QTest::newRow("different") << u"cat.jpg"_s << u"cat.jpeg"_s << false << false;
    }

    void diskKeyComparesAsTheFileSystemDoes()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, sameOnPosix);
        QFETCH(bool, sameOnWindows);
        QCOMPARE(PictureName::diskKey(a, Rules::Posix) == PictureName::diskKey(b, Rules::Posix),
                 sameOnPosix);
        QCOMPARE(PictureName::diskKey(a, Rules::Windows) == PictureName::diskKey(b, Rules::Windows),
                 sameOnWindows);
    }

    void diskNameReadsWindows1251()
    {
        QCOMPARE(PictureName::diskName("\xEA\xEE\xF2.jpg"), u"кот.jpg"_s);
        QCOMPARE(PictureName::diskName("\x98"), QString(QChar(0x98)));
        QCOMPARE(PictureName::diskName("\xA8\xB8"), u"Ёё"_s);
    }
};

QTEST_GUILESS_MAIN(TestPictureName)
#include "tst_PictureName.moc"
