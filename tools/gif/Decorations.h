#pragma once

#include <QByteArray>

// The album's three decoration images, drawn pixel by pixel so the GIF files in data/ can be
// made again byte for byte (zolvane-draw-decorations).
namespace Decorations {

// A light tile for the page background.
QByteArray bg();
// A warm vertical shade behind the title cell.
QByteArray bghead();
// The site's logo, 201 x 72.
QByteArray head();

} // namespace Decorations
