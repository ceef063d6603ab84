#pragma once

#include <functional>

class QDialog;

// Every modal window of the program is run through here, so that a test can answer it with real
// clicks instead of waiting for a person.
namespace ModalHook {

using Hook = std::function<void(QDialog& shown)>;

// Called once the window is on screen and its own event loop runs; empty switches the hook off.
void setOnShown(Hook hook);

// Shows the window modally and returns its result code when it has closed.
int exec(QDialog& dialog);

} // namespace ModalHook
