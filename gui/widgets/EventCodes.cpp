#include "gui/widgets/EventCodes.h"

#include <utility>

namespace EventCodes {

namespace {

// The sum of the codes of the flags that are set.
template <typename Flag, std::size_t N>
qint16 codeOf(QFlags<Flag> flags, const std::pair<Flag, qint16> (&codes)[N])
{
    qint16 code = 0;
    for (const auto& [flag, bit] : codes)
        if (flags.testFlag(flag))
            code |= bit;
    return code;
}

constexpr std::pair<Qt::MouseButton, qint16> ButtonCodes[] = {
    {Qt::LeftButton, 1}, {Qt::RightButton, 2}, {Qt::MiddleButton, 4}};

constexpr std::pair<Qt::KeyboardModifier, qint16> ShiftCodes[] = {
    {Qt::ShiftModifier, 1}, {Qt::ControlModifier, 2}, {Qt::AltModifier, 4}};

} // namespace

qint16 button(Qt::MouseButton button)
{
    return codeOf(Qt::MouseButtons(button), ButtonCodes);
}

qint16 buttons(Qt::MouseButtons buttons)
{
    return codeOf(buttons, ButtonCodes);
}

qint16 shift(Qt::KeyboardModifiers modifiers)
{
    return codeOf(modifiers, ShiftCodes);
}

} // namespace EventCodes
