#include "gui/widgets/Check.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using CheckPictures::Picture;

Q_DECLARE_METATYPE(Picture)

namespace {

// A host window with one check box, shown offscreen, the pointer parked away from it.
struct Host {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    Check* box = new Check(window.get());

    Host()
    {
        QCursor::setPos(0, 0);
        window->resize(80, 60);
        window->move(50, 50);
        box->move(20, 20);
        box->InitProperties();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
};

struct EventLog {
    QStringList entries;

    explicit EventLog(Check* box)
    {
        QObject::connect(box, &Check::Click, box,
                         [this, box] { entries << u"Click value=%1"_s.arg(box->Value()); });
        QObject::connect(box, &Check::DblClick, box, [this] { entries << u"DblClick"_s; });
        QObject::connect(
            box, &Check::MouseDown, box, [this, box](qint16 b, qint16 s, float x, float y) {
                entries << u"MouseDown(%1,%2,%3,%4) value=%5"_s.arg(b).arg(s).arg(x).arg(y).arg(
                    box->Value());
            });
    }

    QStringList take() { return std::exchange(entries, {}); }
};

bool isTickPixel(const QImage& image, int x, int y, const QColor& tick)
{
    return QColor(image.pixel(x, y)) == tick;
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newBoxIsUncheckedAndEnabled();
    void plainLeftClick();
    void middleClickRaisesClickWithoutToggling();
    void rightClickDoesNothing();
    void releasingOffTheBoxStillCounts();
    void doubleClickTogglesOnceAndClicksOnce_data();
    void doubleClickTogglesOnceAndClicksOnce();
    void disabledIgnoresMouse();
    void valueOnDisabledBox();
    void disablingStopsThePoll();
    void valueSetterShowsRestingPicture();
    void resizeSnapsBack_data();
    void resizeSnapsBack();
    void widgetStateIsNotTheProperty();
    void picturesHaveTheirSizes_data();
    void picturesHaveTheirSizes();
    void checkedPicturesCarryATick_data();
    void checkedPicturesCarryATick();
    void pictureSitsOnButtonFace();
    void persistence_data();
    void persistence();
    void spaceIsTheLeftButton_data();
    void spaceIsTheLeftButton();
    void spaceReleasedElsewhereStillClicks();
    void tabReachesTheBoxAClickDoesNot();
    void focusMarkAroundTheCaption();
};

void TestCheck::newBoxIsUncheckedAndEnabled()
{
    Check box;
    QVERIFY(!box.Value());
    QVERIFY(box.Enabled());
    QCOMPARE(box.size(), QSize(13, 13));
    QVERIFY(!box.isPollActive());
}

void TestCheck::plainLeftClick()
{
    Host host;
    EventLog log(host.box);
    QTest::mouseMove(host.box, QPoint(5, 6));
    QVERIFY(host.box->isPollActive());
    QTRY_COMPARE(host.box->shownPicture(), Picture::MouseoverNoValue);

    QTest::mousePress(host.box, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
    QCOMPARE(log.take(), QStringList{u"MouseDown(1,1,75,90) value=0"_s});
    QCOMPARE(host.box->shownPicture(), Picture::PushedNoValue);
    QVERIFY(host.box->Value());
    QVERIFY(host.box->isPressed());
    QVERIFY(!host.box->isPollActive());

    QTest::mouseRelease(host.box, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
    QCOMPARE(log.take(), QStringList{u"Click value=1"_s});
    QVERIFY(!host.box->isPressed());
    QCOMPARE(host.box->shownPicture(), Picture::PushedNoValue); // until the first tick
    QVERIFY(host.box->isPollActive());
    QTRY_COMPARE(host.box->shownPicture(), Picture::MouseoverChecked);

    QCursor::setPos(host.window->mapToGlobal(QPoint(2, 2)));
    QTRY_COMPARE(host.box->shownPicture(), Picture::IdleChecked);
    QVERIFY(!host.box->isPollActive());
}

void TestCheck::middleClickRaisesClickWithoutToggling()
{
    Host host;
    EventLog log(host.box);
    QTest::mouseClick(host.box, Qt::MiddleButton, {}, QPoint(5, 5));
    QCOMPARE(log.take(), QStringList{u"Click value=0"_s});
    QVERIFY(!host.box->Value());
}

void TestCheck::rightClickDoesNothing()
{
    Host host;
    EventLog log(host.box);
    QTest::mouseClick(host.box, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(log.take(), QStringList{});
    QVERIFY(!host.box->Value());
    QCOMPARE(host.box->shownPicture(), Picture::IdleNoValue);
    QVERIFY(!host.box->isPollActive());
}

void TestCheck::releasingOffTheBoxStillCounts()
{
    Host host;
    host.box->setValue(true);
    EventLog log(host.box);
    QTest::mousePress(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(host.box->shownPicture(), Picture::PushedChecked);
    QVERIFY(!host.box->Value());
    QTest::mouseMove(host.box, QPoint(40, 30)); // held: movement does nothing
    QVERIFY(!host.box->isPollActive());
    QCursor::setPos(host.window->mapToGlobal(QPoint(70, 50)));
    QTest::mouseRelease(host.box, Qt::LeftButton, {}, QPoint(40, 30));
    QCOMPARE(log.take(), (QStringList{u"MouseDown(1,0,75,75) value=1"_s, u"Click value=0"_s}));
    QTRY_COMPARE(host.box->shownPicture(), Picture::IdleNoValue);
    QVERIFY(!host.box->isPollActive());
}

void TestCheck::doubleClickTogglesOnceAndClicksOnce_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("value");
    QTest::newRow("left") << Qt::LeftButton
                          << QStringList{u"MouseDown(1,0,75,75) value=0"_s, u"Click value=1"_s,
                                         u"DblClick"_s}
                          << true;
    QTest::newRow("middle") << Qt::MiddleButton << QStringList{u"Click value=0"_s, u"DblClick"_s}
                            << false;
    QTest::newRow("right") << Qt::RightButton << QStringList{u"DblClick"_s} << false;
}

// The platform sends press, release, double-click, release.
void TestCheck::doubleClickTogglesOnceAndClicksOnce()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QStringList, expected);
    QFETCH(bool, value);
    Host host;
    EventLog log(host.box);
    QTest::mousePress(host.box, button, {}, QPoint(5, 5));
    QTest::mouseRelease(host.box, button, {}, QPoint(5, 5));
    QTest::mouseDClick(host.box, button, {}, QPoint(5, 5));
    QTest::mouseRelease(host.box, button, {}, QPoint(5, 5));
    QCOMPARE(log.take(), expected);
    QCOMPARE(host.box->Value(), value);
    // The next single click is an ordinary one again.
    QTest::mouseClick(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(log.take(), (QStringList{u"MouseDown(1,0,75,75) value=%1"_s.arg(value),
                                      u"Click value=%1"_s.arg(!value)}));
}

void TestCheck::disabledIgnoresMouse()
{
    Host host;
    host.box->setEnabledProperty(false);
    QVERIFY(host.box->isEnabled()); // the window itself stays enabled
    EventLog log(host.box);
    QTest::mouseClick(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(log.take(), QStringList{});
    QVERIFY(!host.box->Value());
    QTest::mouseMove(host.box, QPoint(6, 6));
    QVERIFY(host.box->isPollActive());
    QTRY_VERIFY(!host.box->isPollActive());
    QCOMPARE(host.box->shownPicture(), Picture::DisabledNoValue);
}

void TestCheck::valueOnDisabledBox()
{
    Check box;
    box.setEnabledProperty(false);
    box.setValue(true);
    QCOMPARE(box.shownPicture(), Picture::DisabledChecked);
    box.setEnabledProperty(true);
    QCOMPARE(box.shownPicture(), Picture::IdleChecked);
}

void TestCheck::disablingStopsThePoll()
{
    Host host;
    QTest::mouseMove(host.box, QPoint(5, 5));
    QVERIFY(host.box->isPollActive());
    host.box->setEnabledProperty(false);
    QVERIFY(!host.box->isPollActive());
    QCOMPARE(host.box->shownPicture(), Picture::DisabledNoValue);
    host.box->setEnabledProperty(true);
    QVERIFY(!host.box->isPollActive());
    QCOMPARE(host.box->shownPicture(), Picture::IdleNoValue);
}

void TestCheck::valueSetterShowsRestingPicture()
{
    Host host;
    QTest::mouseMove(host.box, QPoint(5, 5));
    QTRY_COMPARE(host.box->shownPicture(), Picture::MouseoverNoValue);
    QSignalSpy clicks(host.box, &Check::Click);
    host.box->setValue(true);
    QCOMPARE(host.box->shownPicture(), Picture::IdleChecked); // even under the pointer
    QCOMPARE(clicks.count(), 0);
    QTRY_COMPARE(host.box->shownPicture(), Picture::MouseoverChecked); // the poll catches up
}

void TestCheck::resizeSnapsBack_data()
{
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("larger") << QRect(20, 20, 60, 40);
    QTest::newRow("narrow and tall") << QRect(0, 0, 2, 100);
    QTest::newRow("empty") << QRect(5, 5, 0, 0);
    QTest::newRow("one short") << QRect(5, 5, 12, 12);
}

void TestCheck::resizeSnapsBack()
{
    QFETCH(QRect, geometry);
    Host host;
    host.box->resize(geometry.size());
    QCOMPARE(host.box->size(), QSize(13, 13));
    host.box->setGeometry(geometry);
    QCOMPARE(host.box->geometry(), QRect(geometry.topLeft(), QSize(13, 13)));
}

// QWidget's own enabled state and the box's Enabled property are two things.
void TestCheck::widgetStateIsNotTheProperty()
{
    Host host;
    QWidget* widget = host.box;
    widget->setEnabled(false);
    QVERIFY(host.box->Enabled());
    QCOMPARE(host.box->shownPicture(), Picture::IdleNoValue);
    PropertyBag bag;
    host.box->WriteProperties(bag);
    QCOMPARE(bag.keys(), QStringList{});
    widget->setEnabled(true);
    host.box->setEnabledProperty(false);
    QVERIFY(widget->isEnabled());
    QCOMPARE(host.box->shownPicture(), Picture::DisabledNoValue);
}

void TestCheck::picturesHaveTheirSizes_data()
{
    QTest::addColumn<Picture>("picture");
    QTest::addColumn<int>("side");
    for (int i = 0; i < CheckPictures::PictureCount; ++i) {
        const auto picture = Picture(i);
        QTest::newRow(CheckPictures::name(picture)) << picture << (i < 8 ? 12 : 13);
    }
}

void TestCheck::picturesHaveTheirSizes()
{
    QFETCH(Picture, picture);
    QFETCH(int, side);
    const QImage image = CheckPictures::image(picture);
    QCOMPARE(image.size(), QSize(side, side));
    // Every picture has a one-pixel frame of one colour, different from its centre.
    const QColor frame(image.pixel(0, 0));
    for (int i = 0; i < side; ++i) {
        QCOMPARE(QColor(image.pixel(i, 0)), frame);
        QCOMPARE(QColor(image.pixel(0, i)), frame);
        QCOMPARE(QColor(image.pixel(i, side - 1)), frame);
        QCOMPARE(QColor(image.pixel(side - 1, i)), frame);
    }
    QVERIFY(QColor(image.pixel(side / 2, side / 2)) != frame);
}

void TestCheck::checkedPicturesCarryATick_data()
{
    QTest::addColumn<Picture>("empty");
    QTest::addColumn<Picture>("checked");
    QTest::addColumn<QColor>("tick");
    QTest::newRow("idle") << Picture::IdleNoValue << Picture::IdleChecked << QColor(0, 0, 0);
    QTest::newRow("mouseover") << Picture::MouseoverNoValue << Picture::MouseoverChecked
                               << QColor(0, 0, 0);
    QTest::newRow("pushed") << Picture::PushedNoValue << Picture::PushedChecked << QColor(0, 0, 0);
    QTest::newRow("disabled") << Picture::DisabledNoValue << Picture::DisabledChecked
                              << QColor(160, 160, 160);
}

void TestCheck::checkedPicturesCarryATick()
{
    QFETCH(Picture, empty);
    QFETCH(Picture, checked);
    QFETCH(QColor, tick);
    const QImage plain = CheckPictures::image(empty);
    const QImage ticked = CheckPictures::image(checked);
    int tickPixels = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            if (plain.pixel(x, y) == ticked.pixel(x, y))
                continue;
            QVERIFY(isTickPixel(ticked, x, y, tick));
            QVERIFY(x > 0 && y > 0 && x < 11 && y < 11);
            ++tickPixels;
        }
    QCOMPARE(tickPixels, 21);
    QVERIFY(isTickPixel(ticked, 9, 3, tick));  // top of the long stroke
    QVERIFY(isTickPixel(ticked, 5, 9, tick));  // the point of the tick
    QVERIFY(!isTickPixel(ticked, 3, 3, tick)); // left of the short stroke's top
}

void TestCheck::pictureSitsOnButtonFace()
{
    Host host;
    host.box->setValue(true);
    const QImage shot = host.box->grab().toImage();
    QCOMPARE(shot.size(), QSize(13, 13));
    const QColor face = QApplication::palette().color(QPalette::Active, QPalette::Button);
    for (int i = 0; i < 13; ++i) {
        QCOMPARE(QColor(shot.pixel(12, i)), face);
        QCOMPARE(QColor(shot.pixel(i, 12)), face);
    }
    const QImage picture = CheckPictures::image(Picture::IdleChecked);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            QCOMPARE(QColor(shot.pixel(x, y)), QColor(picture.pixel(x, y)));
}

void TestCheck::persistence_data()
{
    QTest::addColumn<bool>("value");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<Picture>("picture");
    QTest::newRow("defaults") << false << true << QStringList{} << Picture::IdleNoValue;
    QTest::newRow("checked") << true << true << QStringList{u"value"_s} << Picture::IdleChecked;
    QTest::newRow("disabled") << false << false << QStringList{u"enabled"_s}
                              << Picture::DisabledNoValue;
    QTest::newRow("both") << true << false << QStringList{u"enabled"_s, u"value"_s}
                          << Picture::DisabledChecked;
}

void TestCheck::persistence()
{
    QFETCH(bool, value);
    QFETCH(bool, enabled);
    QFETCH(QStringList, keys);
    QFETCH(Picture, picture);
    Check saved;
    saved.InitProperties();
    saved.setValue(value);
    saved.setEnabledProperty(enabled);
    PropertyBag bag;
    saved.WriteProperties(bag);
    QCOMPARE(bag.keys(), keys);
    Check loaded;
    loaded.setValue(!value);
    loaded.setEnabledProperty(!enabled);
    loaded.ReadProperties(bag);
    QCOMPARE(loaded.Value(), value);
    QCOMPARE(loaded.Enabled(), enabled);
    QCOMPARE(loaded.shownPicture(), picture);
}

// Space goes down and up as the left button does: the same events, pictures and value.
void TestCheck::spaceIsTheLeftButton_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("repeats"); // auto-repeated presses while the key is held
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QStringList>("atPress");
    QTest::addColumn<QStringList>("atRelease");
    const QStringList press{u"MouseDown(1,0,0,0) value=0"_s};
    const QStringList click{u"Click value=1"_s};
    QTest::newRow("space") << Qt::KeyboardModifiers() << 0 << true << press << click;
    QTest::newRow("shift+space") << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0 << true
                                 << QStringList{u"MouseDown(1,1,0,0) value=0"_s} << click;
    QTest::newRow("held") << Qt::KeyboardModifiers() << 3 << true << press << click;
    QTest::newRow("disabled") << Qt::KeyboardModifiers() << 0 << false << QStringList{}
                              << QStringList{};
}

void TestCheck::spaceIsTheLeftButton()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, repeats);
    QFETCH(bool, enabled);
    QFETCH(QStringList, atPress);
    QFETCH(QStringList, atRelease);
    Host host;
    host.box->setEnabledProperty(enabled);
    EventLog log(host.box);
    QTest::keyPress(host.box, Qt::Key_Space, modifiers);
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, modifiers, u" "_s, true);
        QApplication::sendEvent(host.box, &release);
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Space, modifiers, u" "_s, true);
        QApplication::sendEvent(host.box, &again);
    }
    QCOMPARE(log.take(), atPress);
    if (enabled) {
        QCOMPARE(host.box->shownPicture(), Picture::PushedNoValue);
        QVERIFY(host.box->isPressed());
    }
    QTest::keyRelease(host.box, Qt::Key_Space, modifiers);
    QCOMPARE(log.take(), atRelease);
    QCOMPARE(host.box->Value(), enabled);
    QVERIFY(!host.box->isPressed());
    // As after a click, the poll puts the resting picture back: the pointer is away.
    QTRY_COMPARE(host.box->shownPicture(),
                 enabled ? Picture::IdleChecked : Picture::DisabledNoValue);
    QTest::keyClick(host.box, Qt::Key_Return);
    QCOMPARE(log.take(), QStringList{});
}

// The value toggled at the press; a release that never comes must not leave the host behind.
void TestCheck::spaceReleasedElsewhereStillClicks()
{
    Host host;
    auto* other = new QWidget(host.window.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    QApplication::setActiveWindow(host.window.get());
    QVERIFY(QTest::qWaitForWindowActive(host.window.get()));
    host.box->setFocus();
    QVERIFY(host.box->hasFocus());
    EventLog log(host.box);
    QTest::keyPress(host.box, Qt::Key_Space);
    other->setFocus();
    QCOMPARE(log.take(), QStringList({u"MouseDown(1,0,0,0) value=0"_s, u"Click value=1"_s}));
    QVERIFY(!host.box->isPressed());
    QTest::keyRelease(other, Qt::Key_Space);
    QCOMPARE(log.take(), QStringList{});
}

void TestCheck::tabReachesTheBoxAClickDoesNot()
{
    Host host;
    QCOMPARE(host.box->focusPolicy(), Qt::TabFocus);
    auto* other = new QWidget(host.window.get());
    other->setFocusPolicy(Qt::StrongFocus);
    other->show();
    QApplication::setActiveWindow(host.window.get());
    QVERIFY(QTest::qWaitForWindowActive(host.window.get()));
    other->setFocus();
    QTest::mouseClick(host.box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(other->hasFocus());
    QTest::keyClick(other, Qt::Key_Tab);
    QVERIFY(host.box->hasFocus());
    // A disabled box is passed over, as any disabled control.
    host.box->setEnabledProperty(false);
    QCOMPARE(host.box->focusPolicy(), Qt::NoFocus);
    host.box->setEnabledProperty(true);
    QCOMPARE(host.box->focusPolicy(), Qt::TabFocus);
}

// Dotted around the caption's text while the box has the focus; without the focus the window
// looks as it did, pixel for pixel.
void TestCheck::focusMarkAroundTheCaption()
{
    Host host;
    host.window->resize(160, 60);
    auto* caption = new QLabel(u"через прокси"_s, host.window.get());
    caption->setGeometry(36, 20, 100, 13);
    caption->show();
    host.box->setCaption(caption);
    QCOMPARE(caption->buddy(), host.box);
    QApplication::setActiveWindow(host.window.get());
    QVERIFY(QTest::qWaitForWindowActive(host.window.get()));
    host.box->clearFocus();
    const QImage without = host.window->grab().toImage();

    host.box->setFocus();
    QVERIFY(host.box->showsFocusMark());
    const QImage with = host.window->grab().toImage();
    const QColor ink = caption->palette().color(QPalette::WindowText);
    QRect text, ring;
    QList<QPoint> changed;
    for (int y = 0; y < with.height(); ++y) {
        for (int x = 0; x < with.width(); ++x) {
            if (caption->geometry().contains(x, y) && qGray(without.pixel(x, y)) < 128)
                text |= QRect(x, y, 1, 1);
            if (with.pixel(x, y) != without.pixel(x, y)) {
                QCOMPARE(QColor(with.pixel(x, y)), ink);
                changed << QPoint(x, y);
                ring |= QRect(x, y, 1, 1);
            }
        }
    }
    // A ring just around the text, clear of the box, every other pixel of it inked.
    QVERIFY(!text.isEmpty());
    QVERIFY(ring.adjusted(1, 1, -1, -1).contains(text));
    QVERIFY(ring.width() <= text.width() + 6);
    QVERIFY(ring.height() <= QFontMetrics(caption->font()).height() + 2); // one line of text
    QVERIFY(!ring.intersects(host.box->geometry()));
    QCOMPARE(changed.size(), ring.width() + ring.height() - 2);
    for (const QPoint& dot : changed) {
        QVERIFY(dot.x() == ring.left() || dot.x() == ring.right() || dot.y() == ring.top() ||
                dot.y() == ring.bottom());
        QCOMPARE((dot.x() - ring.left() + dot.y() - ring.top()) % 2, 0);
    }

    host.box->clearFocus();
    QVERIFY(!host.box->showsFocusMark());
    QCOMPARE(host.window->grab().toImage(), without);
}

QTEST_MAIN(TestCheck)
#include "tst_Check.moc"
