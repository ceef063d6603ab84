#include "gui/widgets/TamskXpButton.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QColor FrameBlue(0, 60, 116);
const QColor CornerLight(122, 149, 168);
const QColor CornerDark(37, 87, 131);
const QColor Red(255, 0, 0);
constexpr quint32 RedRef = 0x000000FF;
constexpr quint32 GreenRef = 0x0000FF00;

QColor background()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}

QColor at(const TamskXpButton& button, int x, int y)
{
    return QColor(button.backBuffer().pixel(x, y));
}

int countColor(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += QColor(image.pixel(x, y)) == color;
    return count;
}

QFont captionFont()
{
    return QFont(u"DejaVu Sans"_s, 8);
}

// A host window holding one button, shown offscreen.
struct Host {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QWidget* focusSink = new QWidget(window.get());
    TamskXpButton* button = nullptr;

    explicit Host(QSize size = QSize(75, 23), const QString& caption = QString())
    {
        QCursor::setPos(0, 0); // away from every window, so the first pointing is a real move
        // Something else takes the focus when the window opens, so the buttons start unfocused.
        focusSink->setFocusPolicy(Qt::StrongFocus);
        focusSink->setGeometry(0, 0, 4, 4);
        window->resize(size.width() + 60, size.height() + 60);
        window->move(50, 50);
        button = add(QPoint(30, 30), size, caption);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        focusSink->setFocus();
    }

    TamskXpButton* add(QPoint position, QSize size, const QString& caption)
    {
        auto* added = new TamskXpButton(window.get());
        AmbientProperties ambient;
        ambient.Font = captionFont();
        ambient.ForeColor = SystemColors::WindowFrame;
        added->InitProperties(ambient);
        added->setForeColor(SystemColors::WindowFrame);
        added->setCaption(caption);
        added->setGeometry(QRect(position, size));
        added->show();
        return added;
    }
};

// The normal look of a 75 x 23 button without caption, pixel by pixel.
QImage expectedNormalLook()
{
    const int w = 75;
    const int h = 23;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(background());
    for (int n = 0; n < 16; ++n)
        for (int x = 1; x <= 73; ++x)
            image.setPixel(x, 3 + n, QColor(255 - n, 255 - n, 253 - n).rgb());
    for (int x = 1; x <= 73; ++x) {
        image.setPixel(x, 19, QColor(236, 235, 230).rgb());
        image.setPixel(x, 20, QColor(226, 223, 214).rgb());
        image.setPixel(x, 21, QColor(214, 208, 197).rgb());
    }
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, FrameBlue.rgb());
        image.setPixel(x, h - 1, FrameBlue.rgb());
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, FrameBlue.rgb());
        image.setPixel(w - 1, y, FrameBlue.rgb());
    }
    const std::pair<QPoint, QColor> corners[] = {
        {{0, 1}, CornerLight},   {{1, 1}, CornerDark},   {{1, 0}, CornerLight},
        {{73, 0}, CornerLight},  {{73, 1}, CornerDark},  {{74, 1}, CornerLight},
        {{0, 21}, CornerLight},  {{1, 21}, CornerDark},  {{1, 22}, CornerLight},
        {{74, 21}, CornerLight}, {{73, 21}, CornerDark}, {{73, 22}, CornerLight}};
    for (const auto& [p, c] : corners)
        image.setPixel(p, c.rgb());
    return image;
}

// Records the nine events in the order they arrive.
struct EventLog {
    QStringList entries;

    explicit EventLog(TamskXpButton* button)
    {
        auto mouse = [this](const char* name) {
            return [this, name](qint16 b, qint16 s, float x, float y) {
                entries << u"%1(%2,%3,%4,%5)"_s.arg(QLatin1StringView(name))
                               .arg(b)
                               .arg(s)
                               .arg(x)
                               .arg(y);
            };
        };
        QObject::connect(button, &TamskXpButton::Click, button, [this] { entries << u"Click"_s; });
        QObject::connect(button, &TamskXpButton::MouseDown, button, mouse("MouseDown"));
        QObject::connect(button, &TamskXpButton::MouseMove, button, mouse("MouseMove"));
        QObject::connect(button, &TamskXpButton::MouseUp, button, mouse("MouseUp"));
        QObject::connect(button, &TamskXpButton::KeyPress, button,
                         [this](qint16 k) { entries << u"KeyPress(%1)"_s.arg(k); });
        QObject::connect(button, &TamskXpButton::KeyDown, button, [this](qint16 k, qint16 s) {
            entries << u"KeyDown(%1,%2)"_s.arg(k).arg(s);
        });
        QObject::connect(button, &TamskXpButton::KeyUp, button, [this](qint16 k, qint16 s) {
            entries << u"KeyUp(%1,%2)"_s.arg(k).arg(s);
        });
        QObject::connect(button, &TamskXpButton::MouseOver, button,
                         [this] { entries << u"MouseOver"_s; });
        QObject::connect(button, &TamskXpButton::MouseOut, button,
                         [this] { entries << u"MouseOut"_s; });
    }

    QStringList take() { return std::exchange(entries, {}); }
};

// Puts the cursor at a point of the widget, the way a real pointer gets there.
void pointAt(QWidget* widget, QPoint local)
{
    QTest::mouseMove(widget, local);
}

} // namespace

class TestTamskXpButton : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    // looks
    void normalLookPixelForPixel();
    void cornersAreCutAway_data();
    void cornersAreCutAway();
    void faceGradientStopsAfter24Rows();
    void pressedBandsStopAfter14Bands();
    void hoverLook();
    void focusLook();
    void hoverRingWinsOverFocusRing();
    void pressedLook();
    void disabledLook();
    void fiveRowsHigh();
    void captionIsCentredAndWraps();
    void captionColours_data();
    void captionColours();
    void emptyCaptionDrawsNothing();
    void windowFrameColourGivesDarkText();

    // behaviour
    void hoverRaisesMouseOverOnceThenLatches();
    void leavingRaisesOneMouseOut();
    void cutCornerCountsAsOutside();
    void windowOnTopCountsAsOutside();
    void leftClickSequence();
    void rightClickRaisesNoClick();
    void middleClickRaisesNoClick();
    void doubleClickSequence_data();
    void doubleClickSequence();
    void dragBackOverShowsPressedLookInHoverColour();
    void hoverComesBackAfterADragOffAndBack();
    void keyboardClick_data();
    void keyboardClick();
    void keyInBetweenCancelsKeyboardClick();
    void keysReportVirtualKeyCodes_data();
    void keysReportVirtualKeyCodes();
    void arrowsMoveFocus_data();
    void arrowsMoveFocus();
    void gainingFocusAfterKeyboardClickShowsPressedLook();
    void accessKeys_data();
    void accessKeys();
    void disabledIgnoresInput();
    void propertyWriteOrders();
    void writesThroughAWidgetPointer();
    void parentStateLeavesTheFlagAlone();
    void foreHoverShowsAtNextRepaint();

    // persistence
    void initPropertiesTakesAmbient();
    void persistenceRoundTrip();
    void readingRaisesNothingAndDrawsNothing();
    void defaultsAreNotStored();
    void missingForeHoverReadsForeColor();
};

void TestTamskXpButton::initTestCase()
{
    QApplication::setDoubleClickInterval(400);
}

// ---------------------------------------------------------------- looks

void TestTamskXpButton::normalLookPixelForPixel()
{
    Host host;
    const QImage expected = expectedNormalLook();
    const QImage& got = host.button->backBuffer();
    QCOMPARE(got.size(), QSize(75, 23));
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 75; ++x)
            QVERIFY2(got.pixel(x, y) == expected.pixel(x, y),
                     qPrintable(u"pixel %1,%2: %3 instead of %4"_s.arg(x).arg(y).arg(
                         QColor(got.pixel(x, y)).name(), QColor(expected.pixel(x, y)).name())));
}

void TestTamskXpButton::cornersAreCutAway_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("75x23") << QSize(75, 23);
    QTest::newRow("5 high") << QSize(40, 5);
    QTest::newRow("120x40") << QSize(120, 40);
}

void TestTamskXpButton::cornersAreCutAway()
{
    QFETCH(QSize, size);
    Host host(size);
    const QRegion mask = host.button->mask();
    const int w = size.width();
    const int h = size.height();
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1)})
        QVERIFY(!mask.contains(corner));
    for (const QPoint inside :
         {QPoint(1, 0), QPoint(0, 1), QPoint(w - 2, 0), QPoint(w - 1, 1), QPoint(0, h - 2),
          QPoint(1, h - 1), QPoint(w - 2, h - 1), QPoint(w - 1, h - 2), QPoint(w / 2, h / 2)})
        QVERIFY(mask.contains(inside));
    QCOMPARE(mask.boundingRect(), QRect(0, 0, w, h));
    // The corner pixels are still frame blue underneath the cut.
    QCOMPARE(at(*host.button, 0, 0), FrameBlue);
    QCOMPARE(at(*host.button, w - 1, h - 1), FrameBlue);
}

void TestTamskXpButton::faceGradientStopsAfter24Rows()
{
    Host host(QSize(40, 40));
    // Rows 3 to 35 are gradient rows 0 to 32; the three rows above the bottom frame are fixed.
    for (int y = 3; y <= 35; ++y) {
        const int k = std::min(y - 3, 24);
        QCOMPARE(at(*host.button, 20, y), QColor(255 - k, 255 - k, 253 - k));
    }
    QCOMPARE(at(*host.button, 20, 27), QColor(231, 231, 229));
    QCOMPARE(at(*host.button, 20, 26), QColor(232, 232, 230));
    QCOMPARE(at(*host.button, 20, 36), QColor(236, 235, 230));
    QCOMPARE(at(*host.button, 20, 37), QColor(226, 223, 214));
    QCOMPARE(at(*host.button, 20, 38), QColor(214, 208, 197));
}

void TestTamskXpButton::pressedBandsStopAfter14Bands()
{
    Host host(QSize(40, 80));
    host.button->setFocus();
    QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(20, 40));
    // Band b lies on rows 4b + 1 to 4b + 4; rows 1 and 2 and the two rows above the bottom frame
    // are fixed lines.
    for (int y = 3; y <= 76; ++y) {
        const int k = std::min((y - 1) / 4, 14);
        QCOMPARE(at(*host.button, 20, y), QColor(239 - k, 238 - k, 231 - k));
    }
    QCOMPARE(at(*host.button, 20, 57), QColor(225, 224, 217));
    QCOMPARE(at(*host.button, 20, 56), QColor(226, 225, 218));
    QCOMPARE(at(*host.button, 20, 1), QColor(209, 204, 192));
    QCOMPARE(at(*host.button, 20, 2), QColor(220, 216, 207));
    QCOMPARE(at(*host.button, 20, 77), QColor(234, 233, 227));
    QCOMPARE(at(*host.button, 20, 78), QColor(242, 241, 238));
    QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(20, 40));
}

void TestTamskXpButton::hoverLook()
{
    Host host;
    pointAt(host.button, QPoint(30, 10));
    QVERIFY(host.button->state().IsHover);
    const TamskXpButton& b = *host.button;
    QCOMPARE(at(b, 2, 1), QColor(255, 240, 207));
    QCOMPARE(at(b, 72, 1), QColor(255, 240, 207));
    QCOMPARE(at(b, 1, 1), CornerDark);
    QCOMPARE(at(b, 2, 2), QColor(253, 216, 137));
    QCOMPARE(at(b, 73, 2), QColor(254, 223, 154)); // outer side, gradient row 0
    QCOMPARE(at(b, 1, 2), QColor(254, 223, 154));
    QCOMPARE(at(b, 1, 3), QColor(253, 220, 147));
    QCOMPARE(at(b, 1, 20), QColor(238, 175, 42)); // outer side clamped after 16 rows
    QCOMPARE(at(b, 2, 3), QColor(252, 210, 121)); // inner side, gradient row 0
    QCOMPARE(at(b, 72, 4), QColor(251, 206, 113));
    QCOMPARE(at(b, 2, 20), QColor(243, 174, 49)); // inner side clamped after 9 rows
    QCOMPARE(at(b, 3, 20), QColor(243, 174, 49)); // row H - 3 in the last inner colour
    QCOMPARE(at(b, 73, 20), QColor(243, 174, 49));
    QCOMPARE(at(b, 2, 21), QColor(229, 151, 0));
    QCOMPARE(at(b, 72, 21), QColor(229, 151, 0));
    QCOMPARE(at(b, 73, 21), CornerDark);
    QCOMPARE(at(b, 30, 10), QColor(248, 248, 246)); // face row 7 untouched
    QCOMPARE(at(b, 30, 0), FrameBlue);
}

void TestTamskXpButton::focusLook()
{
    Host host;
    host.button->setFocus();
    QVERIFY(host.button->state().HasFocus);
    host.button->Repaint(0);
    const TamskXpButton& b = *host.button;
    QCOMPARE(at(b, 2, 1), QColor(206, 231, 251));
    QCOMPARE(at(b, 72, 1), QColor(206, 231, 251));
    QCOMPARE(at(b, 30, 2), QColor(188, 212, 246));
    QCOMPARE(at(b, 2, 21), QColor(77, 125, 193));
    QCOMPARE(at(b, 3, 21), QColor(97, 125, 229));
    QCOMPARE(at(b, 71, 21), QColor(97, 125, 229));
    QCOMPARE(at(b, 72, 21), QColor(77, 125, 193));
    // Row H - 3 after 17 side rows: 186 - 68, 211 - 51, 246 - 17.
    QCOMPARE(at(b, 1, 20), QColor(118, 160, 229));
    QCOMPARE(at(b, 72, 20), QColor(118, 160, 229));
    QCOMPARE(at(b, 73, 20), QColor(122, 163, 230)); // covered by the last side stroke
    // Two-pixel sides: columns 1-2 and 72-73 in the side gradient.
    const QColor side = at(b, 2, 10);
    QCOMPARE(at(b, 1, 10), side);
    QCOMPARE(at(b, 72, 10), side);
    QCOMPARE(at(b, 73, 10), side);
    QVERIFY(side.blue() > side.red() && side.blue() >= 228);
    QCOMPARE(at(b, 3, 10), QColor(248, 248, 246));
    QCOMPARE(at(b, 1, 1), CornerDark);
}

void TestTamskXpButton::hoverRingWinsOverFocusRing()
{
    Host host;
    host.button->setFocus();
    pointAt(host.button, QPoint(30, 10));
    QCOMPARE(at(*host.button, 10, 1), QColor(255, 240, 207));
    QCOMPARE(countColor(host.button->backBuffer(), QColor(206, 231, 251)), 0);
    pointAt(host.window.get(), QPoint(5, 5));
    QSignalSpy out(host.button, &TamskXpButton::MouseOut);
    QVERIFY(out.wait(1000));
    QCOMPARE(at(*host.button, 10, 1), QColor(206, 231, 251));
    QCOMPARE(countColor(host.button->backBuffer(), QColor(255, 240, 207)), 0);
}

void TestTamskXpButton::pressedLook()
{
    Host host;
    pointAt(host.button, QPoint(30, 10));
    QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(30, 10));
    const TamskXpButton& b = *host.button;
    QCOMPARE(at(b, 10, 1), QColor(209, 204, 192));
    QCOMPARE(at(b, 10, 2), QColor(220, 216, 207));
    QCOMPARE(at(b, 10, 3), QColor(239, 238, 231));
    QCOMPARE(at(b, 10, 5), QColor(238, 237, 230));
    QCOMPARE(at(b, 10, 20), QColor(234, 233, 227));
    QCOMPARE(at(b, 10, 21), QColor(242, 241, 238));
    QCOMPARE(at(b, 10, 0), FrameBlue);
    QCOMPARE(at(b, 1, 1), CornerDark);
    QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(30, 10));
    QCOMPARE(at(b, 10, 1), QColor(255, 240, 207)); // back to the hover look
}

void TestTamskXpButton::disabledLook()
{
    Host host(QSize(75, 23), u"Disabled"_s);
    host.button->setForeColor(RedRef);
    host.button->setForeHover(GreenRef);
    host.button->setEnabled(false);
    const TamskXpButton& b = *host.button;
    const QImage& image = b.backBuffer();
    QCOMPARE(countColor(image, FrameBlue), 0);
    QCOMPARE(countColor(image, Red), 0);
    QCOMPARE(countColor(image, QColor(0, 255, 0)), 0);
    QVERIFY(countColor(image, QColor(161, 161, 146)) > 10);
    QCOMPARE(at(b, 5, 5), QColor(245, 244, 234));
    QCOMPARE(at(b, 10, 0), QColor(201, 199, 186));
    QCOMPARE(at(b, 0, 0), QColor(201, 199, 186));
    const QColor a(216, 213, 199);
    const QColor c(234, 233, 222);
    const std::pair<QPoint, QColor> corners[] = {
        {{0, 1}, a},   {{1, 1}, a},   {{1, 0}, a},   {{1, 2}, c},   {{2, 1}, c},
        {{73, 0}, a},  {{73, 1}, a},  {{74, 1}, a},  {{72, 1}, c},  {{73, 2}, c},
        {{0, 21}, a},  {{1, 21}, a},  {{1, 22}, a},  {{1, 20}, c},  {{2, 21}, c},
        {{74, 21}, a}, {{73, 21}, a}, {{73, 22}, a}, {{73, 20}, c}, {{72, 21}, c}};
    for (const auto& [p, color] : corners)
        QCOMPARE(at(b, p.x(), p.y()), color);
    QVERIFY(!b.mask().contains(QPoint(0, 0)));
}

void TestTamskXpButton::fiveRowsHigh()
{
    Host host(QSize(75, 5), u"MM"_s);
    host.button->setForeColor(RedRef);
    const TamskXpButton& b = *host.button;
    QCOMPARE(at(b, 4, 1), QColor(236, 235, 230));
    QCOMPARE(at(b, 4, 2), QColor(226, 223, 214));
    QCOMPARE(at(b, 70, 3), QColor(214, 208, 197));
    QCOMPARE(at(b, 4, 0), FrameBlue);
    QCOMPARE(at(b, 70, 4), FrameBlue);
    QVERIFY(countColor(b.backBuffer(), Red) > 0); // the caption, clipped to the button
    QCOMPARE(at(b, 1, 1), CornerDark);
    QCOMPARE(at(b, 1, 3), CornerDark);
    QCOMPARE(at(b, 0, 3), CornerLight);
    QCOMPARE(countColor(b.backBuffer(), QColor(255, 255, 253)), 0);
    QVERIFY(!b.mask().contains(QPoint(74, 4)));
    QVERIFY(b.mask().contains(QPoint(74, 3)));
}

void TestTamskXpButton::captionIsCentredAndWraps()
{
    QFont font = captionFont();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const int lineHeight = metrics.height();
    const QStringList lines{u"one two"_s, u"three"_s, u"four"_s};
    const int w = metrics.horizontalAdvance(lines[0]) + 4;
    QVERIFY(metrics.horizontalAdvance(u"one two three"_s) > w);
    QVERIFY(metrics.horizontalAdvance(u"three four"_s) > w);
    Host host(QSize(w, 80), u"one two three four"_s);
    host.button->setForeColor(RedRef);
    const QImage& image = host.button->backBuffer();
    const int h = int(lines.size()) * lineHeight;
    const int top = int(std::nearbyint(40 - h * 0.5));
    for (int i = 0; i < lines.size(); ++i) {
        int left = w;
        int right = -1;
        for (int y = top + i * lineHeight; y < top + (i + 1) * lineHeight; ++y)
            for (int x = 0; x < w; ++x)
                if (QColor(image.pixel(x, y)) == Red) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QVERIFY2(right >= 0, qPrintable(lines[i]));
        const int expectedLeft = (w - metrics.horizontalAdvance(lines[i])) / 2;
        QVERIFY(left >= expectedLeft - 1 && left <= expectedLeft + 3);
        QVERIFY(std::abs(left - (w - 1 - right)) <= 4);
    }
    for (int y = 0; y < 80; ++y)
        if (y < top || y >= top + h)
            for (int x = 0; x < w; ++x)
                QVERIFY(QColor(image.pixel(x, y)) != Red);
}

void TestTamskXpButton::captionColours_data()
{
    QTest::addColumn<bool>("hover");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("normal") << false << false << Red;
    QTest::newRow("hover") << true << false << QColor(0, 255, 0);
    QTest::newRow("pressed under cursor") << true << true << QColor(0, 255, 0);
}

void TestTamskXpButton::captionColours()
{
    QFETCH(bool, hover);
    QFETCH(bool, pressed);
    QFETCH(QColor, expected);
    Host host(QSize(75, 23), u"MMMM"_s);
    host.button->setForeColor(RedRef);
    host.button->setForeHover(GreenRef);
    host.button->Repaint(0);
    if (hover)
        pointAt(host.button, QPoint(30, 10));
    if (pressed)
        QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(30, 10));
    const QImage& image = host.button->backBuffer();
    QVERIFY(countColor(image, expected) > 10);
    QCOMPARE(countColor(image, expected == Red ? QColor(0, 255, 0) : Red), 0);
    if (pressed)
        QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(30, 10));
}

void TestTamskXpButton::emptyCaptionDrawsNothing()
{
    Host host;
    QCOMPARE(host.button->backBuffer(), expectedNormalLook());
    host.button->setCaption(u"x"_s);
    QVERIFY(host.button->backBuffer() != expectedNormalLook());
    host.button->setCaption(QString());
    QCOMPARE(host.button->backBuffer(), expectedNormalLook());
}

void TestTamskXpButton::windowFrameColourGivesDarkText()
{
    Host host(QSize(75, 23), u"MMMM"_s);
    QCOMPARE(host.button->ForeColor(), SystemColors::WindowFrame);
    const QColor text = QApplication::palette().color(QPalette::Active, QPalette::Text);
    QVERIFY(text.lightness() < 80);
    QVERIFY(countColor(host.button->backBuffer(), text) > 10);
}

// ---------------------------------------------------------------- behaviour

void TestTamskXpButton::hoverRaisesMouseOverOnceThenLatches()
{
    Host host;
    EventLog log(host.button);
    pointAt(host.button, QPoint(10, 10));
    QCOMPARE(log.take(), (QStringList{u"MouseOver"_s, u"MouseMove(0,0,10,10)"_s}));
    QVERIFY(host.button->isHoverTimerActive());
    pointAt(host.button, QPoint(12, 10));
    QCOMPARE(log.take(), QStringList{u"MouseMove(0,0,12,10)"_s});
    QCOMPARE(host.button->state().MoveLatch, 1);
    pointAt(host.button, QPoint(14, 11));
    pointAt(host.button, QPoint(16, 12));
    QCOMPARE(log.take(), QStringList{});
}

void TestTamskXpButton::leavingRaisesOneMouseOut()
{
    Host host;
    EventLog log(host.button);
    pointAt(host.button, QPoint(10, 10));
    pointAt(host.button, QPoint(11, 10));
    log.take();
    pointAt(host.window.get(), QPoint(5, 5));
    QSignalSpy out(host.button, &TamskXpButton::MouseOut);
    QVERIFY(out.wait(1000));
    QVERIFY(!host.button->isHoverTimerActive());
    QVERIFY(!host.button->state().IsHover);
    QCOMPARE(host.button->state().MoveLatch, 0);
    QCOMPARE(at(*host.button, 10, 1), background());
    QTest::qWait(350);
    QCOMPARE(log.take(), QStringList{u"MouseOut"_s});
}

void TestTamskXpButton::cutCornerCountsAsOutside()
{
    Host host;
    pointAt(host.button, QPoint(10, 10));
    QSignalSpy out(host.button, &TamskXpButton::MouseOut);
    QCursor::setPos(host.button->mapToGlobal(QPoint(74, 22)));
    QVERIFY(out.wait(1000));
    QCOMPARE(out.count(), 1);
}

void TestTamskXpButton::windowOnTopCountsAsOutside()
{
    Host host;
    pointAt(host.button, QPoint(10, 10));
    QSignalSpy out(host.button, &TamskXpButton::MouseOut);
    auto* cover = new QWidget(host.window.get());
    cover->setGeometry(QRect(host.button->mapTo(host.window.get(), QPoint(40, 5)), QSize(20, 10)));
    cover->show();
    cover->raise();
    QVERIFY(!out.wait(250)); // still over the button itself
    QCursor::setPos(host.button->mapToGlobal(QPoint(45, 10)));
    QVERIFY(out.wait(1000));
    QCOMPARE(out.count(), 1);
}

void TestTamskXpButton::leftClickSequence()
{
    Host host;
    pointAt(host.button, QPoint(10, 10));
    EventLog log(host.button);
    QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(at(*host.button, 10, 1), QColor(209, 204, 192));
    QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(at(*host.button, 10, 1), QColor(255, 240, 207));
    QCOMPARE(log.take(),
             (QStringList{u"MouseDown(1,0,10,10)"_s, u"MouseUp(1,0,10,10)"_s, u"Click"_s}));
    QCOMPARE(host.button->state().LastButton, 1);
}

void TestTamskXpButton::rightClickRaisesNoClick()
{
    Host host;
    pointAt(host.button, QPoint(10, 10));
    EventLog log(host.button);
    QTest::mousePress(host.button, Qt::RightButton, Qt::ShiftModifier, QPoint(20, 7));
    QCOMPARE(at(*host.button, 10, 1), QColor(255, 240, 207));
    QTest::mouseRelease(host.button, Qt::RightButton, Qt::ShiftModifier, QPoint(20, 7));
    QCOMPARE(log.take(), (QStringList{u"MouseDown(2,1,20,7)"_s, u"MouseUp(2,1,20,7)"_s}));
}

void TestTamskXpButton::middleClickRaisesNoClick()
{
    Host host;
    EventLog log(host.button);
    QTest::mousePress(host.button, Qt::MiddleButton, Qt::ControlModifier, QPoint(20, 7));
    QCOMPARE(countColor(host.button->backBuffer(), QColor(209, 204, 192)), 0);
    QTest::mouseRelease(host.button, Qt::MiddleButton, Qt::ControlModifier, QPoint(20, 7));
    QCOMPARE(log.take(), (QStringList{u"MouseDown(4,2,20,7)"_s, u"MouseUp(4,2,20,7)"_s}));
}

void TestTamskXpButton::doubleClickSequence_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("left") << Qt::LeftButton
                          << QStringList{u"MouseDown(1,0,10,10)"_s, u"MouseUp(1,0,10,10)"_s,
                                         u"Click"_s, u"MouseDown(1,0,0,0)"_s,
                                         u"MouseUp(1,0,10,10)"_s};
    // Only a double-click that follows a left press is a press of its own.
    QTest::newRow("right") << Qt::RightButton
                           << QStringList{u"MouseDown(2,0,10,10)"_s, u"MouseUp(2,0,10,10)"_s,
                                          u"MouseUp(2,0,10,10)"_s};
    QTest::newRow("middle") << Qt::MiddleButton
                            << QStringList{u"MouseDown(4,0,10,10)"_s, u"MouseUp(4,0,10,10)"_s,
                                           u"MouseUp(4,0,10,10)"_s};
}

void TestTamskXpButton::doubleClickSequence()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QStringList, expected);
    Host host;
    EventLog log(host.button);
    QTest::mousePress(host.button, button, {}, QPoint(10, 10));
    QTest::mouseRelease(host.button, button, {}, QPoint(10, 10));
    QTest::mouseDClick(host.button, button, {}, QPoint(10, 10));
    const bool left = button == Qt::LeftButton;
    QCOMPARE(at(*host.button, 10, 1) == QColor(209, 204, 192), left); // the pressed look
    QTest::mouseRelease(host.button, button, {}, QPoint(10, 10));
    QCOMPARE(log.take(), expected);
}

void TestTamskXpButton::dragBackOverShowsPressedLookInHoverColour()
{
    Host host(QSize(75, 23), u"MMMM"_s);
    host.button->setForeColor(RedRef);
    host.button->setForeHover(GreenRef);
    EventLog log(host.button);
    QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    log.take();
    // Dragged off the button with the latch still clear: nothing happens.
    QCursor::setPos(host.window->mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(host.button, QPoint(-20, -20));
    QCOMPARE(log.take(), QStringList{});
    // Back over it: pressed look with the caption in the hover colour.
    QCursor::setPos(host.button->mapToGlobal(QPoint(12, 10)));
    QTest::mouseMove(host.button, QPoint(12, 10));
    QCOMPARE(log.take(), QStringList{u"MouseMove(1,0,12,10)"_s});
    QCOMPARE(at(*host.button, 10, 1), QColor(209, 204, 192));
    QVERIFY(countColor(host.button->backBuffer(), QColor(0, 255, 0)) > 10);
    QVERIFY(!host.button->state().IsHover);
    QVERIFY(!host.button->isHoverTimerActive());
    // Off again with the latch set: the plain look comes back and the move is reported.
    QCursor::setPos(host.window->mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(host.button, QPoint(-20, -20));
    QCOMPARE(log.take(), QStringList{u"MouseMove(1,0,-20,-20)"_s});
    QCOMPARE(at(*host.button, 10, 1), QColor(206, 231, 251)); // the press gave it the focus
    QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(-20, -20));
    QCOMPARE(log.take(), QStringList{u"MouseUp(1,0,-20,-20)"_s});
}

// Dragged off long enough for the hover to end, then back and released: the latch set by the
// drag back must not keep the hover away for good.
void TestTamskXpButton::hoverComesBackAfterADragOffAndBack()
{
    Host host;
    pointAt(host.button, QPoint(10, 10));
    QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QSignalSpy out(host.button, &TamskXpButton::MouseOut);
    QCursor::setPos(host.window->mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(host.button, QPoint(-20, -20));
    QVERIFY(out.wait(1000));
    QCursor::setPos(host.button->mapToGlobal(QPoint(12, 10)));
    QTest::mouseMove(host.button, QPoint(12, 10));
    QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(12, 10));
    EventLog log(host.button);
    pointAt(host.button, QPoint(14, 10));
    QCOMPARE(log.take(), (QStringList{u"MouseOver"_s, u"MouseMove(0,0,14,10)"_s}));
    QCOMPARE(at(*host.button, 10, 1), QColor(255, 240, 207));
    QVERIFY(host.button->isHoverTimerActive());
    // And it ends as a hover does.
    pointAt(host.window.get(), QPoint(5, 5));
    QVERIFY(out.wait(1000));
    QCOMPARE(log.take(), QStringList{u"MouseOut"_s});
}

void TestTamskXpButton::keyboardClick_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("space") << int(Qt::Key_Space)
                           << u"KeyDown(32,0) KeyPress(32) Click KeyUp(32,0)"_s;
    QTest::newRow("enter") << int(Qt::Key_Return)
                           << u"KeyDown(13,0) KeyPress(13) Click KeyUp(13,0)"_s;
    QTest::newRow("letter") << int(Qt::Key_A) << u"KeyDown(65,0) KeyPress(97) KeyUp(65,0)"_s;
}

void TestTamskXpButton::keyboardClick()
{
    QFETCH(int, key);
    QFETCH(QString, expected);
    Host host;
    host.button->setFocus();
    EventLog log(host.button);
    // Never clicked before: the press keeps the focus look.
    QTest::keyPress(host.button, Qt::Key(key));
    QCOMPARE(at(*host.button, 10, 1), QColor(206, 231, 251));
    QTest::keyRelease(host.button, Qt::Key(key));
    QCOMPARE(log.take().join(u' '), expected);
    QCOMPARE(at(*host.button, 10, 1), QColor(206, 231, 251));
    // After a click the same key shows the pressed look while it is down.
    QTest::mouseClick(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    log.take();
    QTest::keyPress(host.button, Qt::Key(key));
    const bool clicking = key != Qt::Key_A;
    QCOMPARE(at(*host.button, 10, 1), clicking ? QColor(209, 204, 192) : QColor(206, 231, 251));
    QTest::keyRelease(host.button, Qt::Key(key));
    QCOMPARE(log.take().join(u' '), expected);
}

void TestTamskXpButton::keyInBetweenCancelsKeyboardClick()
{
    Host host;
    host.button->setFocus();
    EventLog log(host.button);
    QTest::keyPress(host.button, Qt::Key_Space);
    QTest::keyPress(host.button, Qt::Key_Return);
    QTest::keyRelease(host.button, Qt::Key_Space);
    QTest::keyRelease(host.button, Qt::Key_Return);
    QCOMPARE(
        log.take().join(u' '),
        u"KeyDown(32,0) KeyPress(32) KeyDown(13,0) KeyPress(13) KeyUp(32,0) Click KeyUp(13,0)"_s);
}

void TestTamskXpButton::keysReportVirtualKeyCodes_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("expected");
    const auto row = [](const char* name, int key, const QString& text, int expected,
                        bool keypad = false) {
        QTest::newRow(name) << key << text << keypad << expected;
    };
    row("F5", Qt::Key_F5, {}, 0x74);
    row("Enter", Qt::Key_Return, u"\r"_s, 13);
    row("Windows key", Qt::Key_Meta, {}, 0x5B);
    row("Caps Lock", Qt::Key_CapsLock, {}, 0x14);
    row("keypad 0", Qt::Key_0, u"0"_s, 0x60, true);
    row("keypad 9", Qt::Key_9, u"9"_s, 0x69, true);
    row("keypad *", Qt::Key_Asterisk, u"*"_s, 0x6A, true);
    row("keypad +", Qt::Key_Plus, u"+"_s, 0x6B, true);
    row("keypad -", Qt::Key_Minus, u"-"_s, 0x6D, true);
    row("keypad .", Qt::Key_Period, u"."_s, 0x6E, true);
    row("keypad , of a Russian layout", Qt::Key_Comma, u","_s, 0x6E, true);
    row("keypad /", Qt::Key_Slash, u"/"_s, 0x6F, true);
    row("keypad Enter", Qt::Key_Enter, u"\r"_s, 13, true);
    row("keypad 7 without Num Lock", Qt::Key_Home, {}, 36, true);
    row("apostrophe, keysym of Right", Qt::Key_Apostrophe, u"'"_s, 0xDE);
    row("percent, keysym of Left", Qt::Key_Percent, u"%"_s, '5');
    row("ampersand, keysym of Up", Qt::Key_Ampersand, u"&"_s, '7');
    row("parenthesis, keysym of Down", Qt::Key_ParenLeft, u"("_s, '9');
    row("minus", Qt::Key_Minus, u"-"_s, 0xBD);
    row("equals", Qt::Key_Equal, u"="_s, 0xBB);
    row("bracket", Qt::Key_BracketLeft, u"["_s, 0xDB);
    row("backslash", Qt::Key_Backslash, u"\\"_s, 0xDC);
    row("semicolon", Qt::Key_Semicolon, u";"_s, 0xBA);
    row("comma", Qt::Key_Comma, u","_s, 0xBC);
    row("question mark", Qt::Key_Question, u"?"_s, 0xBF);
    row("grave", Qt::Key_QuoteLeft, u"`"_s, 0xC0);
    row("Й", 0x419, u"й"_s, 'Q');
    row("Х", 0x425, u"х"_s, 0xDB);
    row("Ж", 0x416, u"ж"_s, 0xBA);
    row("Б", 0x411, u"б"_s, 0xBC);
    row("Ю", 0x42E, u"ю"_s, 0xBE);
    row("Ё", 0x401, u"ё"_s, 0xC0);
    row("Ukrainian І", 0x406, u"і"_s, 'S');
    row("Cyrillic by its text alone", 0, u"я"_s, 'Z');
    row("a key Windows lacks", Qt::Key_Calculator, {}, 0);
    row("a character Windows keys lack", 0xC9, u"é"_s, 0);
}

// Keys come as X11 delivers them, with a native code of the platform's own (the keysym, which for
// '%' equals the Left arrow's virtual key): it must neither come through nor move the focus.
void TestTamskXpButton::keysReportVirtualKeyCodes()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(bool, keypad);
    QFETCH(int, expected);
    Host host;
    host.button->setFocus();
    QSignalSpy down(host.button, &TamskXpButton::KeyDown);
    QSignalSpy up(host.button, &TamskXpButton::KeyUp);
    const Qt::KeyboardModifiers modifiers = keypad ? Qt::KeypadModifier : Qt::NoModifier;
    const quint32 nativeCode = quint32(key) & 0xFFFF;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, 0, nativeCode, 0, text);
    QApplication::sendEvent(host.button, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, 0, nativeCode, 0, text);
    QApplication::sendEvent(host.button, &release);
    QCoreApplication::processEvents();
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).value<qint16>(), qint16(expected));
    QCOMPARE(up.at(0).at(0).value<qint16>(), qint16(expected));
    QVERIFY(host.button->hasFocus());
}

void TestTamskXpButton::arrowsMoveFocus_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("keyCode");
    QTest::addColumn<int>("expectedIndex");
    QTest::newRow("right") << int(Qt::Key_Right) << 39 << 2;
    QTest::newRow("left") << int(Qt::Key_Left) << 37 << 2;
    QTest::newRow("down") << int(Qt::Key_Down) << 40 << 0;
    QTest::newRow("up") << int(Qt::Key_Up) << 38 << 0;
}

void TestTamskXpButton::arrowsMoveFocus()
{
    QFETCH(int, key);
    QFETCH(int, keyCode);
    QFETCH(int, expectedIndex);
    Host host;
    TamskXpButton* buttons[] = {host.add(QPoint(0, 0), QSize(20, 20), u"a"_s), host.button,
                                host.add(QPoint(110, 0), QSize(20, 20), u"c"_s)};
    QWidget::setTabOrder(buttons[0], buttons[1]);
    QWidget::setTabOrder(buttons[1], buttons[2]);
    host.window->activateWindow();
    buttons[1]->setFocus();
    QVERIFY(buttons[1]->hasFocus());
    QSignalSpy down(buttons[1], &TamskXpButton::KeyDown);
    QTest::keyPress(buttons[1], Qt::Key(key));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(0).value<qint16>(), qint16(keyCode));
    QTRY_VERIFY(buttons[expectedIndex]->hasFocus());
    QVERIFY(!buttons[1]->state().HasFocus);
    QTest::keyRelease(buttons[expectedIndex], Qt::Key(key));
}

void TestTamskXpButton::gainingFocusAfterKeyboardClickShowsPressedLook()
{
    Host host;
    auto* other = host.add(QPoint(0, 0), QSize(20, 20), u"o"_s);
    host.window->activateWindow();
    host.button->setFocus();
    QCOMPARE(at(*host.button, 10, 1), QColor(206, 231, 251)); // never pressed yet: focus ring
    QTest::keyClick(host.button, Qt::Key_Space);
    other->setFocus();
    QCOMPARE(at(*host.button, 10, 1), background());
    host.button->setFocus();
    QCOMPARE(at(*host.button, 10, 1), QColor(209, 204, 192));
}

void TestTamskXpButton::accessKeys_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessKey");
    QTest::addColumn<int>("key");
    QTest::newRow("first letter") << u"&Save"_s << u"s"_s << int(Qt::Key_S);
    QTest::newRow("upper case marked") << u"Sa&Ve"_s << u"v"_s << int(Qt::Key_V);
    QTest::newRow("after doubled") << u"A && B &Go"_s << u"g"_s << int(Qt::Key_G);
    QTest::newRow("last character") << u"Go&"_s << QString() << int(Qt::Key_G);
    QTest::newRow("doubled only") << u"A && B"_s << QString() << int(Qt::Key_B);
    QTest::newRow("second doubled") << u"A && B && &C"_s << QString() << int(Qt::Key_C);
    QTest::newRow("doubled then last") << u"A && B&"_s << QString() << int(Qt::Key_B);
    QTest::newRow("one character") << u"&"_s << QString() << int(Qt::Key_A);
    QTest::newRow("no ampersand") << u"Save"_s << QString() << int(Qt::Key_S);
    QTest::newRow("digit") << u"Page &2"_s << u"2"_s << int(Qt::Key_2);
    QTest::newRow("cyrillic") << u"&Выход"_s << u"в"_s << int(0x412);
}

void TestTamskXpButton::accessKeys()
{
    QFETCH(QString, caption);
    QFETCH(QString, accessKey);
    QFETCH(int, key);
    Host host(QSize(75, 23), caption);
    QCOMPARE(host.button->AccessKeys(), accessKey);
    auto* other = host.add(QPoint(0, 0), QSize(20, 20), u"o"_s);
    host.window->activateWindow();
    other->setFocus();
    EventLog log(host.button);
    const QString lower = QString(QChar(key)).toLower();
    QTest::sendKeyEvent(QTest::Click, other, Qt::Key(key), lower, Qt::AltModifier);
    QTest::sendKeyEvent(QTest::Click, other, Qt::Key(key), lower.toUpper(),
                        Qt::AltModifier | Qt::ShiftModifier);
    const QStringList expected =
        accessKey.isEmpty() ? QStringList{} : QStringList{u"Click"_s, u"Click"_s};
    QCOMPARE(log.take(), expected);
    QTest::sendKeyEvent(QTest::Click, other, Qt::Key(key), lower, Qt::NoModifier);
    QCOMPARE(log.take(), QStringList{});
    if (!accessKey.isEmpty())
        QCOMPARE(host.button->state().LastButton, 1);
}

void TestTamskXpButton::disabledIgnoresInput()
{
    Host host(QSize(75, 23), u"&Go"_s);
    host.button->setFocus();
    host.button->setEnabled(false);
    QVERIFY(!host.button->isEnabled());
    QVERIFY(!host.button->hasFocus());
    EventLog log(host.button);
    QTest::mouseClick(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(host.window.get(), Qt::Key_G, Qt::AltModifier);
    pointAt(host.button, QPoint(10, 10));
    QCOMPARE(log.take(), QStringList{});
    QCOMPARE(at(*host.button, 10, 10), QColor(245, 244, 234));
    host.button->setEnabled(true);
    QTest::mouseClick(host.button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(log.take().contains(u"Click"_s));
}

void TestTamskXpButton::propertyWriteOrders()
{
    Host host;
    TamskXpButton* b = host.button;
    QStringList seen;
    connect(b, &TamskXpButton::PropertyChanged, b, [&](const QString& name) {
        if (name == u"Enabled"_s) // flag set after the window switched, not yet repainted
            seen << u"Enabled flag=%1 window=%2 disabledLook=%3"_s.arg(b->Enabled())
                        .arg(b->isEnabled())
                        .arg(at(*b, 10, 10) == QColor(245, 244, 234));
        else if (name == u"Caption"_s) // repainted and access key taken before
            seen << u"Caption key=%1 drawn=%2"_s.arg(b->AccessKeys())
                        .arg(b->backBuffer() != expectedNormalLook());
        else if (name == u"ForeColor"_s)
            seen << u"ForeColor drawn=%1"_s.arg(countColor(b->backBuffer(), Red) > 0);
        else if (name == u"Font"_s)
            seen << u"Font drawn=%1"_s.arg(countColor(b->backBuffer(), Red) > 40);
        else
            seen << name;
    });
    b->setEnabled(false);
    b->setEnabled(true);
    b->setCaption(u"&MM"_s);
    b->setForeColor(RedRef);
    QFont big = captionFont();
    big.setPointSize(14);
    b->setFont(big);
    const QImage before = b->backBuffer();
    b->setForeHover(GreenRef);
    QCOMPARE(b->backBuffer(), before);
    QCOMPARE(seen,
             (QStringList{u"Enabled flag=0 window=0 disabledLook=0"_s,
                          u"Enabled flag=1 window=1 disabledLook=1"_s, u"Caption key=m drawn=1"_s,
                          u"ForeColor drawn=1"_s, u"Font drawn=1"_s, u"ForeHover"_s}));
}

// The same rules when the caller knows only a QWidget.
void TestTamskXpButton::writesThroughAWidgetPointer()
{
    Host host(QSize(75, 23), u"MMMM"_s);
    host.button->setForeColor(RedRef);
    QWidget* widget = host.button;
    QSignalSpy changes(host.button, &TamskXpButton::PropertyChanged);
    widget->setEnabled(false);
    QCOMPARE(changes.takeFirst().at(0).toString(), u"Enabled"_s);
    QVERIFY(!host.button->Enabled());
    QCOMPARE(at(*host.button, 5, 5), QColor(245, 244, 234));
    widget->setEnabled(true);
    QCOMPARE(changes.takeFirst().at(0).toString(), u"Enabled"_s);
    QVERIFY(host.button->Enabled());
    QCOMPARE(at(*host.button, 5, 5), QColor(253, 253, 251));
    const int smallCaption = countColor(host.button->backBuffer(), Red);
    QFont big = captionFont();
    big.setPointSize(14);
    widget->setFont(big);
    QCOMPARE(changes.takeFirst().at(0).toString(), u"Font"_s);
    QVERIFY(countColor(host.button->backBuffer(), Red) > smallCaption);
    QCOMPARE(changes.count(), 0);
}

void TestTamskXpButton::parentStateLeavesTheFlagAlone()
{
    Host host;
    QSignalSpy changes(host.button, &TamskXpButton::PropertyChanged);
    host.window->setEnabled(false);
    QVERIFY(!host.button->isEnabled());
    QVERIFY(host.button->Enabled());
    QCOMPARE(at(*host.button, 5, 5), QColor(253, 253, 251)); // not the disabled look
    host.window->setEnabled(true);
    QVERIFY(host.button->Enabled());
    host.button->setEnabled(false);
    host.window->setEnabled(false);
    host.window->setEnabled(true);
    QVERIFY(!host.button->isEnabled());
    QVERIFY(!host.button->Enabled());
    QCOMPARE(changes.count(), 1);
}

void TestTamskXpButton::foreHoverShowsAtNextRepaint()
{
    Host host(QSize(75, 23), u"MMMM"_s);
    host.button->setForeHover(RedRef);
    pointAt(host.button, QPoint(10, 10));
    QVERIFY(countColor(host.button->backBuffer(), Red) > 10);
    host.button->setForeHover(GreenRef);
    QCOMPARE(countColor(host.button->backBuffer(), QColor(0, 255, 0)), 0);
    host.button->Repaint(0);
    QVERIFY(countColor(host.button->backBuffer(), QColor(0, 255, 0)) > 10);
    QCOMPARE(countColor(host.button->backBuffer(), Red), 0);
}

// ---------------------------------------------------------------- persistence

void TestTamskXpButton::initPropertiesTakesAmbient()
{
    TamskXpButton button;
    QSignalSpy changes(&button, &TamskXpButton::PropertyChanged);
    AmbientProperties ambient;
    ambient.Font = QFont(u"DejaVu Serif"_s, 11);
    ambient.DisplayName = u"TamskXpButton1"_s;
    ambient.ForeColor = RedRef;
    button.InitProperties(ambient);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(button.Caption(), u"TamskXpButton1"_s);
    QCOMPARE(button.Font(), ambient.Font);
    QVERIFY(button.Enabled());
    QCOMPARE(button.ForeHover(), 0u);
    QCOMPARE(button.AccessKeys(), QString());
}

void TestTamskXpButton::persistenceRoundTrip()
{
    AmbientProperties ambient;
    ambient.Font = captionFont();
    ambient.DisplayName = u"Down"_s;
    ambient.ForeColor = SystemColors::WindowText;
    TamskXpButton saved;
    saved.InitProperties(ambient);
    QFont font(u"DejaVu Serif"_s, 10);
    font.setBold(true);
    saved.setFont(font);
    saved.setCaption(u"&Скачать"_s);
    saved.setForeColor(SystemColors::WindowFrame);
    saved.setForeHover(0x00FF8000);
    saved.setEnabled(false);
    PropertyBag bag;
    saved.WriteProperties(bag, ambient);
    QCOMPARE(bag.keys(),
             (QStringList{u"caption"_s, u"enabled"_s, u"font"_s, u"forecolor"_s, u"forehover"_s}));

    TamskXpButton loaded;
    loaded.ReadProperties(bag, ambient);
    QCOMPARE(loaded.Enabled(), false);
    QVERIFY(!loaded.isEnabled());
    QCOMPARE(loaded.Font(), font);
    QCOMPARE(loaded.Caption(), u"&Скачать"_s);
    QCOMPARE(loaded.AccessKeys(), u"с"_s);
    QCOMPARE(loaded.ForeColor(), SystemColors::WindowFrame);
    QCOMPARE(loaded.ForeHover(), 0x00FF8000u);
}

void TestTamskXpButton::readingRaisesNothingAndDrawsNothing()
{
    Host host;
    PropertyBag bag;
    bag.WriteProperty(u"enabled"_s, false);
    bag.WriteProperty(u"font"_s, QFont(u"DejaVu Serif"_s, 14));
    QSignalSpy changes(host.button, &TamskXpButton::PropertyChanged);
    host.button->ReadProperties(bag, AmbientProperties());
    QCOMPARE(changes.count(), 0);
    QVERIFY(!host.button->Enabled());
    QVERIFY(!host.button->isEnabled());
    QCOMPARE(host.button->Font(), QFont(u"DejaVu Serif"_s, 14));
    QCOMPARE(host.button->backBuffer(), expectedNormalLook()); // the host repaints when it wants
}

void TestTamskXpButton::defaultsAreNotStored()
{
    AmbientProperties ambient;
    ambient.Font = captionFont();
    ambient.DisplayName = u"OK"_s;
    ambient.ForeColor = SystemColors::WindowText;
    TamskXpButton saved;
    saved.InitProperties(ambient);
    saved.setForeColor(RedRef);
    saved.setForeHover(SystemColors::WindowText);
    PropertyBag bag;
    saved.WriteProperties(bag, ambient);
    // Only ForeColor is always written.
    QCOMPARE(bag.keys(), QStringList{u"forecolor"_s});
    TamskXpButton loaded;
    loaded.ReadProperties(bag, ambient);
    QVERIFY(loaded.Enabled());
    QCOMPARE(loaded.Caption(), u"OK"_s);
    QCOMPARE(loaded.Font(), ambient.Font);
    QCOMPARE(loaded.ForeColor(), RedRef);
    // A hover colour equal to the host's colour was left out and now reads as ForeColor.
    QCOMPARE(loaded.ForeHover(), RedRef);
}

void TestTamskXpButton::missingForeHoverReadsForeColor()
{
    PropertyBag bag;
    bag.WriteProperty(u"forecolor"_s, SystemColors::WindowFrame);
    bag.WriteProperty(u"caption"_s, u"E&xit"_s);
    bag.WriteProperty(u"_extentx"_s, 1984);
    AmbientProperties ambient;
    TamskXpButton loaded;
    loaded.ReadProperties(bag, ambient);
    QCOMPARE(loaded.ForeHover(), SystemColors::WindowFrame);
    QCOMPARE(loaded.Caption(), u"E&xit"_s);
    QCOMPARE(loaded.AccessKeys(), u"x"_s);
}

QTEST_MAIN(TestTamskXpButton)
#include "tst_TamskXpButton.moc"
