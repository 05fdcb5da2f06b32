#include "app/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QtDebug>

#include "app/channel_rows.h"
#include "channel/decimal_marks.h"
#include "channel/driver_family.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"

namespace {

// The value inputs of a channel page whose wheel is withheld and whose
// Return key sends the quantity's set command.
QDoubleSpinBox *laser_object::*const watched_spin_boxes[] = {
    &laser_object::curr_spin,      &laser_object::freq_spin,        &laser_object::pulse_cutted_spin,
    &laser_object::dura_spin,      &laser_object::pulse_gated_spin, &laser_object::temp_spin,
    &laser_object::pulse_temp_spin, &laser_object::volt_spin,       &laser_object::cw_freq_spin,
    &laser_object::cw_width_spin,
};
QComboBox *laser_object::*const watched_combo_boxes[] = {
    &laser_object::freq_combo,
    &laser_object::freq_range_combo,
    &laser_object::mode_combo,
};

const char chosen_menu_style[] =
    "QPushButton{color: rgb(200, 0, 0);text-align: center;border: 0px solid gray;vertical-align: bottom;} "
    "QPushButton:hover{text-align: center;color: rgb(120, 0, 0);border: 0px solid gray;vertical-align: bottom;}";
const char other_menu_style[] =
    "QPushButton{color: rgb(0, 0, 0);text-align: center;border: 0px solid gray;vertical-align: bottom;} "
    "QPushButton:hover{text-align: center;color: rgb(120, 0, 0);border: 0px solid gray;vertical-align: bottom;}";

enum menu_page { channel_list_page = 1, settings_page = 2, help_page = 3 };

} // namespace

void MainWindow::add_laser_channel(int32_t address, QWidget *page)
{
    if (laser_count >= channel_total)
        return;
    laser_object *channel = new laser_object(nullptr, address, page);
    lasers[laser_count] = channel;
    channel->channel_index = laser_count;

    for (QDoubleSpinBox *laser_object::*field : watched_spin_boxes)
        (channel->*field)->installEventFilter(this);
    for (QComboBox *laser_object::*field : watched_combo_boxes)
        (channel->*field)->installEventFilter(this);
    channel->alt_but_widget->hide();

    connect(channel->worker, &laser_worker::thread_serial_write, serial_obj, &serial_object::sl_write_to_port);
    connect(channel->laser_tab_button, &QAbstractButton::clicked, this, &MainWindow::laser_tab_button_click);
    connect(channel, SIGNAL(show_conf_dialog_signal(int)), this, SLOT(show_laser_conf_dialog_slot(int)));
    connect(this, SIGNAL(key_event(QObject*)), channel, SLOT(sl_return_key_pressed_on_spinbox(QObject*)));
    ++laser_count;
}

void MainWindow::apply_system_configuration()
{
    // Each step runs over all ten channels before the next one starts.
    for (laser_object *channel : lasers)
        channel->page->hide();
    for (laser_object *channel : lasers)
        channel->worker->main_poll.store(false);
    for (int i = 0; i < channel_total; ++i) {
        if ((ui->*channel_rows[i].enabled)->isChecked()) {
            lasers[i]->page->show();
            lasers[i]->worker->main_poll.store(true);
        }
    }
    for (int i = 0; i < channel_total; ++i)
        lasers[i]->channel_name = (ui->*channel_rows[i].name)->text();
    for (laser_object *channel : lasers)
        channel->laser_tab_button->setText(channel->channel_name);
    QStringList kept_on;
    for (int i = 0; i < channel_total; ++i) {
        QLineEdit *address_box = ui->*channel_rows[i].address;
        const int32_t address = address_box->text().toInt(nullptr, 10);
        laser_object *channel = lasers[i];
        laser_worker *worker = channel->worker;
        // "1." of a "1.5" typed names no board: the channel stays.
        if (holds_decimal_mark(address_box->text(), can_id_validator->locale())) {
            address_box->setText(QString::number(channel->can_address));
            continue;
        }
        const bool moved_while_on = address != channel->can_address && channel_output_on(i);
        if (moved_while_on && found_silent[i] && !link_closing &&
            family_of(worker->device_type) == driver_family::none) {
            // Its board does not answer ("No device" while polled on the live
            // link): the page offers no switch, and no reply will ever clear
            // the flag. The address it leaves is sent the off commands, and
            // the channel forgets it.
            channel->laser_off();
            for (const family_output_flag &f : family_output_flags(*worker))
                *f.flag = 0;
            channel->outputs_switched_on = 0;
        } else if (moved_while_on) {
            // Moved, the channel would forget a board whose output is on:
            // the turn-off would miss it and the indicator lose it.
            address_box->setText(QString::number(channel->can_address));
            QString name = QStringLiteral("Channel %1").arg(i + 1);
            if (!channel->channel_name.isEmpty())
                name += QStringLiteral(" (%1)").arg(channel->channel_name);
            kept_on << name + QStringLiteral(" is on: turn its output off before changing its CAN ID.");
            continue;
        }
        if (address != channel->can_address)
            channel->forget_board();
        channel->can_address = address;
        worker->set_records_address(address);
    }
    // After the moves, which judge each channel by what its board did while
    // it was polled.
    note_polling();
    if (kept_on.isEmpty())
        return;
    // After the callers' own steps (a connection, the parameters window's
    // close), not in the middle of them.
    const QString text = kept_on.join(QLatin1Char('\n'));
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            QMessageBox box(QMessageBox::Warning, QStringLiteral("WARNING"), text, QMessageBox::Ok, this);
            box.exec();
        },
        Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Installed on the watched inputs only, so the object is not tested.
    if (event->type() == QEvent::Wheel) {
        qDebug("Wheel event blocked");
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            emit key_event(watched);
    }
    return false;
}

void MainWindow::laser_tab_button_click()
{
    QObject *button = sender();
    for (laser_object *channel : lasers) {
        if (channel && channel->laser_tab_button == button) {
            channel->laser_group->setHidden(!channel->laser_group->isHidden());
            return;
        }
    }
}

void MainWindow::select_menu_page(int index)
{
    ui->stackedWidget->setCurrentIndex(index);
    ui->main_menu_butt->setStyleSheet(QLatin1String(index == channel_list_page ? chosen_menu_style : other_menu_style));
    ui->main_menu_butt_2->setStyleSheet(QLatin1String(index == settings_page ? chosen_menu_style : other_menu_style));
    ui->main_menu_butt_3->setStyleSheet(QLatin1String(index == help_page ? chosen_menu_style : other_menu_style));
}

void MainWindow::on_main_menu_butt_clicked()
{
    select_menu_page(channel_list_page);
    apply_system_configuration();
}

void MainWindow::on_main_menu_butt_2_clicked()
{
    select_menu_page(settings_page);
}

void MainWindow::on_main_menu_butt_3_clicked()
{
    select_menu_page(help_page);
}

void MainWindow::on_pushButton_clicked()
{
    apply_system_configuration();
}
