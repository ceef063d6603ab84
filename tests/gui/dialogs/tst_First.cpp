#include "gui/dialogs/First.h"
#include "gui/widgets/ModalHook.h"
#include "gui/widgets/TamskXpButton.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFirst : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { ModalHook::setOnShown({}); }
    void window();
    void labels_data();
    void labels();
    void pictogram();
    void okClickCloses();
    void closeBoxCloses();
};

void TestFirst::window()
{
    First first;
    QCOMPARE(first.windowTitle(), u"Первыйнах!"_s);
    QCOMPARE(first.size(), QSize(258, 175));
    QCOMPARE(first.minimumSize(), first.maximumSize());
    QVERIFY(!(first.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(first.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!first.windowIcon().isNull());
    const auto* bg = first.findChild<QLabel*>(u"BG"_s);
    QVERIFY(bg);
    QCOMPARE(bg->geometry(), QRect(0, 0, 258, 175));
    QVERIFY(bg->hasScaledContents());

    const auto* ok = first.findChild<TamskXpButton*>(u"OK"_s);
    QVERIFY(ok);
    QCOMPARE(ok->Caption(), u"Зачот"_s);
    QCOMPARE(ok->geometry(), QRect(156, 144, 97, 25));
    QVERIFY(ok->Enabled());
    QCOMPARE(ok->ForeColor(), SystemColors::WindowFrame);
}

void TestFirst::labels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Label1") << u"Label1"_s << u"Нравяццо забавныйе картинки?"_s << QPoint(8, 8)
                            << true;
    QTest::newRow("Label2")
        << u"Label2"_s
        << u"Любиш фтыкать веселыйе картинки на Zolvane, но не любиш грузить каменты к ним на два "
           u"метра? Эта прога скачивает только картинки, и экономит твой трафек в несколько раз."_s
        << QPoint(60, 40) << true;
}

void TestFirst::labels()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QPoint, topLeft);
    QFETCH(bool, bold);
    First first;
    const auto* label = first.findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), topLeft);
    QCOMPARE(label->font().bold(), bold);
    QVERIFY(!label->autoFillBackground());
}

void TestFirst::pictogram()
{
    First first;
    const auto* image = first.findChild<QLabel*>(u"Image1"_s);
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(8, 60, 35, 49));
    QCOMPARE(image->pixmap().size(), QSize(35, 49));
    const auto* text = first.findChild<QLabel*>(u"Label2"_s);
    QCOMPARE(text->geometry(), QRect(60, 40, 189, 93));
    QVERIFY(text->wordWrap());
    QVERIFY(text->alignment() & Qt::AlignHCenter);
}

void TestFirst::okClickCloses()
{
    QString shown;
    ModalHook::setOnShown([&](QDialog& dialog) {
        shown = dialog.objectName();
        auto* ok = dialog.findChild<TamskXpButton*>(u"OK"_s);
        QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    });
    First first;
    QCOMPARE(ModalHook::exec(first), int(QDialog::Accepted));
    QCOMPARE(shown, u"First"_s);
    QVERIFY(!first.isVisible());
}

void TestFirst::closeBoxCloses()
{
    ModalHook::setOnShown([](QDialog& dialog) { dialog.close(); });
    First first;
    QCOMPARE(ModalHook::exec(first), int(QDialog::Rejected));
    QVERIFY(!first.isVisible());
}

QTEST_MAIN(TestFirst)
#include "tst_First.moc"
