#include "core/platform/Cp1251.h"

#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCp1251 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyByteSurvivesARoundTrip();
    void everyByteIsItsOwnCharacter();
    void knownCharacters_data();
    void knownCharacters();
    void russianWord();
    void unrepresentableCharacters_data();
    void unrepresentableCharacters();
};

void TestCp1251::everyByteSurvivesARoundTrip()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    const QString text = Cp1251::toUnicode(bytes);
    QCOMPARE(text.size(), 256);
    QCOMPARE(Cp1251::fromUnicode(text), bytes);
}

void TestCp1251::everyByteIsItsOwnCharacter()
{
    QSet<char16_t> seen;
    for (int i = 0; i < 256; ++i) {
        const QString text = Cp1251::toUnicode(QByteArray(1, static_cast<char>(i)));
        QCOMPARE(text.size(), 1);
        QVERIFY2(!text.at(0).isSurrogate(), qPrintable(QString::number(i, 16)));
        seen.insert(text.at(0).unicode());
    }
    QCOMPARE(seen.size(), 256);
}

void TestCp1251::knownCharacters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");
    QTest::newRow("NUL") << 0x00 << 0x0000;
    QTest::newRow("A") << 0x41 << 0x0041;
    QTest::newRow("DEL") << 0x7F << 0x007F;
    QTest::newRow("Ђ") << 0x80 << 0x0402;
    QTest::newRow("euro") << 0x88 << 0x20AC;
    QTest::newRow("unassigned 0x98") << 0x98 << 0x0098;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("Ё") << 0xA8 << 0x0401;
    QTest::newRow("«") << 0xAB << 0x00AB;
    QTest::newRow("ё") << 0xB8 << 0x0451;
    QTest::newRow("№") << 0xB9 << 0x2116;
    QTest::newRow("»") << 0xBB << 0x00BB;
    QTest::newRow("А") << 0xC0 << 0x0410;
    QTest::newRow("Я") << 0xDF << 0x042F;
    QTest::newRow("а") << 0xE0 << 0x0430;
    QTest::newRow("я") << 0xFF << 0x044F;
}

void TestCp1251::knownCharacters()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);
    const QByteArray bytes(1, static_cast<char>(byte));
    const QString text{QChar(char16_t(unicode))};
    QCOMPARE(Cp1251::toUnicode(bytes), text);
    QCOMPARE(Cp1251::fromUnicode(text), bytes);
}

void TestCp1251::russianWord()
{
    const QByteArray bytes("\xCA\xE0\xF7\xE0\xF2\xFC \xB8\xEB\xEA\xE8");
    QCOMPARE(Cp1251::toUnicode(bytes), u"Качать ёлки"_s);
    QCOMPARE(Cp1251::fromUnicode(u"Качать ёлки"_s), bytes);
}

void TestCp1251::unrepresentableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<char>("replacement");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("latin é") << u"caf\u00E9"_s << '?' << QByteArray("caf?");
    QTest::newRow("chinese") << u"\u65E5x"_s << '?' << QByteArray("?x");
    QTest::newRow("other replacement") << u"a\u00E9b"_s << '_' << QByteArray("a_b");
    QTest::newRow("outside the basic plane is one character")
        << u"a\U0001F600b"_s << '?' << QByteArray("a?b");
    QTest::newRow("lone surrogate")
        << QString(QChar(char16_t(0xD800))) + u"z"_s << '?' << QByteArray("?z");
    QTest::newRow("mixed with letters") << u"Ж\u00E9ж"_s << '?' << QByteArray("\xC6?\xE6");
}

void TestCp1251::unrepresentableCharacters()
{
    QFETCH(QString, text);
    QFETCH(char, replacement);
    QFETCH(QByteArray, expected);
    QCOMPARE(Cp1251::fromUnicode(text, replacement), expected);
}

QTEST_GUILESS_MAIN(TestCp1251)
#include "tst_Cp1251.moc"
