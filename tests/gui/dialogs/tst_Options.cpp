#include "core/net/ResponseCache.h"
#include "gui/dialogs/Options.h"
#include "gui/widgets/ModalHook.h"
#include "gui/widgets/SpinArrows.h"
#include "gui/widgets/TamskXpButton.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

void click(QDialog& dialog, const QString& button)
{
    auto* target = dialog.findChild<TamskXpButton*>(button);
    QVERIFY2(target, qPrintable(button));
    QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
}

void clickArrow(QDialog& dialog, bool upper, int times = 1)
{
    auto* spin = dialog.findChild<SpinArrows*>(u"KSV"_s);
    const QPoint at(spin->width() / 2, upper ? 2 : spin->height() - 3);
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(spin, Qt::LeftButton, {}, at);
}

QString text(QDialog& dialog, const QString& label)
{
    return dialog.findChild<QLabel*>(label)->text();
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void layout_data();
    void layout();
    void opensWithLimitAndEmptyCache();
    void arrowsThenCancelChangeNothing();
    void okWithoutTouchingKeepsTheLimit();
    void okKeepsTheChosenLimit();
    void spinStopsAtItsBounds_data();
    void spinStopsAtItsBounds();
    void storedLimitOutsideTheRangeIsShownClamped_data();
    void storedLimitOutsideTheRangeIsShownClamped();
    void clearThenCancel();
    void closeBoxIsCancel();
    void okHasTheFocusAndTabOrder();

private:
    // Opens the dialog modally; `answer` acts on it once it is on screen.
    int run(const std::function<void(QDialog&)>& answer);
    void storeEntries(int count);

    std::unique_ptr<QTemporaryDir> m_dir;
    ResponseCache m_cache;
    qint16 m_limit = 300;
};

void TestOptions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_cache.setLimit(300);
    m_cache.setFolder(m_dir->filePath(u"!cashe"_s));
    m_limit = 300;
}

void TestOptions::cleanup()
{
    ModalHook::setOnShown({});
    m_dir.reset();
}

int TestOptions::run(const std::function<void(QDialog&)>& answer)
{
    bool shown = false;
    ModalHook::setOnShown([&](QDialog& dialog) {
        shown = true;
        answer(dialog);
        // Whatever the answer did, the dialog must not stay open.
        if (dialog.isVisible())
            dialog.reject();
    });
    Options options(m_cache, m_limit);
    const int result = ModalHook::exec(options);
    [&] { QVERIFY(shown); }();
    m_limit = options.CasheSizeSetting();
    return result;
}

void TestOptions::storeEntries(int count)
{
    for (int i = 1; i <= count; ++i)
        QVERIFY(!m_cache.store("/photo/page" + QByteArray::number(i) + ".html",
                               "HTTP/1.0 200 OK\r\n\r\nbody " + QByteArray::number(i)));
    QCOMPARE(m_cache.size(), qint16(count));
}

void TestOptions::window()
{
    Options options(m_cache, m_limit);
    QCOMPARE(options.windowTitle(), u"Настройки кэширования"_s);
    QCOMPARE(options.size(), QSize(194, 122));
    QCOMPARE(options.minimumSize(), options.maximumSize());
    QVERIFY(options.windowFlags().testFlag(Qt::Tool));
    QVERIFY(!(options.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(options.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(options.findChild<QLabel*>(u"BG"_s)->geometry(), QRect(0, 0, 194, 122));
}

void TestOptions::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("place"); // an empty size: the label takes the size of its text
    QTest::newRow("Shape1") << u"Shape1"_s << QString() << QRect(4, 4, 185, 81);
    QTest::newRow("Label2") << u"Label2"_s << u"Размер кэша:"_s << QRect(12, 12, 0, 0);
    QTest::newRow("KS") << u"KS"_s << u"300"_s << QRect(84, 12, 38, 17);
    QTest::newRow("KSV") << u"KSV"_s << QString() << QRect(124, 12, 13, 17);
    QTest::newRow("Label1") << u"Label1"_s << u"файлов"_s << QRect(140, 12, 0, 0);
    QTest::newRow("Label3") << u"Label3"_s << u"Текущий размер:"_s << QRect(12, 36, 0, 0);
    QTest::newRow("TRC") << u"TRC"_s << u"0"_s << QRect(104, 36, 34, 17);
    QTest::newRow("Label5") << u"Label5"_s << u"файлов"_s << QRect(140, 36, 0, 0);
    QTest::newRow("CLCashe") << u"CLCashe"_s << u"Фтопку кэш!"_s << QRect(16, 56, 161, 21);
    QTest::newRow("OK") << u"OK"_s << u"Зачот"_s << QRect(48, 92, 69, 25);
    QTest::newRow("Cancel") << u"Cancel"_s << u"Нафек"_s << QRect(120, 92, 69, 25);
}

void TestOptions::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, place);
    Options options(m_cache, m_limit);
    auto* control = options.findChild<QWidget*>(name);
    QVERIFY(control);
    if (place.isEmpty())
        QCOMPARE(control->pos(), place.topLeft());
    else
        QCOMPARE(control->geometry(), place);
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), caption);
    if (auto* button = qobject_cast<TamskXpButton*>(control)) {
        QCOMPARE(button->Caption(), caption);
        QVERIFY(button->Enabled());
        QCOMPARE(button->ForeColor(), SystemColors::WindowFrame);
    }
}

void TestOptions::opensWithLimitAndEmptyCache()
{
    QVERIFY(!QFile::exists(m_dir->filePath(u"!cashe/!Cashe.dat"_s)));
    run([](QDialog& dialog) {
        QCOMPARE(text(dialog, u"KS"_s), u"300"_s);
        QCOMPARE(dialog.findChild<SpinArrows*>(u"KSV"_s)->value(), 300);
        QCOMPARE(text(dialog, u"TRC"_s), u"0"_s);
    });
}

void TestOptions::arrowsThenCancelChangeNothing()
{
    const int result = run([](QDialog& dialog) {
        clickArrow(dialog, true, 3);
        QCOMPARE(text(dialog, u"KS"_s), u"303"_s);
        clickArrow(dialog, false);
        QCOMPARE(text(dialog, u"KS"_s), u"302"_s);
        click(dialog, u"Cancel"_s);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_limit, qint16(300));
}

void TestOptions::okWithoutTouchingKeepsTheLimit()
{
    m_limit = 123;
    const int result = run([](QDialog& dialog) { click(dialog, u"OK"_s); });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(m_limit, qint16(123));
}

void TestOptions::okKeepsTheChosenLimit()
{
    run([](QDialog& dialog) {
        clickArrow(dialog, false, 2);
        click(dialog, u"OK"_s);
    });
    QCOMPARE(m_limit, qint16(298));
    // The cache hears of it only when the next run starts.
    QCOMPARE(m_cache.limit(), qint16(300));
}

void TestOptions::spinStopsAtItsBounds_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("shown");
    QTest::newRow("bottom") << 12 << false << 5 << u"10"_s;
    QTest::newRow("top") << 998 << true << 5 << u"1000"_s;
    QTest::newRow("off the bottom and back") << 10 << false << 1 << u"10"_s;
}

void TestOptions::spinStopsAtItsBounds()
{
    QFETCH(int, limit);
    QFETCH(bool, upper);
    QFETCH(int, clicks);
    QFETCH(QString, shown);
    m_limit = qint16(limit);
    run([&](QDialog& dialog) {
        clickArrow(dialog, upper, clicks);
        QCOMPARE(text(dialog, u"KS"_s), shown);
        click(dialog, u"OK"_s);
    });
    QCOMPARE(m_limit, qint16(shown.toInt()));
}

void TestOptions::storedLimitOutsideTheRangeIsShownClamped_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("shown");
    QTest::newRow("too big") << 5000 << u"1000"_s;
    QTest::newRow("too small") << 3 << u"10"_s;
    QTest::newRow("negative") << -20 << u"10"_s;
    QTest::newRow("lowest") << 10 << u"10"_s;
    QTest::newRow("highest") << 1000 << u"1000"_s;
}

void TestOptions::storedLimitOutsideTheRangeIsShownClamped()
{
    QFETCH(int, limit);
    QFETCH(QString, shown);
    m_limit = qint16(limit);
    run([&](QDialog& dialog) {
        QCOMPARE(text(dialog, u"KS"_s), shown);
        QCOMPARE(dialog.findChild<SpinArrows*>(u"KSV"_s)->value(), shown.toInt());
        click(dialog, u"Cancel"_s);
    });
    QCOMPARE(m_limit, qint16(limit));
}

void TestOptions::clearThenCancel()
{
    storeEntries(3);
    run([](QDialog& dialog) {
        QCOMPARE(text(dialog, u"TRC"_s), u"3"_s);
        clickArrow(dialog, true);
        click(dialog, u"CLCashe"_s);
        QVERIFY(dialog.isVisible());
        QCOMPARE(text(dialog, u"TRC"_s), u"0"_s);
        // The limit chosen so far stays on screen.
        QCOMPARE(text(dialog, u"KS"_s), u"301"_s);
        click(dialog, u"Cancel"_s);
    });
    QCOMPARE(m_cache.size(), qint16(0));
    QVERIFY(!m_cache.lookup("/photo/page1.html"));
    QCOMPARE(m_limit, qint16(300));
}

void TestOptions::closeBoxIsCancel()
{
    const int result = run([](QDialog& dialog) {
        clickArrow(dialog, true);
        dialog.close();
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(m_limit, qint16(300));
}

void TestOptions::okHasTheFocusAndTabOrder()
{
    run([](QDialog& dialog) {
        QCOMPARE(dialog.focusWidget(), dialog.findChild<QWidget*>(u"OK"_s));
        QStringList order;
        QWidget* w = dialog.focusWidget();
        for (int i = 0; i < 4; ++i) {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
        }
        QCOMPARE(order, QStringList({u"OK"_s, u"KSV"_s, u"CLCashe"_s, u"Cancel"_s}));
    });
}

QTEST_MAIN(TestOptions)
#include "tst_Options.moc"
