#include "params/laser_params.h"

#include <QCloseEvent>
#include <QTimer>

#include "channel/command_guard.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "ui_laser_params.h"

laser_params::laser_params(QWidget *parent) : QMainWindow(parent)
{
    active = 0;
    ui = new Ui_laser_params;
    ui->setupUi(this);
    // Runs for the whole program; the ticks do nothing until the first hand-over.
    view_timer = new QTimer();
    connect(view_timer, &QTimer::timeout, this, &laser_params::view_update_timer_slot);
    view_timer->start(40);
}

laser_params::~laser_params()
{
    delete ui;
    // Never stopped while the program runs; made without a parent, so it goes here.
    delete view_timer;
}

void laser_params::closeEvent(QCloseEvent *)
{
    ++close_count;
    emit sig_laser_conf_dialog_is_hided();
}

void laser_params::delay_ms(int ms)
{
    // A wait of a set sequence: a close of the main window asked for
    // meanwhile waits for the sequence's end.
    command_wait_ms(ms);
}

void laser_params::on_write_button_clicked()
{
    close();
}

// The inputs the CW and pulsed records share.
template <typename record_t>
void laser_params::load_shared(const record_t &record)
{
    ui->res_set_spin->setValue(record.resistance);
    ui->beta_set_spin->setValue(record.beta);
    ui->mon_set_spin->setValue(double(record.responsivity));
    ui->temp_max_spin->setValue(double(record.temperature_max));
    ui->temp_min_spin->setValue(double(record.temperature_min));
}

template <typename record_t>
void laser_params::load_pulsed(const record_t &record)
{
    load_shared(record);
    ui->vol_max_spin->setValue(double(record.voltage_max));
    ui->vol_min_spin->setValue(double(record.voltage_min));
}

void laser_params::load_tec_limit(float tec_current_max)
{
    // The board's TEC limit also says whether the laser has a TEC: 0.1 A
    // means none. setChecked sends nothing (the command is on clicked).
    ui->TEC_checkbox->setChecked(double(tec_current_max) >= 0.15);
    if (ui->TEC_checkbox->isChecked())
        ui->max_tec_curr_spin->setValue(double(tec_current_max));
}

void laser_params::load_spin_boxes()
{
    if (active == 0)
        return;
    const laser_worker *w = channel->worker;
    ui->can_set_spin->setValue(w->device_address.load());
    switch (w->device_type.load()) {
    case 8:
    case 10:
    case 14:
    case 15: {
        const cw_data &r = w->cw_record;
        load_shared(r);
        ui->cur_max_spin->setValue(double(r.current_max));
        ui->cur_min_spin->setValue(double(r.current_min));
        load_tec_limit(r.tec_current_max);
        break;
    }
    case 7: load_pulsed(w->ps_table_record); break;
    case 20: load_pulsed(w->ps_record); break;
    case 6:
    case 13: load_pulsed(w->ns_table_record); break;
    case 21: load_pulsed(w->ns_record); break;
    case 18: ui->cur_max_spin->setValue(double(w->power_record.current_max)); break;
    default: break;
    }
}
