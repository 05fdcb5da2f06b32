#include "forms/main_form.h"

#include "forms/mainwindow_form.h"

void build_main_form(Ui_MainWindow *ui, QMainWindow *window)
{
    ui->setupUi(window);
}
