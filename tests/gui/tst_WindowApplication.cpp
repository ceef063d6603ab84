#include "gui/WindowApplication.h"

#include <QAbstractEventDispatcher>
#include <QProcessEnvironment>
#include <QTest>

// The application is made by WindowApplication itself (see main below), as the program makes it.
class TestWindowApplication : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runsOnQtsOwnEventLoop();
    void startedProcessesKeepTheirEventLoop();
};

void TestWindowApplication::runsOnQtsOwnEventLoop()
{
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    QVERIFY(dispatcher);
    QVERIFY2(!dispatcher->inherits("QEventDispatcherGlib"), dispatcher->metaObject()->className());
}

void TestWindowApplication::startedProcessesKeepTheirEventLoop()
{
    QVERIFY(!QProcessEnvironment::systemEnvironment().contains(u"QT_NO_GLIB"_qs));
}

int main(int argc, char* argv[])
{
    qunsetenv("QT_NO_GLIB");
    const auto app = WindowApplication::make(argc, argv);
    TestWindowApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WindowApplication.moc"
