#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;
class Ui_MainWindow;

// One channel's widgets on the main form: its Settings-page row and its page
// in the channel list.
struct channel_row
{
    QCheckBox *Ui_MainWindow::*enabled;
    QLineEdit *Ui_MainWindow::*name;
    QLineEdit *Ui_MainWindow::*address;
    QWidget *Ui_MainWindow::*page;
};

extern const channel_row channel_rows[10];

// Settings keys of channel index 0..9: channel 1 carries no number.
QString enabled_key(int index);
QString name_key(int index);
QString address_key(int index);
