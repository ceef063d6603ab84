#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Main window(QCoreApplication::applicationDirPath());
    QObject::connect(&window, &Main::programEnded, &app, [] { QCoreApplication::exit(0); });
    window.show();
    return app.exec();
}
