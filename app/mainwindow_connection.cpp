#include "app/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSerialPortInfo>
#include <QTimer>

#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"

namespace {

QString port_entry_text(const QString &description, const QString &name)
{
    return QLatin1Char('"') + description + QLatin1String("\" ") + name;
}

// Device paths the system does not list (pseudo-terminals such as the
// simulated bench, renamed device links), from LUMATREX_EXTRA_PORTS, separated
// by colons. A path that does not exist now is left out, as a port that is
// unplugged is.
QStringList extra_port_paths()
{
    QStringList paths;
    const QString list = qEnvironmentVariable("LUMATREX_EXTRA_PORTS");
    for (const QString &path : list.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QFileInfo::exists(path))
            paths << path;
    return paths;
}

} // namespace

void MainWindow::refresh_serial_ports()
{
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    ui->serial_combo_box->clear();
    for (const QSerialPortInfo &info : ports)
        ui->serial_combo_box->addItem(port_entry_text(info.description(), info.portName()), info.portName());
    for (const QString &path : extra_port_paths())
        ui->serial_combo_box->addItem(port_entry_text(QString(), path), path);
    const int index = ui->serial_combo_box->findData(portname, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ui->serial_combo_box->setCurrentIndex(index);
    if (index >= 0)
        ui->serial_combo_box->setCurrentText(ui->serial_combo_box->itemText(index));
}

void MainWindow::on_serial_refresh_button_clicked()
{
    refresh_serial_ports();
}

void MainWindow::start_connection_attempt()
{
    serial_conf.baud_rate = ui->baudrate_edit_line->text().toInt(nullptr, 10);
    serial_conf.data_bits = 8;
    serial_conf.parity = 0;
    serial_conf.stop_bits = 1;
    serial_conf.flow_control = 0;
    serial_conf.port_name = ui->serial_combo_box->currentData(Qt::UserRole).toString();
    serial_obj->mini_usb.store(ui->mini_usb_mode_checkbox->isChecked());
    emit sig_serial_conf(serial_conf);
    emit sig_connect_serial();
}

void MainWindow::on_connect_button_2_clicked()
{
    if (!connected) {
        start_connection_attempt();
        return;
    }
    ask_turn_off_outputs(QStringLiteral("disconnect"));
    reconnect_timer->stop();
    auto_connection = false;
    ui->connection_mode->setChecked(false);
    emit sig_disconnect_serial();
}

void MainWindow::on_connection_mode_clicked()
{
    if (ui->connection_mode->isChecked()) {
        ui->serial_combo_box->setEnabled(false);
        portname = ui->serial_combo_box->currentData(Qt::UserRole).toString();
        reconnect_timer->start(reconnect_period_ms);
        auto_connection = true;
    } else {
        ui->serial_combo_box->setEnabled(true);
        reconnect_timer->stop();
        auto_connection = false;
    }
}

void MainWindow::reconnect_timer_slot()
{
    if (connected)
        return;
    refresh_serial_ports();
    start_connection_attempt();
}

void MainWindow::sl_serial_connected()
{
    ui->connect_button_2->setCheckable(true);
    ui->connect_button_2->setChecked(true);
    ui->connect_button_2->setText(QStringLiteral("Disconnect"));
    connected = true;
    for (laser_object *channel : lasers)
        channel->worker->start_polling();
    ui->scrollArea->setEnabled(true);
    ui->connection_status_label->setText(QStringLiteral("Connection status: CONNECTED"));
    portname = ui->serial_combo_box->currentData(Qt::UserRole).toString();
    portspeed = ui->baudrate_edit_line->text();
    heartbeat_timer->start(heartbeat_period_ms);
    ui->serial_combo_box->setEnabled(false);
    apply_system_configuration();
    keep_params_window_polling();
}

void MainWindow::sl_serial_disconnected()
{
    ui->connect_button_2->setCheckable(false);
    ui->connect_button_2->setChecked(false);
    ui->connect_button_2->setText(QStringLiteral("Connect"));
    connected = false;
    ui->scrollArea->setEnabled(false);
    ui->connection_status_label->setText(QStringLiteral("Connection status: DISCONNECTED"));
    if (!ui->connection_mode->isChecked())
        ui->serial_combo_box->setEnabled(true);
    for (laser_object *channel : lasers) {
        laser_worker *w = channel->worker;
        w->running.store(false);
        w->main_poll.store(false);
        w->detail_poll.store(false);
    }
}
