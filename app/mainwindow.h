#pragma once

#include <QMainWindow>

class Ui_MainWindow;

// The program's main window. The widget tree comes from the generated form;
// the form's last set-up step binds the on_<object>_clicked slots below by name.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void on_main_menu_butt_clicked();
    void on_main_menu_butt_2_clicked();
    void on_main_menu_butt_3_clicked();
    void on_connect_button_clicked();
    void on_connect_button_2_clicked();
    void on_connection_mode_clicked();
    void on_mini_usb_mode_checkbox_clicked();
    void on_serial_refresh_button_clicked();
    void on_pushButton_clicked();

private:
    Ui_MainWindow *ui;
};
