#pragma once

#include <QImage>

// The engine panel's busy icon: six dots on a ring, one dark dot chasing round.
namespace BusyFrames {

inline constexpr int Count = 6;
inline constexpr int Size = 32;

// Picture `index` (0 to Count - 1), 32 x 32 on a transparent ground; picture 0 is also the idle
// image.
QImage image(int index);

} // namespace BusyFrames
