#include "gui/widgets/VirtualKeys.h"

#include <QKeyEvent>
#include <QTest>

using namespace Qt::StringLiterals;
using VirtualKeys::ScanCodes;

Q_DECLARE_METATYPE(ScanCodes)

class TestVirtualKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void codes_data();
    void codes();
};

void TestVirtualKeys::codes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<ScanCodes>("scanCodes");
    QTest::addColumn<int>("expected");

    // By position, where the platform's scan codes are known; keys without them are tried through
    // the button.
    const auto row = [](const char* name, int key, const QString& text, quint32 scanCode,
                        ScanCodes scanCodes, int expected) {
        QTest::newRow(name) << key << text << scanCode << scanCodes << expected;
    };
    row("X11 Й", 0x419, u"й"_s, 24, ScanCodes::Xkb, 'Q');
    row("X11 Russian period", Qt::Key_Period, u"."_s, 61, ScanCodes::Xkb, 0xBF);
    row("X11 Russian №", 0x2116, u"№"_s, 12, ScanCodes::Xkb, '3');
    row("X11 percent", Qt::Key_Percent, u"%"_s, 14, ScanCodes::Xkb, '5');
    row("X11 AZERTY A", Qt::Key_A, u"a"_s, 24, ScanCodes::Xkb, 'A');
    row("X11 AZERTY unshifted 1", Qt::Key_Ampersand, u"&"_s, 10, ScanCodes::Xkb, '1');
    row("X11 key beside left Shift", Qt::Key_Less, u"<"_s, 94, ScanCodes::Xkb, 0xE2);
    row("Windows Х", 0x425, u"х"_s, 0x1A, ScanCodes::PcSet1, 0xDB);
    row("Windows Russian period", Qt::Key_Period, u"."_s, 0x35, ScanCodes::PcSet1, 0xBF);
    row("X11 unknown position", Qt::Key_Apostrophe, u"'"_s, 200, ScanCodes::Xkb, 0xDE);
}

// The native virtual key carries the X11 keysym, which must never come through.
void TestVirtualKeys::codes()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(quint32, scanCode);
    QFETCH(ScanCodes, scanCodes);
    QFETCH(int, expected);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, scanCode, quint32(key) & 0xFFFF, 0,
                          text);
    QCOMPARE(VirtualKeys::fromKeyEvent(event, scanCodes), qint16(expected));
}

QTEST_MAIN(TestVirtualKeys)
#include "tst_VirtualKeys.moc"
