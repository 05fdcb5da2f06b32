#include <QApplication>

#include "app/mainwindow.h"
#include "app/program_font.h"
#include "app/quit_signals.h"
#include "app/resources.h"
#include "params/laser_params.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    apply_program_font();
    lumatrex_init_resources();
    laser_params params;
    MainWindow window;
    window.laser_params_window = &params;
    const quit_signals on_signal(&window);
    window.show();
    const int result = app.exec();
    // The close has told the workers to stop; end them and the serial
    // thread before anything is destroyed.
    window.end_threads();
    return result;
}
