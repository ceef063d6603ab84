#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class SiteContent;

// The site written out as a web server's document root: the front page as index.html, listing
// pages and pictures at the paths the pages link. The bytes are the demo site's bodies.
namespace SiteCopy {

struct Shape {
    qint64 pageBytesMedian = 0;
    double stopShareLow = 0; // where the stop marker ends, as a share of the page
    double stopShareHigh = 0;
    qint64 pictureBytesLow = 0;
    qint64 pictureBytesHigh = 0;
    qint64 pictureBytesMedian = 0;
    QList<QByteArray> formats; // file name extensions of the pictures, each once
};

// The paths a run of `pages` asks for, in its order: the front page, then each listing page and
// its picture.
QList<QByteArray> runPaths(const SiteContent& site, int pages);

// Writes the front page and the first `pages` listing pages with their pictures under `root`.
// Empty when every file was written, else why not.
QString write(const SiteContent& site, int pages, const QString& root);

Shape shapeOf(const SiteContent& site, int pages);

// A site whose first listing page shows one huge picture: the front page, that page, and a BMP
// of about `pictureBytes` at the picture's path. Empty on success, else why not.
QString writeHugePicture(const QString& root, qint64 pictureBytes, qint64* writtenBytes);

// Removes everything under `root`, whatever bytes the names hold.
void removeFiles(const QString& root);

} // namespace SiteCopy
