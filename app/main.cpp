#include "app/MainWindow.h"
#include "platform/ProgramFolder.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Main window(ProgramFolder(QCoreApplication::applicationDirPath()));
    QObject::connect(&window, &Main::programEnded, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
