#pragma once

#include <QRect>

// Window layouts are kept in twips, as they were designed; 15 twips make one logical pixel. Every
// control converts here, so that all of them round alike.
namespace Twips {

inline constexpr int PerPixel = 15;

// The nearest pixel; halves go away from zero.
constexpr int toPixels(double twips)
{
    const double pixels = twips / PerPixel;
    const int whole = int(pixels); // towards zero; the rest is exact
    const double rest = pixels - whole;
    if (rest >= 0.5)
        return whole + 1;
    if (rest <= -0.5)
        return whole - 1;
    return whole;
}

constexpr QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

constexpr double toTwips(double pixels)
{
    return pixels * PerPixel;
}

} // namespace Twips
