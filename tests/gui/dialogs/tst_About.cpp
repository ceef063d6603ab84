#include "core/platform/Constants.h"
#include "gui/dialogs/About.h"
#include "gui/resources/Artwork.h"
#include "gui/widgets/ModalHook.h"
#include "gui/widgets/TamskXpButton.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void labels_data();
    void labels();
    void logo();
    void link();
    void linkStartsTheBrowserOncePerClick();
    void linkWithoutBrowserStaysQuiet();
    void okClickCloses();

private:
    QString startBrowserLog() const { return m_dir.filePath(u"started.txt"_s); }
    void useRecordingBrowser();

    QTemporaryDir m_dir;
    QByteArray m_savedBrowser;
};

void TestAbout::init()
{
    m_savedBrowser = qgetenv("BROWSER");
}

void TestAbout::cleanup()
{
    ModalHook::setOnShown({});
    qputenv("BROWSER", m_savedBrowser);
}

// A stand-in browser in a folder whose name holds a blank: it records each argument it gets.
void TestAbout::useRecordingBrowser()
{
    QVERIFY(QDir(m_dir.path()).mkpath(u"Program Files/Browser"_s));
    const QString script = m_dir.filePath(u"Program Files/Browser/browse"_s);
    TestSupport::writeAll(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" +
                                      startBrowserLog().toUtf8() + "'\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("BROWSER", script.toUtf8());
}

void TestAbout::window()
{
    About about;
    QCOMPARE(about.windowTitle(), u"About"_s);
    QCOMPARE(about.size(), QSize(208, 247));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!about.windowIcon().isNull());
    QCOMPARE(about.findChild<QLabel*>(u"BG"_s)->geometry(), QRect(0, 0, 208, 247));
    QCOMPARE(about.findChild<QWidget*>(u"Shape1"_s)->geometry(), QRect(4, 112, 201, 41));
    QCOMPARE(about.findChild<QWidget*>(u"Line1"_s)->geometry(), QRect(8, 204, 188, 1));
    const auto* ok = about.findChild<TamskXpButton*>(u"OK"_s);
    QCOMPARE(ok->Caption(), u"Жжош сцуко!"_s);
    QCOMPARE(ok->geometry(), QRect(48, 216, 109, 25));
    QCOMPARE(ok->ForeColor(), SystemColors::WindowFrame);
}

void TestAbout::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label4") << u"Label4"_s << u"Zolvane VerezOzavidozoz"_s << QPoint(7, 8) << true;
    QTest::newRow("Label2") << u"Label2"_s << u"V 1.1"_s << QPoint(152, 84) << true;
    QTest::newRow("Label1") << u"Label1"_s << u"Сайт аффтара"_s << QPoint(64, 116) << true;
    QTest::newRow("Label6") << u"Label6"_s << QString::fromLatin1(Constants::MakerPage)
                            << QPoint(24, 132) << true;
}

void TestAbout::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QPoint, topLeft);
    QFETCH(bool, bold);
    About about;
    const auto* label = about.findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), topLeft);
    QCOMPARE(label->font().bold(), bold);
}

void TestAbout::logo()
{
    About about;
    const auto* image = about.findChild<QLabel*>(u"Image1"_s);
    QCOMPARE(image->geometry(), QRect(4, 32, 201, 72));
    QCOMPARE(image->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             Artwork::logo().convertToFormat(QImage::Format_ARGB32));
    // The version sits on top of the logo.
    const auto* version = about.findChild<QLabel*>(u"Label2"_s);
    QVERIFY(about.children().indexOf(version) > about.children().indexOf(image));
}

void TestAbout::link()
{
    About about;
    const auto* link = about.findChild<QLabel*>(u"Label6"_s);
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 0xC0));
    QVERIFY(link->font().underline());
    QCOMPARE(link->toolTip(), u"Посетить сайт программы"_s);
    QCOMPARE(link->cursor().hotSpot(), QPoint(5, 0));
    QCOMPARE(link->cursor().pixmap().size(), QSize(32, 32));
    // The whole address shows inside the window.
    QVERIFY(link->geometry().right() < about.width());
    QCOMPARE(link->text(), QString::fromLatin1(Constants::MakerPage));
}

void TestAbout::linkStartsTheBrowserOncePerClick()
{
    useRecordingBrowser();
    About about;
    about.show();
    auto* link = about.findChild<QLabel*>(u"Label6"_s);
    const QPoint centre = link->rect().center();
    QTest::mouseClick(link, Qt::LeftButton, {}, centre);
    // The platform makes a double-click of press, release, double-click, release: one click.
    QTest::mouseDClick(link, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(link, Qt::LeftButton, {}, centre);
    QTest::mouseClick(link, Qt::LeftButton, {}, centre);
    // A right click is not a click on a link.
    QTest::mouseClick(link, Qt::RightButton, {}, centre);
    const QByteArray once = Constants::MakerPage.toByteArray() + '\n';
    QTRY_COMPARE(TestSupport::readAll(startBrowserLog()), once + once);
    QTest::qWait(200); // a late extra start would show up now
    QCOMPARE(TestSupport::readAll(startBrowserLog()), once + once);
    QVERIFY(about.isVisible());
}

void TestAbout::linkWithoutBrowserStaysQuiet()
{
    qputenv("BROWSER", m_dir.filePath(u"no such browser"_s).toUtf8());
    About about;
    about.show();
    auto* link = about.findChild<QLabel*>(u"Label6"_s);
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    QVERIFY(about.isVisible());
}

void TestAbout::okClickCloses()
{
    ModalHook::setOnShown([](QDialog& dialog) {
        auto* ok = dialog.findChild<TamskXpButton*>(u"OK"_s);
        QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    });
    About about;
    QCOMPARE(ModalHook::exec(about), int(QDialog::Accepted));
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestAbout)
#include "tst_About.moc"
