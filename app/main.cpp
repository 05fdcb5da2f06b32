#include <QApplication>

#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/resources.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    apply_program_font();
    lumatrex_init_resources();
    MainWindow window;
    window.show();
    return app.exec();
}
