#pragma once

#include <Qt>
#include <QtGlobal>

// Mouse buttons and modifier keys as the controls' events report them: left 1, right 2, middle 4;
// Shift 1, Ctrl 2, Alt 4.
namespace EventCodes {

qint16 button(Qt::MouseButton button);
qint16 buttons(Qt::MouseButtons buttons);
qint16 shift(Qt::KeyboardModifiers modifiers);

} // namespace EventCodes
