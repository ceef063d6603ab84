// The XP button on a screen of device pixel ratio 2: this test runs with QT_SCALE_FACTOR=2.
#include "gui/widgets/TamskXpButton.h"
#include "gui/widgets/WindowLook.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QTest>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

class TestTamskXpButtonAtRatio2 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lookIsEnlargedCaptionIsDrawnAtDeviceResolution_data();
    void lookIsEnlargedCaptionIsDrawnAtDeviceResolution();
};

void TestTamskXpButtonAtRatio2::lookIsEnlargedCaptionIsDrawnAtDeviceResolution_data()
{
    QTest::addColumn<QString>("look");
    QTest::newRow("normal") << u"normal"_s;
    QTest::newRow("hover") << u"hover"_s;
    QTest::newRow("pressed") << u"pressed"_s;
    QTest::newRow("disabled") << u"disabled"_s;
}

// Every logical pixel outside the caption's rectangle shows as a 2 x 2 block of the pixel the
// button draws at ratio 1; inside it the caption has finer pixels than that.
void TestTamskXpButtonAtRatio2::lookIsEnlargedCaptionIsDrawnAtDeviceResolution()
{
    QFETCH(QString, look);
    QCursor::setPos(0, 0);
    QWidget window;
    window.resize(200, 80);
    auto* button = new TamskXpButton(&window);
    button->InitProperties({WindowLook::msSansSerif(), SystemColors::WindowFrame, {}});
    button->setCaption(u"&Качать"_s);
    button->setGeometry(20, 20, 121, 25);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(button->devicePixelRatioF(), 2.0);
    if (look == u"hover"_s)
        QTest::mouseMove(button, QPoint(10, 10));
    else if (look == u"pressed"_s)
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    else if (look == u"disabled"_s)
        button->setEnabled(false);
    QCOMPARE(button->state().IsHover, look == u"hover"_s);
    QCOMPARE(button->isPressedLook(), look == u"pressed"_s);

    const QImage ratio1 = button->backBuffer();
    const QImage shown = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(ratio1.size(), QSize(121, 25));
    QCOMPARE(shown.size(), QSize(242, 50));

    QFont font = button->font();
    font.setStyleStrategy(QFont::NoAntialias);
    const int textHeight = QFontMetrics(font).height();
    const int captionTop = int(std::nearbyint(12.5 - textHeight * 0.5));
    const int captionBottom = int(std::nearbyint(12.5 + textHeight * 0.5));
    int finer = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 121; ++x) {
            if (!button->mask().contains(QPoint(x, y)))
                continue;
            const QRgb block[] = {shown.pixel(2 * x, 2 * y), shown.pixel(2 * x + 1, 2 * y),
                                  shown.pixel(2 * x, 2 * y + 1), shown.pixel(2 * x + 1, 2 * y + 1)};
            const bool whole = std::all_of(std::begin(block), std::end(block),
                                           [&](QRgb rgb) { return rgb == block[0]; });
            if (y >= captionTop && y < captionBottom) {
                finer += !whole;
                continue;
            }
            QVERIFY2(whole && block[0] == ratio1.pixel(x, y),
                     qPrintable(u"logical pixel %1,%2"_s.arg(x).arg(y)));
        }
    QVERIFY2(finer > 10, qPrintable(u"%1 finer blocks in the caption"_s.arg(finer)));
    if (look == u"pressed"_s)
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestTamskXpButtonAtRatio2 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TamskXpButtonAtRatio2.moc"
