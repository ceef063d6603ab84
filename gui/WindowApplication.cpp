#include "gui/WindowApplication.h"

namespace WindowApplication {

namespace {

constexpr const char* PlainLoopVariable = "QT_NO_GLIB";

} // namespace

std::unique_ptr<QApplication> make(int& argc, char* argv[])
{
    // Someone who set the variable either way keeps that choice.
    const bool chosenHere = !qEnvironmentVariableIsSet(PlainLoopVariable);
    if (chosenHere)
        qputenv(PlainLoopVariable, "1");
    auto app = std::make_unique<QApplication>(argc, argv);
    if (chosenHere)
        qunsetenv(PlainLoopVariable);
    return app;
}

} // namespace WindowApplication
