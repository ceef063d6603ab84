#include "bench/support/SiteCopy.h"

#include "SiteContent.h"

#include <QFile>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace {

// Site paths hold the site's raw bytes (KOI8-R names), so files are made through byte paths,
// never through QString.
std::filesystem::path onDisk(const QString& root, const QByteArray& sitePath)
{
    const QByteArray file = sitePath == "/" ? QByteArray("/index.html") : sitePath;
    return std::filesystem::path(QByteArray(QFile::encodeName(root) + file).toStdString());
}

QString writeFile(const QString& root, const QByteArray& sitePath, const QByteArray& bytes)
{
    const std::filesystem::path path = onDisk(root, sitePath);
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.constData(), std::streamsize(bytes.size()));
    file.close();
    return file ? QString()
                : QStringLiteral("cannot write %1").arg(QString::fromStdString(path.string()));
}

qint64 medianOf(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void putLittleEndian(QByteArray& bytes, qsizetype at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// A 24-bit BMP header for a picture of width x height.
QByteArray bmpHeader(int width, int height, qint64 rowBytes)
{
    QByteArray header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian(header, 2, quint32(54 + rowBytes * height), 4);
    putLittleEndian(header, 10, 54, 4);
    putLittleEndian(header, 14, 40, 4);
    putLittleEndian(header, 18, quint32(width), 4);
    putLittleEndian(header, 22, quint32(height), 4);
    putLittleEndian(header, 26, 1, 2);
    putLittleEndian(header, 28, 24, 2);
    putLittleEndian(header, 34, quint32(rowBytes * height), 4);
    return header;
}

} // namespace

namespace SiteCopy {

QList<QByteArray> runPaths(const SiteContent& site, int pages)
{
    QList<QByteArray> paths{"/"};
    for (int position = 1; position <= pages; ++position)
        paths << site.listingPath(position) << site.picture(position).path;
    return paths;
}

QString write(const SiteContent& site, int pages, const QString& root)
{
    QString error = writeFile(root, "/", site.frontPage());
    for (int position = 1; position <= pages && error.isEmpty(); ++position) {
        error = writeFile(root, site.listingPath(position), site.listingPage(position));
        if (error.isEmpty())
            error = writeFile(root, site.picture(position).path, site.pictureBytes(position));
    }
    return error;
}

Shape shapeOf(const SiteContent& site, int pages)
{
    Shape shape;
    shape.stopShareLow = 1;
    std::vector<qint64> pageBytes;
    std::vector<qint64> pictureBytes;
    std::set<QByteArray> formats;
    for (int position = 1; position <= pages; ++position) {
        const QByteArray page = site.listingPage(position);
        const QByteArray stop = SiteContent::listingPageStop();
        const double share = double(page.indexOf(stop) + stop.size()) / double(page.size());
        shape.stopShareLow = std::min(shape.stopShareLow, share);
        shape.stopShareHigh = std::max(shape.stopShareHigh, share);
        pageBytes.push_back(page.size());
        pictureBytes.push_back(site.pictureBytes(position).size());
        const QByteArray name = site.picture(position).name;
        formats.insert(name.mid(name.lastIndexOf('.') + 1));
    }
    shape.pageBytesMedian = medianOf(pageBytes);
    shape.pictureBytesMedian = medianOf(pictureBytes);
    if (!pictureBytes.empty()) {
        shape.pictureBytesLow = *std::min_element(pictureBytes.begin(), pictureBytes.end());
        shape.pictureBytesHigh = *std::max_element(pictureBytes.begin(), pictureBytes.end());
    }
    shape.formats = QList<QByteArray>(formats.begin(), formats.end());
    return shape;
}

void removeFiles(const QString& root)
{
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(QFile::encodeName(root).toStdString(), error))
        std::filesystem::remove_all(entry.path(), error);
}

QString writeHugePicture(const QString& root, qint64 pictureBytes, qint64* writtenBytes)
{
    DemoSiteOptions options = DemoSiteOptions::realShape();
    options.pictureNames.insert(1, "ogromnaya.bmp");
    const SiteContent site(options);
    QString error = writeFile(root, "/", site.frontPage());
    if (error.isEmpty())
        error = writeFile(root, site.listingPath(1), site.listingPage(1));
    if (!error.isEmpty())
        return error;

    // Colour noise, row by row, so that the picture never sits whole in the bench's memory.
    constexpr int Width = 6000;
    const qint64 rowBytes = Width * 3;
    const int height = int((pictureBytes - 54) / rowBytes);
    const std::filesystem::path path = onDisk(root, site.picture(1).path);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const QByteArray header = bmpHeader(Width, height, rowBytes);
    file.write(header.constData(), header.size());
    QByteArray row(rowBytes, '\0');
    quint32 state = 2463534242u;
    for (int y = 0; y < height && file; ++y) {
        for (char& byte : row) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = char(state >> 24);
        }
        file.write(row.constData(), row.size());
    }
    file.close();
    if (!file)
        return QStringLiteral("cannot write %1").arg(QString::fromStdString(path.string()));
    *writtenBytes = 54 + rowBytes * height;
    return {};
}

} // namespace SiteCopy
