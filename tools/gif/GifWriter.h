#pragma once

#include "Rgb.h"

#include <QByteArray>
#include <QList>

// A minimal GIF89a encoder: one frame, a global colour table, LZW-compressed indices.
// QtGui reads GIF but cannot write it, and the site serves GIF pictures.
namespace GifWriter {

// `palette` holds 1 to 256 colours; `indices` holds width * height palette indices, row by row.
QByteArray encode(int width, int height, const QList<Rgb>& palette, const QByteArray& indices);

} // namespace GifWriter
