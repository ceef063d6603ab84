#include "GifWriter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTest>

namespace {

QImage decode(const QByteArray& gif)
{
    QByteArray bytes = gif;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "gif");
    return reader.read();
}

} // namespace

class TestGifWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void layout();
};

void TestGifWriter::roundTrip_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("noisy");
    QTest::newRow("one pixel") << 1 << 1 << 2 << false;
    QTest::newRow("two colours") << 37 << 11 << 2 << true;
    QTest::newRow("three colours") << 20 << 20 << 3 << true;
    QTest::newRow("sixteen, flat runs") << 300 << 200 << 16 << false;
    // Noise fills the code table again and again.
    QTest::newRow("sixteen, noise") << 300 << 300 << 16 << true;
    QTest::newRow("256, noise") << 257 << 129 << 256 << true;
}

void TestGifWriter::roundTrip()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, colours);
    QFETCH(bool, noisy);
    QRandomGenerator random(quint32(width * 1000 + height));
    QList<Rgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.append(Rgb(i, 255 - i, (i * 37) % 256));
    QByteArray indices(qsizetype(width) * height, '\0');
    for (qsizetype i = 0; i < indices.size(); ++i)
        indices[i] = char(noisy ? random.bounded(colours) : (i / 7 + i / width) % colours);

    const QImage image = decode(GifWriter::encode(width, height, palette, indices));
    QCOMPARE(image.size(), QSize(width, height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb expected = palette[quint8(indices[qsizetype(y) * width + x])];
            const QRgb shown = image.pixel(x, y);
            if (Rgb(qRed(shown), qGreen(shown), qBlue(shown)) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
        }
    }
}

void TestGifWriter::layout()
{
    const QByteArray gif = GifWriter::encode(3, 2, {Rgb(1, 2, 3), Rgb(4, 5, 6), Rgb(7, 8, 9)},
                                             QByteArray("\0\1\2\2\1\0", 6));
    QVERIFY(gif.startsWith(QByteArray("GIF89a\x03\x00\x02\x00", 10)));
    QCOMPARE(quint8(gif[10]), quint8(0x80 | (1 << 4) | 1)); // a table of four colours
    QCOMPARE(gif.mid(13, 12), QByteArray("\1\2\3\4\5\6\7\x08\x09\0\0\0", 12));
    QCOMPARE(gif.at(25), ',');
    QVERIFY(gif.endsWith(QByteArray("\0;", 2)));
}

QTEST_MAIN(TestGifWriter)
#include "tst_GifWriter.moc"
