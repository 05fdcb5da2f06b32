#include "app/mainwindow.h"

#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui_MainWindow)
{
    // Before anything else touches a widget.
    build_main_form(ui, this);
}

MainWindow::~MainWindow()
{
    // The widgets belong to the window; this frees only the member table.
    delete ui;
}

// The window's logic fills these in; until then the by-name binding still
// has to find every one of them.
void MainWindow::on_main_menu_butt_clicked() {}
void MainWindow::on_main_menu_butt_2_clicked() {}
void MainWindow::on_main_menu_butt_3_clicked() {}
void MainWindow::on_connect_button_clicked() {}
void MainWindow::on_connect_button_2_clicked() {}
void MainWindow::on_connection_mode_clicked() {}
void MainWindow::on_mini_usb_mode_checkbox_clicked() {}
void MainWindow::on_serial_refresh_button_clicked() {}
void MainWindow::on_pushButton_clicked() {}
