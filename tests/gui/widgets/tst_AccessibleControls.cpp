#include "gui/widgets/Check.h"
#include "gui/widgets/DownloadPanel.h"
#include "gui/widgets/RImage.h"
#include "gui/widgets/ReadingOrder.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/TamskXpButton.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(object);
    if (!found || !found->actionInterface())
        qFatal("no accessible interface with actions");
    return found;
}

void press(QObject* object, const QString& action = QAccessibleActionInterface::pressAction())
{
    accessible(object)->actionInterface()->doAction(action);
}

// A window that lists two of its three controls, the picture left out, in an order of its own.
class Listed : public QWidget, public ReadingOrder {
public:
    explicit Listed(QWidget* parent = nullptr) : QWidget(parent)
    {
        m_picture->setPixmap(QPixmap(8, 8));
        m_name->setBuddy(m_field);
        m_field->setFocusPolicy(Qt::StrongFocus);
        chainTabOrder(readingOrder());
    }
    QList<QWidget*> readingOrder() const override { return {m_name, m_field}; }

    QLabel* m_picture = new QLabel(this);
    QWidget* m_field = new QWidget(this);
    QLabel* m_name = new QLabel(u"Адрес"_s, this);
};

} // namespace

class TestAccessibleControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QAccessible::setActive(true); }
    void buttonNameAndShortcut_data();
    void buttonNameAndShortcut();
    void buttonStatesAndPress();
    void checkBox();
    void preview();
    void spinArrows();
    void readingOrder();
    void statusLine();
};

void TestAccessibleControls::buttonNameAndShortcut_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("marked") << u"&Качать"_s << u"Качать"_s << u"Alt+К"_s;
    QTest::newRow("marked inside") << u"E&xit"_s << u"Exit"_s << u"Alt+X"_s;
    QTest::newRow("doubled") << u"Tom && Jerry"_s << u"Tom & Jerry"_s << QString();
}

void TestAccessibleControls::buttonNameAndShortcut()
{
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QFETCH(QString, shortcut);
    TamskXpButton button;
    button.setCaption(caption);
    QAccessibleInterface* face = accessible(&button);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(face->text(QAccessible::Accelerator), shortcut);
    QCOMPARE(
        face->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
        shortcut.isEmpty() ? QStringList{} : QStringList{shortcut});
}

void TestAccessibleControls::buttonStatesAndPress()
{
    QWidget window;
    auto* button = new TamskXpButton(&window);
    button->InitProperties(AmbientProperties());
    button->setGeometry(0, 0, 75, 23);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface* face = accessible(button);
    button->setFocus();
    QVERIFY(face->state().focused);
    QVERIFY(!face->state().pressed);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(face->state().pressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!face->state().pressed);

    QSignalSpy clicks(button, &TamskXpButton::Click);
    press(button);
    QTRY_COMPARE(clicks.count(), 1); // from the event loop, as a person's click
    button->setEnabled(false);
    QVERIFY(face->state().disabled);
    press(button);
    QCoreApplication::processEvents();
    QCOMPARE(clicks.count(), 1);
}

void TestAccessibleControls::checkBox()
{
    QWidget window;
    auto* box = new Check(&window);
    box->InitProperties();
    box->setAccessibleName(u"через прокси"_s);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface* face = accessible(box);
    QCOMPARE(face->role(), QAccessible::CheckBox);
    QCOMPARE(face->text(QAccessible::Name), u"через прокси"_s);
    QVERIFY(face->state().checkable && !face->state().checked);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(face->state().pressed && face->state().checked); // a press toggles at once
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!face->state().pressed);

    QSignalSpy clicks(box, &Check::Click);
    press(box, QAccessibleActionInterface::toggleAction());
    QVERIFY(!box->Value());
    press(box);
    QVERIFY(box->Value());
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(box->shownPicture(), CheckPictures::Picture::IdleChecked);
    box->setEnabledProperty(false);
    QVERIFY(face->state().disabled);
    press(box);
    QVERIFY(box->Value());
    QCOMPARE(clicks.count(), 2);
}

void TestAccessibleControls::preview()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"котик 01.png"_s);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(path));
    RImage frame;
    QAccessibleInterface* face = accessible(&frame);
    QCOMPARE(face->role(), QAccessible::Graphic);
    QCOMPARE(face->text(QAccessible::Name), u"empty"_s);
    frame.setPicture(path);
    QCOMPARE(face->text(QAccessible::Name), u"котик 01.png"_s);
}

// The arrows and their number as one spin button; its actions are the arrows' clicks.
void TestAccessibleControls::spinArrows()
{
    QWidget window;
    auto* spin = new SpinArrows(&window);
    spin->setGeometry(0, 0, 13, 17);
    spin->setRange(1, 3000);
    spin->setValue(10);
    spin->setAccessibleName(u"штук"_s);
    QAccessibleInterface* face = accessible(spin);
    QCOMPARE(face->role(), QAccessible::SpinBox);
    QCOMPARE(face->text(QAccessible::Name), u"штук"_s);
    QCOMPARE(face->text(QAccessible::Value), u"10"_s);
    QAccessibleValueInterface* value = face->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->minimumValue().toInt(), 1);
    QCOMPARE(value->maximumValue().toInt(), 3000);

    QSignalSpy changes(spin, &SpinArrows::valueChanged);
    press(spin, QAccessibleActionInterface::increaseAction());
    QCOMPARE(value->currentValue().toInt(), 11);
    press(spin, QAccessibleActionInterface::decreaseAction());
    press(spin, QAccessibleActionInterface::decreaseAction());
    QCOMPARE(changes.count(), 3);
    QCOMPARE(spin->value(), 9);
    spin->setValue(3000);
    press(spin, QAccessibleActionInterface::increaseAction());
    QCOMPARE(spin->value(), 3000); // the range holds, as for the arrow
    spin->setEnabled(false);
    press(spin, QAccessibleActionInterface::decreaseAction());
    QCOMPARE(spin->value(), 3000);
}

// Screen readers see the listed controls in the listed order, and nothing else.
void TestAccessibleControls::readingOrder()
{
    Listed window;
    window.setWindowTitle(u"Окно"_s);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&window);
    QCOMPARE(face->role(), QAccessible::Window);
    QCOMPARE(face->text(QAccessible::Name), u"Окно"_s);
    QCOMPARE(face->childCount(), 2);
    QCOMPARE(face->child(0)->object(), window.m_name);
    QCOMPARE(face->child(1)->object(), window.m_field);
    QCOMPARE(face->indexOfChild(QAccessible::queryAccessibleInterface(window.m_field)), 1);
    QCOMPARE(face->indexOfChild(QAccessible::queryAccessibleInterface(window.m_picture)), -1);
    QCOMPARE(face->child(1)->text(QAccessible::Name), u"Адрес"_s);
    const auto labels = face->child(1)->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->object(), window.m_name);

    QWidget outer;
    auto* panel = new Listed(&outer);
    QCOMPARE(QAccessible::queryAccessibleInterface(panel)->role(), QAccessible::Grouping);
}

void TestAccessibleControls::statusLine()
{
    qputenv("BROWSER", "/nonexistent/browser");
    DownloadPanel panel;
    QLabel* st = panel.findChild<QLabel*>(u"St"_s);
    panel.setStatusText(u"Ошибка 10061"_s);
    QAccessibleInterface* face = accessible(st);
    QCOMPARE(face->role(), QAccessible::StaticText);
    QCOMPARE(face->text(QAccessible::Name), u"Ошибка 10061"_s);
    QVERIFY(!face->state().linked);
    QVERIFY(!face->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    // After a socket error it reads as a link, and pressing it tries the maker's page.
    panel.setStatusLink(true);
    QVERIFY(face->state().linked);
    press(st);
    QCOMPARE(panel.statusText(), u"Браузер не запустился"_s);
    qunsetenv("BROWSER");
}

QTEST_MAIN(TestAccessibleControls)
#include "tst_AccessibleControls.moc"
