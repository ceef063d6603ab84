#include "widgets/Check.h"
#include "widgets/DownloadPanel.h"
#include "widgets/RImage.h"
#include "widgets/TamskXpButton.h"

#include <QAccessible>
#include <QCursor>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(object);
    if (!found)
        qFatal("no accessible interface");
    return found;
}

QAccessibleActionInterface* actions(QObject* object)
{
    QAccessibleActionInterface* found = accessible(object)->actionInterface();
    if (!found)
        qFatal("no actions");
    return found;
}

// A shown window with one focusable widget besides the control under test.
struct Host {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QWidget* focusSink = new QWidget(window.get());

    Host()
    {
        QCursor::setPos(0, 0);
        focusSink->setFocusPolicy(Qt::StrongFocus);
        window->resize(200, 120);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
        window->activateWindow();
        focusSink->setFocus();
    }

    TamskXpButton* button(const QString& caption)
    {
        auto* added = new TamskXpButton(window.get());
        added->InitProperties(AmbientProperties());
        added->setCaption(caption);
        added->setGeometry(20, 20, 75, 23);
        added->show();
        return added;
    }
};

} // namespace

class TestAccessibleControls : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void buttonNameAndShortcut_data();
    void buttonNameAndShortcut();
    void buttonStates();
    void buttonPressActionClicks();
    void checkBox();
    void checkBoxToggleActionClicks();
    void preview();
    void statusLine();
};

void TestAccessibleControls::initTestCase()
{
    QAccessible::setActive(true);
}

void TestAccessibleControls::buttonNameAndShortcut_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("marked") << u"&Качать"_s << u"Качать"_s << u"Alt+К"_s;
    QTest::newRow("marked inside") << u"E&xit"_s << u"Exit"_s << u"Alt+X"_s;
    QTest::newRow("doubled") << u"Tom && Jerry"_s << u"Tom & Jerry"_s << QString();
    QTest::newRow("none") << u"Свалить"_s << u"Свалить"_s << QString();
}

void TestAccessibleControls::buttonNameAndShortcut()
{
    QFETCH(QString, caption);
    QFETCH(QString, name);
    QFETCH(QString, shortcut);
    Host host;
    TamskXpButton* button = host.button(caption);
    QAccessibleInterface* face = accessible(button);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(face->text(QAccessible::Accelerator), shortcut);
    QCOMPARE(actions(button)->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
             shortcut.isEmpty() ? QStringList{} : QStringList{shortcut});
    button->setCaption(u"&Новый"_s);
    QCOMPARE(face->text(QAccessible::Name), u"Новый"_s);
}

void TestAccessibleControls::buttonStates()
{
    Host host;
    TamskXpButton* button = host.button(u"OK"_s);
    QAccessibleInterface* face = accessible(button);
    QVERIFY(face->state().focusable);
    QVERIFY(!face->state().focused);
    button->setFocus();
    QVERIFY(face->state().focused);
    QVERIFY(!face->state().pressed);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(face->state().pressed);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!face->state().pressed);
    QVERIFY(!face->state().disabled);
    button->setEnabled(false);
    QVERIFY(face->state().disabled);
}

void TestAccessibleControls::buttonPressActionClicks()
{
    Host host;
    TamskXpButton* button = host.button(u"&Go"_s);
    QSignalSpy clicks(button, &TamskXpButton::Click);
    QAccessibleActionInterface* press = actions(button);
    QVERIFY(press->actionNames().contains(QAccessibleActionInterface::pressAction()));
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
    button->setEnabled(false);
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
}

void TestAccessibleControls::checkBox()
{
    Host host;
    auto* box = new Check(host.window.get());
    box->InitProperties();
    box->setAccessibleName(u"через прокси"_s);
    box->move(20, 60);
    box->show();
    QAccessibleInterface* face = accessible(box);
    QCOMPARE(face->role(), QAccessible::CheckBox);
    QCOMPARE(face->text(QAccessible::Name), u"через прокси"_s);
    QVERIFY(face->state().checkable);
    QVERIFY(!face->state().checked);
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(face->state().pressed);
    QVERIFY(face->state().checked); // a press toggles at once
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!face->state().pressed);
    box->setEnabledProperty(false);
    QVERIFY(face->state().disabled);
    QVERIFY(face->state().checked);
}

void TestAccessibleControls::checkBoxToggleActionClicks()
{
    Host host;
    auto* box = new Check(host.window.get());
    box->InitProperties();
    QSignalSpy clicks(box, &Check::Click);
    QAccessibleActionInterface* act = actions(box);
    QVERIFY(act->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    act->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(box->Value());
    act->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!box->Value());
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(box->shownPicture(), CheckPictures::Picture::IdleNoValue);
    box->setEnabledProperty(false);
    act->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!box->Value());
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
    QCOMPARE(face->text(QAccessible::Name), QString());
    frame.setPicture(path);
    QCOMPARE(face->text(QAccessible::Name), u"котик 01.png"_s);
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
    QVERIFY(!actions(st)->actionNames().contains(QAccessibleActionInterface::pressAction()));
    // After a socket error it reads as a link, and pressing it tries the maker's page.
    panel.setStatusLink(true);
    QVERIFY(face->state().linked);
    actions(st)->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(panel.statusText(), u"Браузер не запустился"_s);
    qunsetenv("BROWSER");
}

QTEST_MAIN(TestAccessibleControls)
#include "tst_AccessibleControls.moc"
