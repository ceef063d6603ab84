#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

// The pictures the windows show, drawn here so that no binary file has to be kept.
namespace Artwork {

// 3 x 160: near white at the top to light grey at the bottom; stretched behind every window.
QImage backgroundGradient();

// 16 x 16, shared by the windows that show an icon.
QImage windowIcon16();
QIcon windowIcon();

// 201 x 72: the site's logo for the About window.
QImage logo();

// 35 x 49: a hand, black outline on a transparent ground, for the first-run window.
QImage handPictogram();

// 32 x 32 two-colour pointing hand with its hot spot at the fingertip (5, 0).
QImage handCursorImage();
QCursor handCursor();

} // namespace Artwork
