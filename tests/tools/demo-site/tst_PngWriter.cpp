#include "PngWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

namespace {

enum class Kind { Noise, Stripes, SameRows };

QList<Rgb> picture(int width, int height, Kind kind)
{
    QRandomGenerator random(quint32(width * 7919 + height));
    QList<Rgb> row(width);
    QList<Rgb> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int band = (x / 5 + y / 3) % 4;
            if (kind == Kind::Stripes)
                row[x] = Rgb(band * 80, 255 - band * 60, y % 256);
            else if (kind == Kind::Noise || y == 0)
                row[x] = Rgb(random.bounded(256), random.bounded(256), random.bounded(256));
        }
        pixels += row;
    }
    return pixels;
}

} // namespace

class TestPngWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesToThePixels_data();
    void decodesToThePixels();
};

void TestPngWriter::decodesToThePixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("1x1") << 1 << 1 << Kind::Noise;
    QTest::newRow("7x9") << 7 << 9 << Kind::Noise;
    QTest::newRow("16x16 stripes") << 16 << 16 << Kind::Stripes;
    QTest::newRow("33x17") << 33 << 17 << Kind::Noise;
    // Long runs: matches of the longest length.
    QTest::newRow("400x150 stripes") << 400 << 150 << Kind::Stripes;
    QTest::newRow("300x200 noise") << 300 << 200 << Kind::Noise;
    // Rows 32767 bytes apart: the farthest matches; 32770 apart: out of reach.
    QTest::newRow("rows at the window's end") << 10922 << 3 << Kind::SameRows;
    QTest::newRow("rows beyond the window") << 10923 << 3 << Kind::SameRows;
}

void TestPngWriter::decodesToThePixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(Kind, kind);
    const QList<Rgb> pixels = picture(width, height, kind);
    QByteArray png = PngWriter::encode(width, height, pixels);
    QCOMPARE(PngWriter::encode(width, height, pixels), png);

    QBuffer buffer(&png);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb shown = image.pixel(x, y);
            if (Rgb(qRed(shown), qGreen(shown), qBlue(shown)) != pixels[y * width + x])
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
        }
    }
}

QTEST_MAIN(TestPngWriter)
#include "tst_PngWriter.moc"
