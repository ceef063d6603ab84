#include "gui/resources/CheckPictures.h"

#include <QColor>
#include <algorithm>

namespace CheckPictures {

namespace {

constexpr int Side = 12;
constexpr int GreyedSide = 13;

const QColor GreyFrame(112, 112, 112);
const QColor LightFrame(198, 198, 198);
const QColor BlueFrame(0, 60, 116);

QColor mix(const QColor& from, const QColor& to, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor(int(from.red() + (to.red() - from.red()) * t + 0.5),
                  int(from.green() + (to.green() - from.green()) * t + 0.5),
                  int(from.blue() + (to.blue() - from.blue()) * t + 0.5));
}

QImage framed(int side, const QColor& frame)
{
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(frame);
    return image;
}

// Everything inside the one-pixel frame, in the colour given for each pixel.
template <typename ColourAt> void fillInside(QImage& image, ColourAt colourAt)
{
    for (int y = 1; y < image.height() - 1; ++y)
        for (int x = 1; x < image.width() - 1; ++x)
            image.setPixel(x, y, colourAt(x, y).rgb());
}

// The classic 7 x 7 tick, its top-left corner at (3, 3).
void drawTick(QImage& image, const QColor& color)
{
    static const char* const rows[] = {"......X", ".....XX", "X...XXX", "XX.XXX.",
                                       "XXXXX..", ".XXX...", "..X...."};
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (rows[y][x] == 'X')
                image.setPixel(3 + x, 3 + y, color.rgb());
}

QImage idle()
{
    QImage image = framed(Side, GreyFrame);
    fillInside(image, [](int, int) { return QColor(220, 220, 215); });
    for (int i = 1; i < Side - 1; ++i) {
        image.setPixel(i, 1, QColor(255, 255, 255).rgb());
        image.setPixel(1, i, QColor(255, 255, 255).rgb());
    }
    return image;
}

QImage mouseover()
{
    QImage image = framed(Side, GreyFrame);
    const QColor centre(255, 255, 255);
    const QColor edge(198, 192, 222);
    const double middle = (Side - 1) / 2.0;
    fillInside(image, [&](int x, int y) {
        const double distance = std::max(std::abs(x - middle), std::abs(y - middle));
        return mix(centre, edge, (distance - 0.5) / (middle - 1.5));
    });
    return image;
}

QImage pushed()
{
    QImage image = framed(Side, GreyFrame);
    const QColor topLeft(176, 176, 167);
    const QColor bottomRight(250, 246, 225);
    fillInside(image, [&](int x, int y) {
        return mix(topLeft, bottomRight, (x + y - 2) / double(2 * (Side - 3)));
    });
    return image;
}

QImage disabled()
{
    QImage image = framed(Side, LightFrame);
    fillInside(image, [](int, int) { return QColor(255, 255, 255); });
    return image;
}

QImage greyed(const QColor& square)
{
    QImage image = framed(GreyedSide, BlueFrame);
    fillInside(image, [&](int x, int y) {
        const bool inSquare = x >= 3 && x <= 9 && y >= 3 && y <= 9;
        return inSquare ? square : QColor(255, 255, 255);
    });
    return image;
}

QImage withTick(QImage image, const QColor& color)
{
    drawTick(image, color);
    return image;
}

} // namespace

QImage image(Picture picture)
{
    const QColor black(0, 0, 0);
    switch (picture) {
    case Picture::IdleNoValue:
        return idle();
    case Picture::IdleChecked:
        return withTick(idle(), black);
    case Picture::MouseoverNoValue:
        return mouseover();
    case Picture::MouseoverChecked:
        return withTick(mouseover(), black);
    case Picture::PushedNoValue:
        return pushed();
    case Picture::PushedChecked:
        return withTick(pushed(), black);
    case Picture::DisabledNoValue:
        return disabled();
    case Picture::DisabledChecked:
        return withTick(disabled(), QColor(160, 160, 160));
    case Picture::IdleGreyed:
        return greyed(QColor(33, 161, 33));
    case Picture::MouseoverGreyed:
        return greyed(QColor(84, 200, 84));
    case Picture::PushedGreyed:
        return greyed(QColor(20, 120, 20));
    case Picture::DisabledGrey:
        return greyed(QColor(170, 170, 170));
    }
    return {};
}

const char* name(Picture picture)
{
    static const char* const names[PictureCount] = {
        "IdleNoValue",   "IdleChecked",     "MouseoverNoValue", "MouseoverChecked",
        "PushedNoValue", "PushedChecked",   "DisabledNoValue",  "DisabledChecked",
        "IdleGreyed",    "MouseoverGreyed", "PushedGreyed",     "DisabledGrey"};
    return names[int(picture)];
}

} // namespace CheckPictures
