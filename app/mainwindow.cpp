#include "app/mainwindow.h"

#include <QIntValidator>
#include <QThread>
#include <QTimer>

#include "app/branding.h"
#include "app/channel_rows.h"
#include "channel/command_guard.h"
#include "channel/decimal_marks.h"
#include "channel/laser_object.h"
#include "comm/serial_object.h"
#include "forms/main_form.h"
#include "forms/mainwindow_form.h"

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    portspeed = QStringLiteral("115200");
    ui = new Ui_MainWindow;
    const QString brand_key = build_brand_key();
    can_id_validator = new whole_number_validator(0, 255);

    build_main_form(ui, this);
    apply_brand(ui, brand_key, build_revision());
    set_version_label(ui, build_revision());
    for (const channel_row &row : channel_rows)
        (ui->*row.address)->setValidator(can_id_validator);

    read_settings();
    if (auto_connection)
        ui->serial_combo_box->setEnabled(false);

    serial_thread = new QThread();
    serial_obj = new serial_object();
    register_serial_types();
    connect(serial_thread, SIGNAL(started()), serial_obj, SLOT(sl_start_port_process()));
    connect(this, SIGNAL(sig_connect_serial()), serial_obj, SLOT(sl_connect_serial()));
    connect(this, SIGNAL(sig_serial_conf(serial_conf_struct)), serial_obj, SLOT(sl_serial_conf(serial_conf_struct)));
    connect(this, SIGNAL(sig_disconnect_serial()), serial_obj, SLOT(sl_disconnect_serial()));
    connect(serial_obj, SIGNAL(sig_connected()), this, SLOT(sl_serial_connected()));
    connect(serial_obj, SIGNAL(sig_disconnected()), this, SLOT(sl_serial_disconnected()));
    connect(serial_obj, SIGNAL(sig_serial_rx_can_message(serial_message_struct)), this,
            SLOT(handle_rx_can_message(serial_message_struct)));
    serial_obj->moveToThread(serial_thread);
    // The port has no parent and does not follow its owner by itself.
    serial_obj->port.moveToThread(serial_thread);
    serial_thread->start(QThread::InheritPriority);

    view_update_timer = new QTimer();
    connect(view_update_timer, &QTimer::timeout, this, &MainWindow::view_update_timer_slot);
    view_update_timer->start(view_update_period_ms);

    reconnect_timer = new QTimer();
    connect(reconnect_timer, &QTimer::timeout, this, &MainWindow::reconnect_timer_slot);
    if (auto_connection) {
        reconnect_timer->start(reconnect_period_ms);
        ui->connection_mode->setChecked(true);
    }

    // Queued: a wait's end is not the end of the command that made it (the
    // output switch sends several); the command's own caller returns first.
    connect(&commands_under_way::instance(), &commands_under_way::sig_ended, this, &MainWindow::run_held_requests,
            Qt::QueuedConnection);

    heartbeat_timer = new QTimer();
    connect(heartbeat_timer, &QTimer::timeout, this, &MainWindow::sl_device_heartbeat_timer);

    baud_validator = new QIntValidator();
    ui->baudrate_edit_line->setValidator(baud_validator);

    for (const channel_row &row : channel_rows)
        add_laser_channel((ui->*row.address)->text().toInt(nullptr, 10), ui->*row.page);

    refresh_serial_ports();
    for (int i = 0; i < laser_count; ++i)
        lasers[i]->laser_tab_button->click();
    ui->scrollArea->setDisabled(true);
    apply_system_configuration();
    ui->label->hide();
    read_mini_usb_setting();
    ui->baudrate_edit_line->hide();
    ui->label_7->hide();
    ui->pushButton->hide();
}

MainWindow::~MainWindow()
{
    // The widgets belong to the window; this frees only the member table.
    delete ui;
    ui = nullptr;
    end_threads();
}

void MainWindow::on_connect_button_clicked() {}
