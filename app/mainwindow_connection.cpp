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

#ifdef Q_OS_LINUX
#include <dirent.h>
#include <sys/stat.h>
#endif

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

// What the port list is built from, in a few system calls where listing the
// ports opens hundreds of files: the tty devices the kernel has, the times
// at which device nodes and the device manager's records (where a port's
// description comes from, written a moment after the node) last changed,
// and which extra paths exist. Equal fingerprints mean the list would come
// out the same. Empty where no such fingerprint is known: the list is then
// built every time.
QByteArray serial_device_fingerprint()
{
#ifdef Q_OS_LINUX
    QByteArray f;
    for (const char *path : {"/dev", "/dev/serial/by-id", "/run/udev/data"}) {
        struct stat st = {};
        if (::stat(path, &st) == 0) {
            f += QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) +
                 '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
        }
        f += '\n';
    }
    if (DIR *dir = ::opendir("/sys/class/tty")) {
        while (const dirent *entry = ::readdir(dir)) {
            f += entry->d_name;
            f += ' ';
        }
        ::closedir(dir);
    }
    f += '\n';
    for (const QString &path : extra_port_paths())
        f += path.toLocal8Bit() + '\n';
    return f;
#else
    return QByteArray();
#endif
}

// The entry of the remembered port, or none when it is not listed.
void select_port(QComboBox *box, const QString &name)
{
    const int index = box->findData(name, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box->setCurrentIndex(index);
    if (index >= 0)
        box->setCurrentText(box->itemText(index));
}

} // namespace

void MainWindow::refresh_serial_ports()
{
    // Taken before the list, so that a device arriving meanwhile is listed
    // at the next tick.
    listed_devices = serial_device_fingerprint();
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    ui->serial_combo_box->clear();
    for (const QSerialPortInfo &info : ports)
        ui->serial_combo_box->addItem(port_entry_text(info.description(), info.portName()), info.portName());
    for (const QString &path : extra_port_paths())
        ui->serial_combo_box->addItem(port_entry_text(QString(), path), path);
    select_port(ui->serial_combo_box, portname);
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
    // A close or a disconnect under way, or a close about to run, asks and
    // switches off for this one too; no connection is to follow.
    if (closing || disconnecting || close_held) {
        end_auto_connection();
        return;
    }
    if (command_under_way()) {
        disconnect_held = true;
        return;
    }
    disconnect_by_user();
    run_held_requests();
}

void MainWindow::disconnect_by_user()
{
    disconnecting = true;
    ask_turn_off_outputs(QStringLiteral("disconnect"));
    end_auto_connection();
    emit sig_disconnect_serial();
    link_closing = true;
    disconnecting = false;
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

void MainWindow::end_auto_connection()
{
    reconnect_timer->stop();
    auto_connection = false;
    ui->connection_mode->setChecked(false);
    // Otherwise the link's answer to the disconnect offers the port list.
    if (!connected)
        ui->serial_combo_box->setEnabled(true);
}

void MainWindow::reconnect_timer_slot()
{
    if (connected)
        return;
    // Waiting for a port can last for hours: the list is built again only
    // when the system's serial devices have changed since it was built.
    const QByteArray devices = serial_device_fingerprint();
    if (devices.isEmpty() || devices != listed_devices)
        refresh_serial_ports();
    else
        select_port(ui->serial_combo_box, portname);
    start_connection_attempt();
}

void MainWindow::sl_serial_connected()
{
    ui->connect_button_2->setCheckable(true);
    ui->connect_button_2->setChecked(true);
    ui->connect_button_2->setText(QStringLiteral("Disconnect"));
    connected = true;
    link_closing = false;
    // Boards may have been replaced while the link was down.
    for (laser_object *channel : lasers) {
        channel->forget_board();
        channel->worker->start_polling();
    }
    ui->scrollArea->setEnabled(true);
    ui->connection_status_label->setText(QStringLiteral("Connection status: CONNECTED"));
    portname = ui->serial_combo_box->currentData(Qt::UserRole).toString();
    portspeed = ui->baudrate_edit_line->text();
    heartbeat_timer->start(heartbeat_period_ms);
    ui->serial_combo_box->setEnabled(false);
    apply_system_configuration();
    keep_params_window_polling();
    // A presence period starts: what the pages showed while the link was
    // down (the disconnect forgot it) says nothing of the boards.
    for (int i = 0; i < channel_total; ++i)
        polled_since_check[i] = channel_polled(i);
}

void MainWindow::sl_serial_disconnected()
{
    ui->connect_button_2->setCheckable(false);
    ui->connect_button_2->setChecked(false);
    ui->connect_button_2->setText(QStringLiteral("Connect"));
    connected = false;
    link_closing = false;
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
    note_polling();
}
