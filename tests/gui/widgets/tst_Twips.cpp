#include "gui/widgets/Twips.h"

#include <QTest>

class TestTwips : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toPixelsRoundsToNearest_data();
    void toPixelsRoundsToNearest();
    void rectangleConvertsEachPart();
    void toTwips();
};

void TestTwips::toPixelsRoundsToNearest_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("below half") << 7.0 << 0;
    QTest::newRow("above half") << 8.0 << 1;
    QTest::newRow("whole") << 195.0 << 13;
    QTest::newRow("half up from 0") << 7.5 << 1;
    QTest::newRow("half up from 1") << 22.5 << 2;
    QTest::newRow("half up from 2") << 37.5 << 3;
    QTest::newRow("just under half") << 7.4999 << 0;
    QTest::newRow("negative below half") << -7.0 << 0;
    QTest::newRow("negative half") << -7.5 << -1;
    QTest::newRow("negative half from -2") << -37.5 << -3;
    QTest::newRow("negative whole") << -60.0 << -4;
    QTest::newRow("fraction of a twip") << 1329.9 << 89;
}

void TestTwips::toPixelsRoundsToNearest()
{
    QFETCH(double, twips);
    QFETCH(int, pixels);
    QCOMPARE(Twips::toPixels(twips), pixels);
}

void TestTwips::rectangleConvertsEachPart()
{
    QCOMPARE(Twips::toPixels(60, 2700, 3495, 585), QRect(4, 180, 233, 39));
    QCOMPARE(Twips::toPixels(8, 22, 7, 23), QRect(1, 1, 0, 2));
}

void TestTwips::toTwips()
{
    QCOMPARE(Twips::toTwips(13), 195.0);
    QCOMPARE(Twips::toTwips(5.5), 82.5);
    QCOMPARE(Twips::toTwips(-2), -30.0);
    QCOMPARE(Twips::toPixels(Twips::toTwips(89)), 89);
}

QTEST_MAIN(TestTwips)
#include "tst_Twips.moc"
