#pragma once

#include "Rgb.h"

#include <QByteArray>
#include <QList>

// A small baseline JPEG encoder, so the demo site needs no QtGui: JFIF, YCbCr with the colour
// halved both ways (4:2:0), the example quantisation and Huffman tables every decoder knows.
// Integer arithmetic only: the same pixels always give the same bytes.
namespace JpegWriter {

// `pixels` holds width * height colours, row by row; width and height are 1 to 65535.
QByteArray encode(int width, int height, const QList<Rgb>& pixels);

} // namespace JpegWriter
