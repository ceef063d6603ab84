// Response cache: a lookup that hits the last of 1000 entries. Prints medians.
#include "core/net/ResponseCache.h"
#include "core/settings/Ini.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The same search reading the database once per entry.
bool lookupEntryByEntry(const QString& folder, const QByteArray& path)
{
    Ini ini;
    ini.setFileName(folder + u"/!Cashe.dat"_s);
    const int n = ini.RINIi("Main", "Files");
    for (int i = 1; i <= n; ++i) {
        if (ini.RINI("Cashe", "cashe" + ResponseCache::PadNumber(i)) == path)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/!cashe"_s;
    ResponseCache cache;
    cache.setFolder(folder);
    cache.setLimit(1000);
    const QByteArray reply = "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(20000, 'r');
    for (int i = 1; i <= 1000; ++i) {
        if (const FileIo::Error error =
                cache.store("/photo/page" + QByteArray::number(i) + ".htm", reply)) {
            std::printf("store failed: %s\n", qPrintable(error.message()));
            return 1;
        }
    }
    const QByteArray last = "/photo/page1000.htm";

    std::vector<double> once;
    for (int i = 0; i < 51; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto hit = cache.lookup(last);
        once.push_back(timer.nsecsElapsed() / 1e6);
        if (!hit || *hit != reply) {
            std::printf("lookup missed\n");
            return 1;
        }
    }
    std::printf("lookup hitting entry 1000 of 1000: median %.3f ms (51 runs)\n", median(once));

    std::vector<double> perEntry;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!lookupEntryByEntry(folder, last))
            return 1;
        perEntry.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("same search reading the database once per entry: median %.1f ms (3 runs)\n",
                median(perEntry));
    return 0;
}
