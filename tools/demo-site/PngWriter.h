#pragma once

#include "Rgb.h"

#include <QByteArray>
#include <QList>

// A small PNG encoder, so the demo site needs no QtGui: 8-bit RGB, no interlacing, one zlib
// stream in a fixed-Huffman deflate block. The same pixels always give the same bytes.
namespace PngWriter {

// `pixels` holds width * height colours, row by row; width and height are at least 1.
QByteArray encode(int width, int height, const QList<Rgb>& pixels);

} // namespace PngWriter
