#include "DemoSiteThread.h"
#include "core/crawl/CrawlDriver.h"
#include "core/net/ResponseCache.h"
#include "core/platform/FileIo.h"
#include "core/platform/FolderLock.h"
#include "gui/Main.h"
#include "gui/widgets/Check.h"
#include "gui/widgets/ModalHook.h"
#include "gui/widgets/RImage.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/TamskXpButton.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QByteArray FirstStartSettings = "[Main]\r\nDownloadImages=10\r\nUseProxy=False\r\n"
                                      "ProxyName=127.0.0.1\r\nProxyPort=8080\r\nCasheSize=300\r\n";

QByteArray settings(int pages, bool proxy, const QByteArray& name, const QByteArray& port,
                    int cacheLimit)
{
    return "[Main]\r\nDownloadImages=" + QByteArray::number(pages) +
           "\r\nUseProxy=" + (proxy ? "True" : "False") + "\r\nProxyName=" + name +
           "\r\nProxyPort=" + port + "\r\nCasheSize=" + QByteArray::number(cacheLimit) + "\r\n";
}

template <typename T> T* child(QWidget& window, const QString& name)
{
    auto* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

void click(QWidget& window, const QString& button, Qt::MouseButton mouse = Qt::LeftButton)
{
    auto* target = child<QWidget>(window, button);
    QTest::mouseClick(target, mouse, {}, target->rect().center());
}

void clickArrow(QWidget& window, bool upper, int times = 1)
{
    auto* spin = child<SpinArrows>(window, u"VS"_s);
    const QPoint at(spin->width() / 2, upper ? 2 : spin->height() - 3);
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(spin, Qt::LeftButton, {}, at);
}

// Types text as key presses, also where QTest knows no key for a character.
void type(QWidget* field, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

QString text(QWidget& window, const QString& label)
{
    return child<QLabel>(window, label)->text();
}

bool enabled(QWidget& window, const QString& name)
{
    if (auto* button = window.findChild<TamskXpButton*>(name))
        return button->Enabled();
    return child<QWidget>(window, name)->isEnabled();
}

// Acts once when `condition` first holds, checked as events run (also inside a waiting
// transfer). Stops itself after acting.
class Trigger : public QObject {
public:
    Trigger(std::function<bool()> condition, std::function<void()> action)
        : m_condition(std::move(condition)), m_action(std::move(action))
    {
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_fired || !m_condition())
                return;
            m_fired = true;
            m_timer.stop();
            m_action();
        });
        m_timer.start();
    }
    bool fired() const { return m_fired; }

private:
    std::function<bool()> m_condition;
    std::function<void()> m_action;
    QTimer m_timer;
    bool m_fired = false;
};

} // namespace

class TestMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstStart_data();
    void firstStart();
    void laterStartRestoresAllFive();
    void storedPageCountIsClamped_data();
    void storedPageCountIsClamped();
    void countChangedWithoutRunIsNotSaved();
    void layout_data();
    void layout();
    void tabOrder();
    void keyboardAloneSwitchesTheProxy();
    void dialogsAreTransientForMain();
    void albumPresentEnablesOpenAlboom();
    void proxySwitch_data();
    void proxySwitch();
    void typedProxyTextsAreSaved();
    void dialogsReturnTheFocusToDown();
    void cacheDialogChangesTheLimit();
    void openAlboomStartsTheBrowser();
    void openAlboomWithoutBrowserSaysSo();
    void endOfRunTextsFitTheStatusLabel();

    void fullRunThroughTheWindow();
    void stopInTheMiddle();
    void closingDuringARun();
    void exitDuringARun();
    void pageWithoutMarkerEndsTheProgram();
    void anotherRunInTheFolderKeepsItsFiles();

private:
    QString file(const QString& tail) const { return m_dir->path() + tail; }
    QByteArray settingsFile() const { return TestSupport::readAll(file(u"/options.ini"_s)); }
    void writeSettings(const QByteArray& bytes)
    {
        TestSupport::writeAll(file(u"/options.ini"_s), bytes);
    }
    std::unique_ptr<Main> openMain();
    void useRecordingBrowser();

    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_shown;                    // object names of the modal windows, in order
    QStringList m_failureTexts;             // text and title of each failure message
    std::function<void(QDialog&)> m_answer; // answers Options and About
    bool m_mainVisibleAtFirst = false;
    QByteArray m_savedBrowser;
};

void TestMain::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_shown.clear();
    m_failureTexts.clear();
    m_answer = nullptr;
    m_savedBrowser = qgetenv("BROWSER");
    ModalHook::setOnShown([this](QDialog& dialog) {
        m_shown << dialog.objectName();
        if (dialog.objectName() == u"First"_s) {
            m_mainVisibleAtFirst = false;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == u"Main"_s && top->isVisible())
                    m_mainVisibleAtFirst = true;
            click(dialog, u"OK"_s);
        } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            m_failureTexts << box->text() << box->windowTitle();
            QVERIFY(box->icon() == QMessageBox::Critical);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        } else if (m_answer) {
            m_answer(dialog);
        }
        if (dialog.isVisible()) {
            dialog.reject();
            QFAIL("a modal window was left open");
        }
    });
}

void TestMain::cleanup()
{
    ModalHook::setOnShown({});
    qputenv("BROWSER", m_savedBrowser);
    m_dir.reset();
}

std::unique_ptr<Main> TestMain::openMain()
{
    auto main = std::make_unique<Main>(ProgramFolder(m_dir->path()));
    main->show();
    if (!QTest::qWaitForWindowExposed(main.get()))
        qWarning("main window not exposed");
    return main;
}

// A browser that records each argument it is started with.
void TestMain::useRecordingBrowser()
{
    const QString script = file(u"/browse"_s);
    TestSupport::writeAll(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" +
                                      file(u"/started.txt"_s).toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("BROWSER", script.toUtf8());
}

void TestMain::firstStart_data()
{
    QTest::addColumn<bool>("emptyFileLeft");
    QTest::newRow("no options.ini") << false;
    // A first start killed while its window showed leaves an empty file behind.
    QTest::newRow("empty options.ini") << true;
}

void TestMain::firstStart()
{
    QFETCH(bool, emptyFileLeft);
    if (emptyFileLeft)
        writeSettings(QByteArray());
    m_mainVisibleAtFirst = true;
    auto main = openMain();
    QCOMPARE(m_shown, QStringList{u"First"_s});
    QVERIFY(!m_mainVisibleAtFirst);
    QCOMPARE(settingsFile(), FirstStartSettings);
    QCOMPARE(main->windowTitle(), u"Zolvane VerezOzavidozoz"_s);
    QCOMPARE(text(*main, u"VL"_s), u"10"_s);
    QCOMPARE(child<SpinArrows>(*main, u"VS"_s)->value(), 10);
    QVERIFY(!child<Check>(*main, u"UseProxy"_s)->Value());
    QVERIFY(!main->ProxyOn());
    for (const QString& field : {u"ProxyA"_s, u"ProxyP"_s, u"Label2"_s, u"Label3"_s})
        QVERIFY2(!enabled(*main, field), qPrintable(field));
    QVERIFY(!enabled(*main, u"OpenAlboom"_s));
    QCOMPARE(main->CasheSizeSetting(), qint16(300));

    // Closing saves the same five values again.
    main->close();
    QCOMPARE(settingsFile(), FirstStartSettings);
    QCOMPARE(m_shown, QStringList{u"First"_s});
}

void TestMain::laterStartRestoresAllFive()
{
    const QByteArray stored = settings(42, true, "proxy.example", "3128", 77);
    writeSettings(stored);
    auto main = openMain();
    QVERIFY(m_shown.isEmpty());
    QCOMPARE(text(*main, u"VL"_s), u"42"_s);
    QCOMPARE(child<SpinArrows>(*main, u"VS"_s)->value(), 42);
    QVERIFY(child<Check>(*main, u"UseProxy"_s)->Value());
    QVERIFY(main->ProxyOn());
    QCOMPARE(child<QLineEdit>(*main, u"ProxyA"_s)->text(), u"proxy.example"_s);
    QCOMPARE(child<QLineEdit>(*main, u"ProxyP"_s)->text(), u"3128"_s);
    for (const QString& field : {u"ProxyA"_s, u"ProxyP"_s, u"Label2"_s, u"Label3"_s})
        QVERIFY2(enabled(*main, field), qPrintable(field));
    QCOMPARE(main->CasheSizeSetting(), qint16(77));
    main->close();
    QCOMPARE(settingsFile(), stored);
}

void TestMain::storedPageCountIsClamped_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("zero") << QByteArray("0") << u"1"_s;
    QTest::newRow("negative") << QByteArray("-7") << u"1"_s;
    QTest::newRow("too many") << QByteArray("5000") << u"3000"_s;
    QTest::newRow("not a number") << QByteArray("lots") << u"1"_s;
    QTest::newRow("lowest") << QByteArray("1") << u"1"_s;
    QTest::newRow("highest") << QByteArray("3000") << u"3000"_s;
}

void TestMain::storedPageCountIsClamped()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);
    writeSettings("[Main]\r\nDownloadImages=" + stored + "\r\n");
    auto main = openMain();
    QCOMPARE(text(*main, u"VL"_s), shown);
    QCOMPARE(child<SpinArrows>(*main, u"VS"_s)->value(), shown.toInt());
    QCOMPARE(main->session().PageCount(), qint16(shown.toInt()));
}

void TestMain::countChangedWithoutRunIsNotSaved()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    clickArrow(*main, true, 3);
    QCOMPARE(text(*main, u"VL"_s), u"13"_s);
    clickArrow(*main, false);
    QCOMPARE(text(*main, u"VL"_s), u"12"_s);
    main->close();
    QCOMPARE(settingsFile(), FirstStartSettings);

    // The same through the exit button.
    auto again = openMain();
    clickArrow(*again, false, 4);
    QCOMPARE(text(*again, u"VL"_s), u"6"_s);
    QSignalSpy ended(again.get(), &Main::programEnded);
    click(*again, u"Exit"_s);
    QCOMPARE(ended.size(), 1);
    QVERIFY(!again->isVisible());
    QCOMPARE(settingsFile(), FirstStartSettings);
}

void TestMain::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("on");
    QTest::newRow("BG") << u"BG"_s << QRect(0, 0, 371, 239) << QString() << true;
    QTest::newRow("RImage") << u"RImage"_s << QRect(4, 4, 233, 175) << QString() << true;
    QTest::newRow("DC") << u"DC"_s << QRect(4, 180, 233, 39) << QString() << true;
    QTest::newRow("stat") << u"stat"_s << QRect(4, 220, 235, 17) << u"Гатоф"_s << true;
    QTest::newRow("TR") << u"TR"_s << QRect(244, 220, 121, 17) << u"Трафек: 0 Кб"_s << true;
    QTest::newRow("Down") << u"Down"_s << QRect(244, 8, 121, 25) << u"Качать"_s << true;
    QTest::newRow("VL") << u"VL"_s << QRect(252, 40, 32, 17) << u"10"_s << true;
    QTest::newRow("VS") << u"VS"_s << QRect(284, 40, 13, 17) << QString() << true;
    QTest::newRow("Label1") << u"Label1"_s << QRect(300, 44, 24, 13) << u"штук"_s << true;
    QTest::newRow("cashe") << u"cashe"_s << QRect(336, 38, 29, 21) << u"Кэш"_s << true;
    QTest::newRow("Shape1") << u"Shape1"_s << QRect(244, 64, 121, 69) << QString() << true;
    QTest::newRow("UseProxy") << u"UseProxy"_s << QRect(252, 69, 13, 13) << QString() << true;
    QTest::newRow("Label4") << u"Label4"_s << QRect(268, 68, 68, 13) << u"через прокси"_s << true;
    QTest::newRow("Label2") << u"Label2"_s << QRect(252, 88, 31, 13) << u"Адрес"_s << false;
    QTest::newRow("ProxyA") << u"ProxyA"_s << QRect(288, 84, 69, 19) << u"127.0.0.1"_s << false;
    QTest::newRow("Label3") << u"Label3"_s << QRect(256, 112, 25, 13) << u"Порт"_s << false;
    QTest::newRow("ProxyP") << u"ProxyP"_s << QRect(288, 108, 69, 19) << u"8080"_s << false;
    QTest::newRow("AboutB") << u"AboutB"_s << QRect(244, 136, 121, 25) << u"Аффтар"_s << true;
    QTest::newRow("OpenAlboom") << u"OpenAlboom"_s << QRect(244, 164, 121, 25) << u"Фтыкать"_s
                                << false;
    QTest::newRow("Exit") << u"Exit"_s << QRect(244, 192, 121, 25) << u"Свалить"_s << true;
}

void TestMain::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(bool, on);
    auto main = openMain();
    QCOMPARE(main->size(), QSize(371, 239));
    QCOMPARE(main->minimumSize(), main->maximumSize());
    QVERIFY(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(main->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!main->windowIcon().isNull());

    auto* control = child<QWidget>(*main, name);
    QCOMPARE(control->geometry(), place);
    QCOMPARE(enabled(*main, name), on);
    if (auto* label = qobject_cast<QLabel*>(control); label && name != u"BG"_s)
        QCOMPARE(label->text(), caption);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        QCOMPARE(edit->text(), caption);
    if (auto* button = qobject_cast<TamskXpButton*>(control)) {
        QCOMPARE(button->Caption(), caption);
        QCOMPARE(button->ForeColor(), SystemColors::WindowFrame);
        QCOMPARE(button->ForeHover(), 0u);
        QCOMPARE(button->Font().pointSizeF(), 8.25);
    }
}

void TestMain::tabOrder()
{
    writeSettings(settings(10, true, "127.0.0.1", "8080", 300));
    auto main = openMain();
    QStringList order;
    QWidget* w = child<QWidget>(*main, u"Down"_s);
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != child<QWidget>(*main, u"Down"_s));
    // The check box and the preview take no keyboard focus; the rest follow their tab indices.
    const QStringList expected = {u"Down"_s,       u"AboutB"_s, u"ProxyP"_s, u"ProxyA"_s,
                                  u"OpenAlboom"_s, u"Exit"_s,   u"cashe"_s};
    QStringList focusable;
    for (const QString& name : order)
        if (expected.contains(name))
            focusable << name;
    QCOMPARE(focusable, expected);
    QVERIFY(!(child<QWidget>(*main, u"VS"_s)->focusPolicy() & Qt::TabFocus));
}

// Tab from the download button reaches the check box, which shows its focus mark; Space switches
// the proxy as a click does. Without the focus the window looks as it did.
void TestMain::keyboardAloneSwitchesTheProxy()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    QApplication::setActiveWindow(main.get());
    QVERIFY(QTest::qWaitForWindowActive(main.get()));
    auto* down = child<QWidget>(*main, u"Down"_s);
    auto* box = child<Check>(*main, u"UseProxy"_s);
    down->setFocus();
    const QImage before = main->grab().toImage();

    QTest::keyClick(down, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box);
    QVERIFY(box->showsFocusMark());
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->Value());
    QVERIFY(main->ProxyOn());
    for (const QString& field : {u"ProxyA"_s, u"ProxyP"_s, u"Label2"_s, u"Label3"_s})
        QVERIFY(enabled(*main, field));
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!main->ProxyOn());
    QVERIFY(!enabled(*main, u"ProxyA"_s));

    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(*main, u"AboutB"_s));
    QVERIFY(!box->showsFocusMark());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), down);
    QTRY_VERIFY(!box->isPollActive()); // the pushed picture stays until the poll's tick
    QCOMPARE(main->grab().toImage(), before);
}

// The compositor sees the Main window as the parent of the dialogs it opens.
void TestMain::dialogsAreTransientForMain()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    QStringList parented;
    m_answer = [&main, &parented](QDialog& dialog) {
        if (dialog.windowHandle() &&
            dialog.windowHandle()->transientParent() == main->windowHandle())
            parented << dialog.objectName();
        click(dialog, dialog.objectName() == u"About"_s ? u"OK"_s : u"Cancel"_s);
    };
    click(*main, u"AboutB"_s);
    click(*main, u"cashe"_s);
    QCOMPARE(parented, QStringList({u"About"_s, u"Options"_s}));
}

void TestMain::albumPresentEnablesOpenAlboom()
{
    QVERIFY(QDir(m_dir->path()).mkpath(u"downloads"_s));
    TestSupport::writeAll(file(u"/downloads/index.htm"_s), "<html></html>");
    writeSettings(FirstStartSettings);
    auto main = openMain();
    QVERIFY(enabled(*main, u"OpenAlboom"_s));
}

void TestMain::proxySwitch_data()
{
    QTest::addColumn<QList<int>>("clicks"); // mouse buttons; 0 for a double-click
    QTest::addColumn<bool>("on");
    QTest::newRow("one click") << QList<int>{Qt::LeftButton} << true;
    QTest::newRow("two clicks") << QList<int>{Qt::LeftButton, Qt::LeftButton} << false;
    QTest::newRow("middle click") << QList<int>{Qt::MiddleButton} << false;
    QTest::newRow("click, middle click") << QList<int>{Qt::LeftButton, Qt::MiddleButton} << true;
    QTest::newRow("double-click") << QList<int>{0} << true;
    QTest::newRow("right click") << QList<int>{Qt::RightButton} << false;
}

void TestMain::proxySwitch()
{
    QFETCH(QList<int>, clicks);
    QFETCH(bool, on);
    writeSettings(FirstStartSettings);
    auto main = openMain();
    auto* box = child<Check>(*main, u"UseProxy"_s);
    const QPoint centre = box->rect().center();
    for (int button : clicks) {
        if (button == 0) {
            QTest::mouseClick(box, Qt::LeftButton, {}, centre);
            QTest::mouseDClick(box, Qt::LeftButton, {}, centre);
        } else {
            QTest::mouseClick(box, Qt::MouseButton(button), {}, centre);
        }
    }
    QCOMPARE(box->Value(), on);
    QCOMPARE(main->ProxyOn(), on);
    for (const QString& field : {u"ProxyA"_s, u"ProxyP"_s, u"Label2"_s, u"Label3"_s})
        QCOMPARE(enabled(*main, field), on);
    main->close();
    QCOMPARE(settingsFile().contains(on ? "UseProxy=True" : "UseProxy=False"), true);
}

void TestMain::typedProxyTextsAreSaved()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    click(*main, u"UseProxy"_s);
    auto* address = child<QLineEdit>(*main, u"ProxyA"_s);
    address->selectAll();
    type(address, u"прокси.рф"_s);
    auto* port = child<QLineEdit>(*main, u"ProxyP"_s);
    port->selectAll();
    QTest::keyClicks(port, u"3128"_s);
    main->close();
    // The address goes to the file in the ANSI code page.
    QCOMPARE(settingsFile(), settings(10, true, "\xEF\xF0\xEE\xEA\xF1\xE8.\xF0\xF4", "3128", 300));
}

void TestMain::dialogsReturnTheFocusToDown()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    QApplication::setActiveWindow(main.get());
    m_answer = [](QDialog& dialog) {
        if (dialog.objectName() == u"About"_s) {
            QVERIFY(dialog.isModal());
            click(dialog, u"OK"_s);
        } else {
            click(dialog, u"Cancel"_s);
        }
    };
    child<QWidget>(*main, u"Exit"_s)->setFocus();
    click(*main, u"AboutB"_s);
    QCOMPARE(main->focusWidget(), child<QWidget>(*main, u"Down"_s));
    child<QWidget>(*main, u"Exit"_s)->setFocus();
    click(*main, u"cashe"_s);
    QCOMPARE(main->focusWidget(), child<QWidget>(*main, u"Down"_s));
    QCOMPARE(m_shown, QStringList({u"About"_s, u"Options"_s}));
    // Cancel kept the limit and the file.
    QCOMPARE(settingsFile(), FirstStartSettings);
}

void TestMain::cacheDialogChangesTheLimit()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    m_answer = [](QDialog& dialog) {
        QCOMPARE(child<QLabel>(dialog, u"KS"_s)->text(), u"300"_s);
        QCOMPARE(child<QLabel>(dialog, u"TRC"_s)->text(), u"0"_s);
        auto* spin = child<SpinArrows>(dialog, u"KSV"_s);
        QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, 2));
        click(dialog, u"OK"_s);
    };
    click(*main, u"cashe"_s);
    QCOMPARE(main->CasheSizeSetting(), qint16(301));
    QVERIFY(settingsFile().endsWith("CasheSize=301\r\n"));
    main->close();
    QCOMPARE(settingsFile(), settings(10, false, "127.0.0.1", "8080", 301));
}

void TestMain::openAlboomStartsTheBrowser()
{
    useRecordingBrowser();
    QVERIFY(QDir(m_dir->path()).mkpath(u"downloads"_s));
    TestSupport::writeAll(file(u"/downloads/index.htm"_s), "<html></html>");
    writeSettings(FirstStartSettings);
    auto main = openMain();
    click(*main, u"OpenAlboom"_s);
    click(*main, u"OpenAlboom"_s);
    const QByteArray once = file(u"/downloads/index.htm"_s).toUtf8() + '\n';
    QTRY_COMPARE(TestSupport::readAll(file(u"/started.txt"_s)), once + once);
    QCOMPARE(main->focusWidget(), child<QWidget>(*main, u"Down"_s));
    QCOMPARE(text(*main, u"stat"_s), u"Гатоф"_s);
}

void TestMain::openAlboomWithoutBrowserSaysSo()
{
    qputenv("BROWSER", file(u"/no such browser"_s).toUtf8());
    QVERIFY(QDir(m_dir->path()).mkpath(u"downloads"_s));
    TestSupport::writeAll(file(u"/downloads/index.htm"_s), "<html></html>");
    writeSettings(FirstStartSettings);
    auto main = openMain();
    click(*main, u"OpenAlboom"_s);
    QCOMPARE(text(*main, u"stat"_s), u"Браузер не запустился"_s);
}

// Whatever a run ends with fits the status label: a text too long for it is cut short there and
// given whole as the label's tooltip and accessible description, which a text that fits clears.
void TestMain::endOfRunTextsFitTheStatusLabel()
{
    writeSettings(FirstStartSettings);
    auto main = openMain();
    const QLabel* stat = child<QLabel>(*main, u"stat"_s);
    const int room = stat->contentsRect().width();
    QStringList reasons{u"имя негодное"_s};
    for (int reason = int(FileIo::Reason::NoSpace); reason <= int(FileIo::Reason::Other); ++reason)
        reasons << FileIo::Error::describe(FileIo::Reason(reason));
    int cut = 0;
    for (int pictures = 0; pictures <= CrawlDriver::MaxPages; ++pictures) {
        for (const bool album : {false, true}) {
            for (const QString& why : reasons) {
                const QString text = CrawlDriver::endOfRunText(pictures, album, why);
                main->setStat(text);
                const QString shown = stat->text();
                if (stat->fontMetrics().horizontalAdvance(shown) > room)
                    QFAIL(qPrintable(u"does not fit: "_s + shown));
                const QString whole = shown == text ? QString() : text;
                if (!whole.isEmpty() &&
                    (!shown.endsWith(u'…') || !text.startsWith(shown.chopped(1))))
                    QFAIL(qPrintable(u"not the start of the text: "_s + shown));
                if (stat->toolTip() != whole || stat->accessibleDescription() != whole)
                    QFAIL(qPrintable(u"not given whole: "_s + text));
                cut += whole.isEmpty() ? 0 : 1;
            }
        }
    }
    QVERIFY(cut > 0);
    QVERIFY(!stat->toolTip().isEmpty());
    main->setStat(u"Фсе. Можно фтыкать."_s);
    QVERIFY(stat->toolTip().isEmpty());
    QVERIFY(stat->accessibleDescription().isEmpty());
}

void TestMain::fullRunThroughTheWindow()
{
    DemoSiteThread site;
    writeSettings(FirstStartSettings);
    auto main = openMain();
    // Three pages through the demo site, which plays the proxy as well.
    clickArrow(*main, false, 7);
    click(*main, u"UseProxy"_s);
    auto* port = child<QLineEdit>(*main, u"ProxyP"_s);
    port->selectAll();
    QTest::keyClicks(port, QString::fromLatin1(site.portText()));

    bool runningSeen = false;
    Trigger watch(
        [&] { return child<TamskXpButton>(*main, u"Down"_s)->Caption() == u"Стой сцуко!"_s; },
        [&] {
            runningSeen = !enabled(*main, u"cashe"_s) && !enabled(*main, u"VS"_s) &&
                          !enabled(*main, u"VL"_s) && enabled(*main, u"AboutB"_s);
        });
    click(*main, u"Down"_s);

    QVERIFY(runningSeen);
    QCOMPARE(text(*main, u"stat"_s), u"Фсе. Можно фтыкать."_s);
    QCOMPARE(site.stats().frontRequests, 1);
    QCOMPARE(site.stats().listingRequests, 3);
    QCOMPARE(site.stats().pictureRequests, 3);
    const QString last =
        file(u"/downloads/"_s) + QString::fromLatin1(site.content().picture(3).name);
    QCOMPARE(child<RImage>(*main, u"RImage"_s)->Picture(), last);
    QCOMPARE(TestSupport::readAll(last), site.content().pictureBytes(3));
    QVERIFY(!child<RImage>(*main, u"RImage"_s)->shownPicture().isNull());
    QVERIFY(QFile::exists(file(u"/downloads/index.htm"_s)));
    QVERIFY(enabled(*main, u"OpenAlboom"_s));
    QCOMPARE(child<TamskXpButton>(*main, u"Down"_s)->Caption(), u"Качать"_s);
    QVERIFY(enabled(*main, u"cashe"_s));
    QVERIFY(enabled(*main, u"VS"_s));
    QVERIFY(enabled(*main, u"VL"_s));
    QVERIFY(text(*main, u"TR"_s) != u"Трафек: 0 Кб"_s);
    QVERIFY(m_failureTexts.isEmpty());
    // The run saved the new count and the proxy at once.
    QCOMPARE(settingsFile(), settings(3, true, "127.0.0.1", site.portText(), 300));
}

void TestMain::stopInTheMiddle()
{
    DemoSiteThread site;
    site.server().addFault("stall=picture:2");
    writeSettings(settings(5, true, "127.0.0.1", site.portText(), 300));
    auto main = openMain();
    Trigger stop([&] { return site.stats().pictureRequests == 2; },
                 [&] { click(*main, u"Down"_s); });
    click(*main, u"Down"_s);

    QVERIFY(stop.fired());
    QCOMPARE(text(*main, u"stat"_s), u"Абламался"_s);
    QCOMPARE(main->session().PageIndex(), qint16(2));
    QCOMPARE(child<TamskXpButton>(*main, u"Down"_s)->Caption(), u"Качать"_s);
    QVERIFY(enabled(*main, u"cashe"_s));
    QVERIFY(enabled(*main, u"VS"_s));
    const QString first =
        file(u"/downloads/"_s) + QString::fromLatin1(site.content().picture(1).name);
    QCOMPARE(child<RImage>(*main, u"RImage"_s)->Picture(), first);
    QVERIFY(!QFile::exists(file(u"/downloads/"_s) +
                           QString::fromLatin1(site.content().picture(2).name)));
    QVERIFY(m_failureTexts.isEmpty());
    QVERIFY(main->isVisible());
}

void TestMain::closingDuringARun()
{
    DemoSiteThread site;
    site.server().addFault("stall=picture:2");
    writeSettings(settings(5, true, "127.0.0.1", site.portText(), 300));
    auto main = openMain();
    QSignalSpy ended(main.get(), &Main::programEnded);
    Trigger close([&] { return site.stats().pictureRequests == 2; }, [&] { main->close(); });
    click(*main, u"Down"_s);

    QVERIFY(close.fired());
    QVERIFY(!main->isVisible());
    // No failure message for a window the user closed; the settings are saved.
    QVERIFY(m_failureTexts.isEmpty());
    QCOMPARE(settingsFile(), settings(5, true, "127.0.0.1", site.portText(), 300));
    QVERIFY(!main->session().Running());
    // Nothing starts once the window is gone.
    const int requests = site.stats().requests;
    main->session().Down_Click();
    QCOMPARE(site.stats().requests, requests);
}

void TestMain::exitDuringARun()
{
    DemoSiteThread site;
    site.server().addFault("stall=page:2");
    writeSettings(settings(5, true, "127.0.0.1", site.portText(), 300));
    auto main = openMain();
    QSignalSpy ended(main.get(), &Main::programEnded);
    Trigger exit([&] { return site.stats().listingRequests == 2; },
                 [&] {
                     clickArrow(*main, true); // disabled during the run: stays at 5
                     click(*main, u"Exit"_s);
                 });
    click(*main, u"Down"_s);

    QVERIFY(exit.fired());
    QCOMPARE(ended.size(), 1);
    QVERIFY(!main->isVisible());
    QVERIFY(m_failureTexts.isEmpty());
    QCOMPARE(settingsFile(), settings(5, true, "127.0.0.1", site.portText(), 300));
}

void TestMain::pageWithoutMarkerEndsTheProgram()
{
    DemoSiteThread site;
    site.server().addFault("nomarker=page:2");
    writeSettings(settings(5, true, "127.0.0.1", site.portText(), 300));
    auto main = openMain();
    QSignalSpy ended(main.get(), &Main::programEnded);
    click(*main, u"Down"_s);

    QCOMPARE(m_failureTexts,
             QStringList({u"Ашиыпка при абработке страниц сайта золванеком."_s, u"Ужос нах!"_s}));
    QCOMPARE(ended.size(), 1);
    QVERIFY(!main->isVisible());
    QCOMPARE(settingsFile(), settings(5, true, "127.0.0.1", site.portText(), 300));
}

// Another run (a second window, zolvane-fetch) goes on in the folder: the window says so at once
// in a line that fits its label and starts nothing, and the cache dialog does not clear the
// cache under that run. Once it has ended, both work again.
void TestMain::anotherRunInTheFolderKeepsItsFiles()
{
    DemoSiteThread site;
    writeSettings(settings(2, true, "127.0.0.1", site.portText(), 300));
    ResponseCache cache;
    cache.setFolder(file(u"/!cashe"_s));
    QVERIFY(!cache.store("/photo/page1.html", "HTTP/1.0 200 OK\r\n\r\nkept"));
    auto main = openMain();
    FolderLock otherRun;
    QVERIFY(!otherRun.take(ProgramFolder(m_dir->path()).runLock()));

    click(*main, u"Down"_s);
    auto* stat = child<QLabel>(*main, u"stat"_s);
    QCOMPARE(stat->text(), DownloadSession::StatFolderBusy);
    QVERIFY(stat->fontMetrics().horizontalAdvance(stat->text()) <= stat->contentsRect().width());
    QCOMPARE(child<TamskXpButton>(*main, u"Down"_s)->Caption(), u"Качать"_s);
    QVERIFY(enabled(*main, u"cashe"_s));
    QCOMPARE(site.stats().requests, 0);
    QVERIFY(!QFile::exists(file(u"/downloads"_s)));

    const auto clearCache = [this, &main](const QString& caption, const QString& left) {
        m_answer = [&](QDialog& dialog) {
            click(dialog, u"CLCashe"_s);
            QCOMPARE(child<TamskXpButton>(dialog, u"CLCashe"_s)->Caption(), caption);
            QCOMPARE(child<QLabel>(dialog, u"TRC"_s)->text(), left);
            click(dialog, u"Cancel"_s);
        };
        click(*main, u"cashe"_s);
        m_answer = nullptr;
    };
    clearCache(u"Низя, щас качают!"_s, u"1"_s);
    QCOMPARE(cache.lookup("/photo/page1.html"),
             std::optional<QByteArray>("HTTP/1.0 200 OK\r\n\r\nkept"));

    otherRun.release();
    clearCache(u"Фтопку кэш!"_s, u"0"_s);
    click(*main, u"Down"_s);
    QCOMPARE(stat->text(), u"Фсе. Можно фтыкать."_s);
    QCOMPARE(site.stats().pictureRequests, 2);
}

QTEST_MAIN(TestMain)
#include "tst_Main.moc"
