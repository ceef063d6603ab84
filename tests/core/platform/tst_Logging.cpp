#include "core/net/CacheWriter.h"
#include "core/net/ResponseCache.h"
#include "core/platform/FileIo.h"
#include "core/platform/Logging.h"
#include "core/settings/Settings.h"

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

struct LogLine {
    QString category;
    QString message;
};

// Lines come from the cache writer's thread too.
std::mutex capturedMutex;
QList<LogLine> captured;

void capture(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    const std::lock_guard lock(capturedMutex);
    captured.append({QString::fromLatin1(context.category), message});
}

QList<LogLine> ourLines()
{
    const std::lock_guard lock(capturedMutex);
    QList<LogLine> lines;
    for (const LogLine& line : std::as_const(captured)) {
        if (line.category.startsWith(u"zolvane."_s))
            lines.append(line);
    }
    return lines;
}

FileIo::WriteFunction fullDisk()
{
    return [](QByteArrayView) -> qint64 {
        errno = ENOSPC;
        return -1;
    };
}

} // namespace

// A failure left alone on purpose is silent by default and logged in its category once the
// category is turned on.
class TestLogging : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        captured.clear();
        m_previousHandler = qInstallMessageHandler(capture);
    }

    void cleanup()
    {
        qInstallMessageHandler(m_previousHandler);
        QLoggingCategory::setFilterRules({});
    }

    void droppedFailureIsLogged_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("turnedOn");
        for (const QString& category : {u"zolvane.cache"_s, u"zolvane.settings"_s}) {
            QTest::addRow("%s, silent by default", qPrintable(category)) << category << false;
            QTest::addRow("%s, turned on", qPrintable(category)) << category << true;
        }
    }

    void droppedFailureIsLogged()
    {
        QFETCH(QString, category);
        QFETCH(bool, turnedOn);
        if (turnedOn)
            Logging::showAll();
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString failedFile;
        {
            const FileIo::ScopedWriteFunction full(fullDisk());
            if (category == u"zolvane.cache"_s) {
                ResponseCache cache;
                cache.setFolder(dir.filePath(u"!cashe"_s));
                CacheWriter writer(cache);
                writer.store("/photo/page1.html", "HTTP/1.0 200 OK\r\n\r\nbody", false);
                writer.finish();
                failedFile = cache.databasePath();
            } else {
                failedFile = dir.filePath(u"options.ini"_s);
                Settings().save(failedFile);
            }
        }
        const QList<LogLine> lines = ourLines();
        if (!turnedOn) {
            QCOMPARE(lines.size(), 0);
            return;
        }
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.first().category, category);
        QVERIFY2(lines.first().message.contains(failedFile), qPrintable(lines.first().message));
        QVERIFY2(lines.first().message.endsWith(u"места нет"_s), qPrintable(lines.first().message));
    }

private:
    QtMessageHandler m_previousHandler = nullptr;
};

QTEST_GUILESS_MAIN(TestLogging)
#include "tst_Logging.moc"
