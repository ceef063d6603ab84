#pragma once

#include <QtGlobal>

// An opaque colour, eight bits a channel: what the picture encoders take, without QtGui.
struct Rgb {
    constexpr Rgb() = default;
    // Each channel 0 to 255.
    constexpr Rgb(int r, int g, int b) : red(quint8(r)), green(quint8(g)), blue(quint8(b)) {}

    friend constexpr bool operator==(Rgb, Rgb) = default;

    quint8 red = 0;
    quint8 green = 0;
    quint8 blue = 0;
};
