#include "gui/Main.h"

#include "core/platform/ProgramFolder.h"
#include "gui/widgets/ModalHook.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <cstdio>

namespace {

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
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(ProgramFolder::ApplicationName);
    if (unattended())
        answerEveryWindow();
    Main window(ProgramFolder::forThisProgram());
    QObject::connect(&window, &Main::programEnded, &app, [] { QCoreApplication::exit(0); });
    window.show();
    if (unattended())
        QTimer::singleShot(0, &window, &QWidget::close);
    return app.exec();
}
