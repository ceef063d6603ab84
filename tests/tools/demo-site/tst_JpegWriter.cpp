#include "JpegWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <numbers>

namespace {

enum class Kind { Smooth, Tiles, Checkerboard, Wave };

Rgb pixelOf(Kind kind, int x, int y)
{
    switch (kind) {
    case Kind::Smooth:
        // Gentle waves, at most a few levels from one pixel to the next.
        return Rgb(int(128 + 90 * std::sin(x / 23.0 + y / 37.0)),
                   int(128 + 90 * std::cos(x / 31.0 - y / 19.0)),
                   int(128 + 60 * std::sin((x + y) / 29.0 + 1)));
    case Kind::Tiles: {
        // Saturated colours, flat over each 16 x 16 unit: large jumps of the DC values.
        QRandomGenerator random(quint32((y / 16) * 1000 + x / 16));
        return Rgb(random.bounded(2) * 255, random.bounded(2) * 255, random.bounded(256));
    }
    case Kind::Checkerboard:
        // The sharpest detail: large high-frequency coefficients, and bytes to stuff.
        return (x + y) % 2 ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
    case Kind::Wave: {
        // Grey, one frequency in each 8 x 8 block (3 across, 2 down): sixteen zero coefficients
        // come before it in the order the file lists them.
        const double across = std::cos((2 * (x % 8) + 1) * 3 * std::numbers::pi / 16);
        const double down = std::cos((2 * (y % 8) + 1) * 2 * std::numbers::pi / 16);
        const int level = int(std::lround(128 + 100 * across * down));
        return Rgb(level, level, level);
    }
    }
    return {};
}

// The decoder blends chroma across the edges of the tiles; their insides keep their colour.
bool judged(Kind kind, int x, int y)
{
    return kind != Kind::Tiles || (x % 16 >= 2 && x % 16 < 14 && y % 16 >= 2 && y % 16 < 14);
}

} // namespace

class TestJpegWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesCloseToThePixels_data();
    void decodesCloseToThePixels();
};

void TestJpegWriter::decodesCloseToThePixels_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<Kind>("kind");
    // The farthest any channel of a pixel may be off, and how far they are off on average.
    QTest::addColumn<int>("worst");
    QTest::addColumn<double>("mean");
    QTest::newRow("1x1") << 1 << 1 << Kind::Smooth << 16 << 3.0;
    QTest::newRow("7x9") << 7 << 9 << Kind::Smooth << 16 << 3.0;
    QTest::newRow("16x16") << 16 << 16 << Kind::Smooth << 16 << 3.0;
    QTest::newRow("33x17") << 33 << 17 << Kind::Smooth << 16 << 3.0;
    QTest::newRow("360x160") << 360 << 160 << Kind::Smooth << 16 << 3.0;
    QTest::newRow("tiles 80x48") << 80 << 48 << Kind::Tiles << 4 << 1.0;
    QTest::newRow("wave 32x16") << 32 << 16 << Kind::Wave << 3 << 1.0;
    QTest::newRow("checkerboard 24x17") << 24 << 17 << Kind::Checkerboard << 20 << 7.0;
}

void TestJpegWriter::decodesCloseToThePixels()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(Kind, kind);
    QFETCH(int, worst);
    QFETCH(double, mean);
    QList<Rgb> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels.append(pixelOf(kind, x, y));
    }
    QByteArray jpeg = JpegWriter::encode(width, height, pixels);
    QCOMPARE(JpegWriter::encode(width, height, pixels), jpeg);

    QBuffer buffer(&jpeg);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(width, height));
    int farthest = 0;
    qint64 total = 0, judgedCount = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!judged(kind, x, y))
                continue;
            const QRgb shown = image.pixel(x, y);
            const Rgb given = pixels[y * width + x];
            for (const int off : {qRed(shown) - given.red, qGreen(shown) - given.green,
                                  qBlue(shown) - given.blue}) {
                farthest = qMax(farthest, qAbs(off));
                total += qAbs(off);
                ++judgedCount;
            }
        }
    }
    QVERIFY2(farthest <= worst, qPrintable(QString::number(farthest)));
    const double average = double(total) / double(judgedCount);
    QVERIFY2(average <= mean, qPrintable(QString::number(average)));
}

QTEST_MAIN(TestJpegWriter)
#include "tst_JpegWriter.moc"
