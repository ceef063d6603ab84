#pragma once

#include <QApplication>
#include <memory>

namespace WindowApplication {

// The application object of a program with a window, on Qt's own event loop rather than GLib's:
// the windows need nothing that only GLib's loop gives (no native file dialogs), and Qt's own
// wakes itself far less often per socket event of a run. The choice is taken back at once, so
// that nothing started later (the browser) inherits it.
std::unique_ptr<QApplication> make(int& argc, char* argv[]);

} // namespace WindowApplication
