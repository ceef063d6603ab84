// Runs a fuzz target once over every file of the folders it is given (its seed corpus), the way
// the test suite uses the targets without libFuzzer. An empty or missing folder fails: a replay
// of nothing would pass without testing anything.
#include "core/platform/FileIo.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QStringList inputFiles(int argc, char* argv[])
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files, QDir::Name))
            files << file.filePath();
    }
    return files;
}

} // namespace

int main(int argc, char* argv[])
{
    const QStringList files = inputFiles(argc, argv);
    if (files.isEmpty()) {
        std::fprintf(stderr, "replay: no inputs given\n");
        return 2;
    }
    for (const QString& path : files) {
        const FileIo::Contents input = FileIo::read(path);
        if (input.error) {
            std::fprintf(stderr, "replay: %s\n", qPrintable(input.error.message()));
            return 2;
        }
        std::printf("replay: %s\n", qPrintable(QFileInfo(path).fileName()));
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.bytes.constData()),
                               size_t(input.bytes.size()));
    }
    std::printf("replay: %lld inputs\n", static_cast<long long>(files.size()));
    return 0;
}
