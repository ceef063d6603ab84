#pragma once

#include <QImage>

// The stored pictures of the state-image check box, drawn in code. The eight used ones are 12 x 12,
// the four of the unused "greyed" look 13 x 13.
namespace CheckPictures {

enum class Picture {
    IdleNoValue,
    IdleChecked,
    MouseoverNoValue,
    MouseoverChecked,
    PushedNoValue,
    PushedChecked,
    DisabledNoValue,
    DisabledChecked,
    IdleGreyed,
    MouseoverGreyed,
    PushedGreyed,
    DisabledGrey,
};

inline constexpr int PictureCount = 12;

QImage image(Picture picture);
const char* name(Picture picture);

} // namespace CheckPictures
