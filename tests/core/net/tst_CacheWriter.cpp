#include "core/net/CacheWriter.h"
#include "core/net/ResponseCache.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray okReply(const QByteArray& body)
{
    return "HTTP/1.0 200 OK\r\n\r\n" + body;
}

} // namespace

// Stores run later, on their own thread; a lookup must still get the answer a store done at once
// would give, and wait for nothing else.
class TestCacheWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_cache = std::make_unique<ResponseCache>();
        m_cache->setFolder(m_dir->filePath(u"!cashe"_s));
    }

    void lookupOfAPathStillBeingStoredWaitsForIt()
    {
        CacheWriter writer(*m_cache);
        writer.holdStores();
        writer.store("/a", okReply("a"), false);
        const auto database = writer.databaseFor("/a");
        QVERIFY(database);
        QCOMPARE(m_cache->lookupIn(*database, "/a"), okReply("a"));
        QCOMPARE(writer.pending(), 0);
    }

    void lookupOfAnotherPathDoesNotWait()
    {
        CacheWriter writer(*m_cache);
        writer.store("/a", okReply("a"), false);
        writer.finish();
        writer.holdStores();
        writer.store("/b", okReply("b"), false);
        const auto database = writer.databaseFor("/a");
        QVERIFY(database);
        QCOMPARE(m_cache->lookupIn(*database, "/a"), okReply("a"));
        QCOMPARE(writer.pending(), 1);
        writer.finish();
        QCOMPARE(m_cache->lookup("/b"), okReply("b"));
    }

    // A waiting store that empties the cache (its limit reached) takes the older entries with
    // it: a lookup after it finds none of them.
    void lookupWaitsForAStoreThatStartsANewGeneration()
    {
        m_cache->setLimit(2);
        CacheWriter writer(*m_cache);
        writer.store("/a", okReply("a"), false);
        writer.store("/b", okReply("b"), false);
        writer.finish();
        writer.holdStores();
        writer.store("/c", okReply("c"), false);
        const auto database = writer.databaseFor("/a");
        QVERIFY(database);
        QCOMPARE(m_cache->lookupIn(*database, "/a"), std::nullopt);
        QCOMPARE(ResponseCache::filesIn(*database), qint16(1));
        QCOMPARE(m_cache->lookupIn(*database, "/c"), okReply("c"));
    }

    // The writer shares the bytes it is handed instead of copying them: a buffer filled anew
    // afterwards (the next transfer) leaves what is stored alone, and so do borrowed bytes that
    // change.
    void storedBytesAreThoseHandedOver()
    {
        CacheWriter writer(*m_cache);
        writer.holdStores();
        QByteArray buffer = okReply("first");
        writer.store("/a", buffer, false);
        buffer.data()[buffer.size() - 1] = 'X';
        buffer.append("more");
        char borrowed[] = "HTTP/1.0 200 OK\r\n\r\nborrowed";
        writer.store("/b", QByteArray::fromRawData(borrowed, sizeof borrowed - 1), false);
        borrowed[sizeof borrowed - 2] = 'X';
        writer.finish();
        QCOMPARE(m_cache->lookup("/a"), okReply("first"));
        QCOMPARE(m_cache->lookup("/b"), okReply("borrowed"));
    }

    void everyStoreHandedOverIsDoneWhenTheWriterGoes()
    {
        {
            CacheWriter writer(*m_cache);
            writer.holdStores();
            for (int i = 1; i <= 20; ++i)
                writer.store("/p" + QByteArray::number(i), okReply(QByteArray::number(i)), false);
        }
        QCOMPARE(m_cache->size(), qint16(20));
        QCOMPARE(m_cache->lookup("/p20"), okReply("20"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ResponseCache> m_cache;
};

QTEST_GUILESS_MAIN(TestCacheWriter)
#include "tst_CacheWriter.moc"
