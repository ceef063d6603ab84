#pragma once

#include <QAccessible>

class QWidget;

// Screen readers see the owner-drawn controls through interfaces of their own: the XP button, the
// check box, the picture frame, the spin arrows and the link labels (the engine's status line
// among them); and windows and panels that keep a reading order through it.
namespace AccessibleControls {

// Registers the interfaces with Qt once; every control calls it when it is made.
void install();

// Tells screen readers that this state of the control changed.
void announceChange(QWidget* control, QAccessible::State changed);

// Tells screen readers that the control's name changed.
void announceNameChange(QWidget* control);

} // namespace AccessibleControls
