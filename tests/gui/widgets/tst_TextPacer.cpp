#include "gui/widgets/TextPacer.h"

#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTextPacer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unpacedShowsEveryChange()
    {
        QLabel label;
        TextPacer pacer(&label);
        for (const QString& text : {u"one"_s, u"two"_s, u"three"_s}) {
            pacer.setText(text);
            QCOMPARE(label.text(), text);
        }
    }

    // The first change at once, the latest when the interval is up; the ones between never, not
    // even to the function that puts them on the label.
    void pacedShowsTheFirstAndTheLatest()
    {
        QLabel label;
        QStringList shown;
        TextPacer pacer(&label, nullptr, [&shown](QLabel* on, const QString& text) {
            shown << text;
            on->setText(text.toUpper());
        });
        pacer.setPaced(true);
        pacer.setText(u"one"_s);
        pacer.setText(u"two"_s);
        pacer.setText(u"three"_s);
        QCOMPARE(label.text(), u"ONE"_s);
        QCOMPARE(pacer.text(), u"three"_s);
        QTRY_COMPARE_WITH_TIMEOUT(label.text(), u"THREE"_s, 1000);
        QCOMPARE(shown, (QStringList{u"one"_s, u"three"_s}));
    }

    void endOfPacingAndShowNowShowTheLatestAtOnce()
    {
        QLabel label;
        TextPacer pacer(&label);
        pacer.setPaced(true);
        pacer.setText(u"one"_s);
        pacer.setText(u"two"_s);
        pacer.showNow();
        QCOMPARE(label.text(), u"two"_s);
        pacer.setText(u"three"_s);
        pacer.setPaced(false);
        QCOMPARE(label.text(), u"three"_s);
        pacer.setText(u"four"_s);
        QCOMPARE(label.text(), u"four"_s);
    }
};

QTEST_MAIN(TestTextPacer)
#include "tst_TextPacer.moc"
