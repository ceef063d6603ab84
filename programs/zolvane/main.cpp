#include "gui/Main.h"

#include "core/platform/ProgramFolder.h"
#include "gui/WindowApplication.h"
#include "gui/widgets/ModalHook.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>

namespace {

// The menu entry's id. Desktops find a window's entry by it: Wayland's app_id is the desktop file
// name, X11's window class the application name.
const QString DesktopEntryId = QStringLiteral("com.zolvane.verezozavidozoz");

// Set only by the install test, which starts the installed program where no person sits: every
// modal window is accepted as soon as it shows and its name goes to standard error, and the Main
// window closes (saving, as always) once the program has started.
bool unattended()
{
    return qEnvironmentVariableIsSet("ZOLVANE_TEST_ANSWER_WINDOWS");
}

void answerEveryWindow()
{
    ModalHook::setOnShown([](QDialog& shown) {
        std::fprintf(stderr, "shown: %s\n", qPrintable(shown.objectName()));
        shown.accept();
    });
}

} // namespace

int main(int argc, char* argv[])
{
    const auto app = WindowApplication::make(argc, argv);
    // The user's data folder is named after the program: it is found before the application
    // takes the entry's id as its name, which the first window's class is made from.
    QCoreApplication::setApplicationName(ProgramFolder::ApplicationName);
    const ProgramFolder folder = ProgramFolder::forThisProgram();
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    QCoreApplication::setApplicationName(DesktopEntryId);
    if (unattended())
        answerEveryWindow();
    Main window(folder);
    QObject::connect(&window, &Main::programEnded, app.get(), [] { QCoreApplication::exit(0); });
    window.show();
    if (unattended())
        QTimer::singleShot(0, &window, &QWidget::close);
    return QApplication::exec();
}
