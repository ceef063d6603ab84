#pragma once

#include <QByteArray>
#include <QSize>

// Draws the site's pictures: a deterministic pattern per seed, encoded as the format asks.
namespace PictureMaker {

enum class Format { Jpeg, Png, Gif };

// A drawing is flat colour; a photo carries grain, so its file is about as large as a real photo
// of its size.
enum class Finish { Drawing, Photo };

// The encoded file. The same arguments always give the same bytes.
QByteArray draw(Format format, QSize size, quint32 seed, Finish finish = Finish::Drawing);

// The file name extension of a format, with its dot.
QByteArray extension(Format format);

// The Content-Type the site sends for a format.
QByteArray mimeType(Format format);

} // namespace PictureMaker
