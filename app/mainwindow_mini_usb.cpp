#include "app/mainwindow.h"

#include <QCheckBox>
#include <QLineEdit>

#include "app/channel_rows.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"

// The mode is the check box's state; what it narrows takes effect at the
// next application of the system configuration and the next connection.
void MainWindow::on_mini_usb_mode_checkbox_clicked()
{
    if (ui->mini_usb_mode_checkbox->isChecked()) {
        for (int i = 0; i < channel_total; ++i) {
            QCheckBox *enabled = ui->*channel_rows[i].enabled;
            saved_channel_enabled[i] = enabled->isChecked();
            enabled->setChecked(false);
            enabled->setEnabled(false);
            (ui->*channel_rows[i].address)->setEnabled(false);
        }
        ui->dev_en->setChecked(true);
        lasers[0]->worker->mini_usb.store(true);
        ui->baudrate_edit_line->setText(QStringLiteral("57600"));
    } else {
        for (int i = 0; i < channel_total; ++i) {
            QCheckBox *enabled = ui->*channel_rows[i].enabled;
            enabled->setChecked(saved_channel_enabled[i]);
            enabled->setEnabled(true);
            (ui->*channel_rows[i].address)->setEnabled(true);
        }
        lasers[0]->worker->mini_usb.store(false);
        ui->baudrate_edit_line->setText(QStringLiteral("115200"));
    }
}
