#include "app/channel_rows.h"

#include "forms/mainwindow_form.h"

const channel_row channel_rows[10] = {
    {&Ui_MainWindow::dev_en, &Ui_MainWindow::edit_name, &Ui_MainWindow::addr, &Ui_MainWindow::laser_widget},
    {&Ui_MainWindow::dev_en_2, &Ui_MainWindow::edit_name_2, &Ui_MainWindow::addr_2, &Ui_MainWindow::laser_widget_2},
    {&Ui_MainWindow::dev_en_3, &Ui_MainWindow::edit_name_3, &Ui_MainWindow::addr_3, &Ui_MainWindow::laser_widget_3},
    {&Ui_MainWindow::dev_en_4, &Ui_MainWindow::edit_name_4, &Ui_MainWindow::addr_4, &Ui_MainWindow::laser_widget_4},
    {&Ui_MainWindow::dev_en_5, &Ui_MainWindow::edit_name_5, &Ui_MainWindow::addr_5, &Ui_MainWindow::laser_widget_5},
    {&Ui_MainWindow::dev_en_6, &Ui_MainWindow::edit_name_6, &Ui_MainWindow::addr_6, &Ui_MainWindow::laser_widget_6},
    {&Ui_MainWindow::dev_en_7, &Ui_MainWindow::edit_name_7, &Ui_MainWindow::addr_7, &Ui_MainWindow::laser_widget_7},
    {&Ui_MainWindow::dev_en_8, &Ui_MainWindow::edit_name_8, &Ui_MainWindow::addr_8, &Ui_MainWindow::laser_widget_8},
    {&Ui_MainWindow::dev_en_9, &Ui_MainWindow::edit_name_9, &Ui_MainWindow::addr_9, &Ui_MainWindow::laser_widget_9},
    {&Ui_MainWindow::dev_en_10, &Ui_MainWindow::edit_name_10, &Ui_MainWindow::addr_10,
     &Ui_MainWindow::laser_widget_10},
};

namespace {

QString numbered(const char *stem, int index, const char *tail = "")
{
    if (index == 0)
        return QLatin1String(stem) + QLatin1String(tail);
    return QLatin1String(stem) + QLatin1Char('_') + QString::number(index + 1) + QLatin1String(tail);
}

} // namespace

QString enabled_key(int index)
{
    return numbered("device_conf/channel", index, "_enabled");
}

QString name_key(int index)
{
    return numbered("device_conf/edit_name", index);
}

QString address_key(int index)
{
    return numbered("device_conf/addr", index);
}
