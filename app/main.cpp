#include <QApplication>

#include "app/mainwindow.h"
#include "app/resources.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    lumatrex_init_resources();
    MainWindow window;
    window.show();
    return app.exec();
}
