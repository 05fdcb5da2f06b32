#include "app/mainwindow.h"

// Opening the parameters window on channel idx. The rest of the hand-over
// is still to come.
void MainWindow::show_laser_conf_dialog_slot(int idx)
{
    Q_UNUSED(idx);
    connect_params_window();
}

// The parameters window has closed.
void MainWindow::sl_laser_conf_dialog_is_hided() {}
