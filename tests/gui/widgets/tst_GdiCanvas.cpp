#include "gui/widgets/GdiCanvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QColor White(255, 255, 255);
const QColor Ink(200, 0, 0);

GdiCanvas blank(int w, int h)
{
    GdiCanvas canvas(QSize(w, h));
    canvas.clear(White);
    return canvas;
}

// Every pixel of the canvas that is not white, as points.
QList<QPoint> painted(const GdiCanvas& canvas)
{
    QList<QPoint> points;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) != White)
                points.append(QPoint(x, y));
    return points;
}

QFont testFont()
{
    QFont font(u"DejaVu Sans"_s, 9);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The text as plain QPainter draws it, centred the way the canvas centres a line.
QImage plainLine(QSize size, const QString& shown, int top)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    painter.setFont(testFont());
    painter.setPen(Ink);
    const QFontMetrics metrics(testFont());
    const int x = (size.width() - metrics.horizontalAdvance(shown)) / 2;
    painter.drawText(QPoint(x, top + metrics.ascent()), shown);
    return image;
}

} // namespace

class TestGdiCanvas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void thinLineLeavesOutEndPoint_data();
    void thinLineLeavesOutEndPoint();
    void frameRectPaintsOuterRing();
    void fillRectCoversRightAndBottomExclusive();
    void widePenIsCentredWithRoundEnds_data();
    void widePenIsCentredWithRoundEnds();
    void fourPixelBandsTile();
    void drawingOutsideIsClipped();
    void measureWrapsAtWords();
    void singleAmpersandUnderlinesNextCharacter_data();
    void singleAmpersandUnderlinesNextCharacter();
    void doubledAmpersandShowsOne();
    void trailingAmpersandShowsNothing();
    void emptyTextMeasuresZero();
};

void TestGdiCanvas::thinLineLeavesOutEndPoint_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QList<QPoint>>("expected");
    QTest::newRow("horizontal") << QPoint(2, 3) << QPoint(6, 3)
                                << QList<QPoint>{{2, 3}, {3, 3}, {4, 3}, {5, 3}};
    QTest::newRow("one pixel down") << QPoint(4, 1) << QPoint(4, 2) << QList<QPoint>{{4, 1}};
    QTest::newRow("right to left")
        << QPoint(5, 0) << QPoint(2, 0) << QList<QPoint>{{3, 0}, {4, 0}, {5, 0}};
    QTest::newRow("zero length") << QPoint(3, 3) << QPoint(3, 3) << QList<QPoint>{};
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3)
                              << QList<QPoint>{{0, 0}, {1, 1}, {2, 2}};
}

void TestGdiCanvas::thinLineLeavesOutEndPoint()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QList<QPoint>, expected);
    GdiCanvas canvas = blank(8, 8);
    canvas.selectPen(1, Ink);
    canvas.moveTo(from.x(), from.y());
    canvas.lineTo(to.x(), to.y());
    QList<QPoint> got = painted(canvas);
    auto byPosition = [](QPoint a, QPoint b) {
        return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
    };
    std::sort(got.begin(), got.end(), byPosition);
    std::sort(expected.begin(), expected.end(), byPosition);
    QCOMPARE(got, expected);
    for (const QPoint& p : std::as_const(got))
        QCOMPARE(canvas.pixel(p.x(), p.y()), Ink);
}

void TestGdiCanvas::frameRectPaintsOuterRing()
{
    GdiCanvas canvas = blank(6, 5);
    canvas.frameRect(0, 0, 6, 5, Ink);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool ring = x == 0 || y == 0 || x == 5 || y == 4;
            QCOMPARE(canvas.pixel(x, y), ring ? Ink : White);
        }
}

void TestGdiCanvas::fillRectCoversRightAndBottomExclusive()
{
    GdiCanvas canvas = blank(6, 6);
    canvas.fillRect(1, 2, 4, 5, Ink);
    QCOMPARE(painted(canvas).size(), 9);
    QCOMPARE(canvas.pixel(1, 2), Ink);
    QCOMPARE(canvas.pixel(3, 4), Ink);
    QCOMPARE(canvas.pixel(4, 4), White);
    QCOMPARE(canvas.pixel(3, 5), White);
}

void TestGdiCanvas::widePenIsCentredWithRoundEnds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QRect>("covered"); // the stroke is exactly this block
    // A 2-pixel dot on a point covers the two pixels on each side of it, both ways; the end
    // point is covered too.
    QTest::newRow("2 px one step down") << 2 << QPoint(5, 5) << QPoint(5, 6) << QRect(4, 4, 2, 3);
    QTest::newRow("2 px horizontal") << 2 << QPoint(2, 5) << QPoint(6, 5) << QRect(1, 4, 6, 2);
}

void TestGdiCanvas::widePenIsCentredWithRoundEnds()
{
    QFETCH(int, width);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QRect, covered);
    GdiCanvas canvas = blank(12, 12);
    canvas.selectPen(width, Ink);
    canvas.moveTo(from.x(), from.y());
    canvas.lineTo(to.x(), to.y());
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            QCOMPARE(canvas.pixel(x, y), covered.contains(x, y) ? Ink : White);
}

void TestGdiCanvas::fourPixelBandsTile()
{
    // Bands 4 apart cover two rows above and two below their line, the round ends reaching
    // one column past each end point but not further.
    GdiCanvas canvas = blank(20, 16);
    const QColor colors[] = {QColor(10, 0, 0), QColor(20, 0, 0), QColor(30, 0, 0)};
    for (int band = 0; band < 3; ++band) {
        canvas.selectPen(4, colors[band]);
        canvas.moveTo(4, 3 + 4 * band);
        canvas.lineTo(14, 3 + 4 * band);
    }
    for (int y = 1; y <= 12; ++y)
        QCOMPARE(canvas.pixel(9, y), colors[(y - 1) / 4]);
    QCOMPARE(canvas.pixel(9, 0), White);
    QCOMPARE(canvas.pixel(9, 13), White);
    QCOMPARE(canvas.pixel(2, 3), QColor(10, 0, 0)); // round start reaches past the point
    QCOMPARE(canvas.pixel(1, 3), White);
    QCOMPARE(canvas.pixel(15, 3), QColor(10, 0, 0)); // and past the end point
    QCOMPARE(canvas.pixel(16, 3), White);
    QCOMPARE(canvas.pixel(2, 1), White); // corners of the block are rounded off
}

void TestGdiCanvas::drawingOutsideIsClipped()
{
    GdiCanvas canvas = blank(4, 4);
    canvas.setPixel(-1, 0, Ink);
    canvas.setPixel(4, 4, Ink);
    canvas.selectPen(4, Ink);
    canvas.moveTo(-5, -5);
    canvas.lineTo(-4, -4);
    canvas.fillRect(-3, -3, 0, 0, Ink);
    QVERIFY(painted(canvas).isEmpty());
}

void TestGdiCanvas::measureWrapsAtWords()
{
    GdiCanvas canvas = blank(10, 10);
    canvas.setFont(testFont());
    const QFontMetrics metrics(testFont());
    const int oneWord = metrics.horizontalAdvance(u"Word"_s);
    const int lineHeight = metrics.height();

    GdiCanvas::Rect wide{0, 0, 1000, 10};
    QCOMPARE(canvas.drawText(u"Word Word Word"_s, wide,
                             GdiCanvas::CalcRect | GdiCanvas::WordBreak | GdiCanvas::Center),
             lineHeight);
    QCOMPARE(wide.bottom, lineHeight);

    GdiCanvas::Rect narrow{0, 0, oneWord + 2, 10};
    QCOMPARE(canvas.drawText(u"Word Word Word"_s, narrow,
                             GdiCanvas::CalcRect | GdiCanvas::WordBreak | GdiCanvas::Center),
             3 * lineHeight);

    GdiCanvas::Rect lines{0, 0, 1000, 10};
    QCOMPARE(canvas.drawText(u"one\r\ntwo"_s, lines, GdiCanvas::CalcRect | GdiCanvas::WordBreak),
             2 * lineHeight);
}

void TestGdiCanvas::singleAmpersandUnderlinesNextCharacter_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("marked");
    QTest::newRow("first") << u"&Save"_s << u"Save"_s << 0;
    QTest::newRow("middle") << u"Sa&ve"_s << u"Save"_s << 2;
    QTest::newRow("after doubled") << u"A&&B&c"_s << u"A&Bc"_s << 3;
}

void TestGdiCanvas::singleAmpersandUnderlinesNextCharacter()
{
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    QFETCH(int, marked);
    const QSize size(120, 30);
    GdiCanvas canvas = blank(size.width(), size.height());
    canvas.setFont(testFont());
    canvas.setTextColor(Ink);
    GdiCanvas::Rect rect{0, 4, size.width(), size.height()};
    canvas.drawText(caption, rect, GdiCanvas::WordBreak | GdiCanvas::Center);

    const QImage plain = plainLine(size, shown, 4);
    const QFontMetrics metrics(testFont());
    const int lineLeft = (size.width() - metrics.horizontalAdvance(shown)) / 2;
    const int markLeft = lineLeft + metrics.horizontalAdvance(shown.left(marked));
    const int markRight = markLeft + metrics.horizontalAdvance(shown.at(marked));
    QSet<int> rows;
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            if (canvas.pixel(x, y) == QColor(plain.pixel(x, y)))
                continue;
            ++differing;
            QCOMPARE(canvas.pixel(x, y), Ink);
            QVERIFY2(x >= markLeft && x < markRight, qPrintable(u"x %1"_s.arg(x)));
            rows.insert(y);
        }
    QVERIFY(differing > 0);
    QVERIFY(rows.size() <= std::max(1, metrics.lineWidth()));
}

void TestGdiCanvas::doubledAmpersandShowsOne()
{
    const QSize size(80, 24);
    GdiCanvas canvas = blank(size.width(), size.height());
    canvas.setFont(testFont());
    canvas.setTextColor(Ink);
    GdiCanvas::Rect rect{0, 2, size.width(), size.height()};
    canvas.drawText(u"A&&B"_s, rect, GdiCanvas::WordBreak | GdiCanvas::Center);
    QCOMPARE(canvas.image(), plainLine(size, u"A&B"_s, 2));
}

void TestGdiCanvas::trailingAmpersandShowsNothing()
{
    const QSize size(80, 24);
    GdiCanvas canvas = blank(size.width(), size.height());
    canvas.setFont(testFont());
    canvas.setTextColor(Ink);
    GdiCanvas::Rect rect{0, 2, size.width(), size.height()};
    canvas.drawText(u"Save&"_s, rect, GdiCanvas::WordBreak | GdiCanvas::Center);
    QCOMPARE(canvas.image(), plainLine(size, u"Save"_s, 2));
}

void TestGdiCanvas::emptyTextMeasuresZero()
{
    GdiCanvas canvas = blank(10, 10);
    GdiCanvas::Rect rect{0, 0, 10, 10};
    QCOMPARE(canvas.drawText(QString(), rect, GdiCanvas::CalcRect | GdiCanvas::WordBreak), 0);
    canvas.drawText(QString(), rect, GdiCanvas::WordBreak);
    QVERIFY(painted(canvas).isEmpty());
}

QTEST_MAIN(TestGdiCanvas)
#include "tst_GdiCanvas.moc"
