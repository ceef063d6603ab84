#include "gui/resources/Artwork.h"

#include <QTest>

class TestArtwork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sizes_data();
    void sizes();
    void gradientRunsFromNearWhiteToLightGrey();
    void pictogramIsBlackOutlineOnTransparent();
    void cursorHotSpotIsTheFingertip();
    void logoIsOpaqueInside();
};

void TestArtwork::sizes_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QSize>("size");
    QTest::newRow("background") << Artwork::backgroundGradient() << QSize(3, 160);
    QTest::newRow("icon") << Artwork::windowIcon16() << QSize(16, 16);
    QTest::newRow("logo") << Artwork::logo() << QSize(201, 72);
    QTest::newRow("hand") << Artwork::handPictogram() << QSize(35, 49);
    QTest::newRow("cursor") << Artwork::handCursorImage() << QSize(32, 32);
}

void TestArtwork::sizes()
{
    QFETCH(QImage, image);
    QFETCH(QSize, size);
    QCOMPARE(image.size(), size);
}

void TestArtwork::gradientRunsFromNearWhiteToLightGrey()
{
    const QImage bg = Artwork::backgroundGradient();
    QCOMPARE(bg.pixel(0, 0), qRgb(250, 250, 250));
    QCOMPARE(bg.pixel(2, 159), qRgb(208, 208, 208));
    for (int y = 1; y < bg.height(); ++y) {
        QVERIFY(qGray(bg.pixel(1, y)) <= qGray(bg.pixel(1, y - 1)));
        QCOMPARE(bg.pixel(0, y), bg.pixel(2, y));
    }
}

void TestArtwork::pictogramIsBlackOutlineOnTransparent()
{
    const QImage hand = Artwork::handPictogram();
    int black = 0;
    for (int y = 0; y < hand.height(); ++y)
        for (int x = 0; x < hand.width(); ++x) {
            const QRgb c = hand.pixel(x, y);
            QVERIFY2(qAlpha(c) == 0 || qAlpha(c) == 255, "no half-transparent pixels");
            if (qAlpha(c) == 255 && qGray(c) == 0)
                ++black;
        }
    QVERIFY(black > 60);
    QCOMPARE(qAlpha(hand.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(hand.pixel(34, 48)), 0);
}

void TestArtwork::cursorHotSpotIsTheFingertip()
{
    const QImage cursor = Artwork::handCursorImage();
    QCOMPARE(cursor.pixel(5, 0), qRgb(0, 0, 0));
    // Nothing above or to the left of the fingertip row is drawn.
    for (int x = 0; x < 32; ++x)
        if (x != 5 && x != 6)
            QCOMPARE(qAlpha(cursor.pixel(x, 0)), 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = cursor.pixel(x, y);
            QVERIFY(qAlpha(c) == 0 || c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255));
        }
    QCOMPARE(Artwork::handCursor().hotSpot(), QPoint(5, 0));
}

void TestArtwork::logoIsOpaqueInside()
{
    const QImage logo = Artwork::logo();
    QCOMPARE(qAlpha(logo.pixel(100, 36)), 255);
    QCOMPARE(qAlpha(logo.pixel(0, 0)), 0);
}

QTEST_MAIN(TestArtwork)
#include "tst_Artwork.moc"
