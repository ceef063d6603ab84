// Reading the last key of a 1000-key settings file: every read goes to the file.
#include "core/settings/Ini.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath(QStringLiteral("!Cashe.dat"));
    QByteArray bytes = "[Cashe]\r\n";
    for (int i = 1; i <= 1000; ++i)
        bytes += "/photo/page" + QByteArray::number(i) + ".html=cashe" +
                 QByteArray::number(i).rightJustified(5, '0') + ".tmp\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();

    Ini ini;
    ini.setFileName(path);
    constexpr int Rounds = 2000;
    std::vector<qint64> nanoseconds;
    nanoseconds.reserve(Rounds);
    qsizetype sink = 0;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray value = ini.RINI("Cashe", "/photo/page1000.html");
        nanoseconds.push_back(timer.nsecsElapsed());
        sink += value.size();
    }
    if (sink != qsizetype(Rounds) * 14) // "cashe01000.tmp"
        return 1;
    std::sort(nanoseconds.begin(), nanoseconds.end());
    std::printf("RINI, last of 1000 keys (%lld-byte file): median %.1f us per read over %d reads\n",
                static_cast<long long>(bytes.size()), nanoseconds[Rounds / 2] / 1000.0, Rounds);
    return 0;
}
