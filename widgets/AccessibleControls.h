#pragma once

// Screen readers see the owner-drawn controls through interfaces of their own: the XP button, the
// check box, the picture frame and the link labels (the engine's status line among them).
namespace AccessibleControls {

// Registers the interfaces with Qt once; every control calls it when it is made.
void install();

} // namespace AccessibleControls
