#include "params/laser_params.h"

#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "ui_laser_params.h"

// The 40 ms refresh: the window follows the record of the shown channel's
// driver type, and sets an input only when the board's value behind it
// changed, so the operator's unsent edits survive the ticks, and a value
// that SET changed in one row leaves the edits in the other rows alone.

namespace {

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

void laser_params::view_update_timer_slot()
{
    if (active == 0)
        return;
    // Before this tick's row changes: a new row set shows in the size one tick later.
    adjustSize();
    const laser_worker *w = channel->worker;
    ui->can_read_label->setText(fixed(w->device_address.load(), 0));
    switch (w->device_type.load()) {
    case 8:
    case 10:
    case 14:
    case 15: cw_view_update(); break;
    case 7: ps_table_view_update(); break;
    case 20: ps_view_update(); break;
    case 11:
    case 16:
        // Power DC/DC boards keep none of these parameters: only the CAN ID stays.
        set_title(QStringLiteral(" (Power DCDC Type) parameters"));
        show_rows(dcdc_rows);
        break;
    case 6:
    case 13: ns_table_view_update(); break;
    case 21: ns_view_update(); break;
    case 18: power_view_update(); break;
    // Not yet reported, fallen silent or unknown: the window stays as it was.
    default: break;
    }
}

void laser_params::set_title(const QString &suffix)
{
    ui->label_4->setText(channel->channel_name + suffix);
}

void laser_params::show_rows(row_set rows)
{
    const bool cw = rows == cw_rows;
    const bool pulsed = rows == pulsed_rows;
    ui->beta_group->setVisible(cw || pulsed);
    ui->res_group->setVisible(cw || pulsed);
    ui->cur_max_group->setVisible(cw || rows == power_rows);
    ui->cur_min_group->setVisible(cw);
    ui->vol_max_group->setVisible(pulsed);
    ui->vol_min_group->setVisible(pulsed);
    ui->temp_max_group->setVisible(cw || pulsed);
    ui->temp_min_group->setVisible(cw || pulsed);
    // Decided after this tick's reload, so a reloaded check box shows at once.
    ui->max_tec_curr_group->setVisible(cw && ui->TEC_checkbox->isChecked());
    ui->mon_group->setVisible(cw);
    ui->TEC_checkbox->setVisible(cw);
    ui->save_btn->setVisible(rows == power_rows);
    // The type-18 board keeps its current limit in amperes, the CW boards in mA.
    ui->label_5->setText(rows == power_rows ? tr("Max current, A") : tr("Max current, mA"));
}

// The labels and cache fields the CW and pulsed views share.
template <typename record_t>
void laser_params::show_shared(const record_t &r)
{
    ui->res_read_label->setText(fixed(r.resistance, 0));
    ui->beta_label->setText(fixed(r.beta, 0));
    ui->temp_max_label->setText(fixed(double(r.temperature_max), 1));
    ui->temp_min_label->setText(fixed(double(r.temperature_min), 1));
}

template <typename record_t>
void laser_params::reload_changed_shared(const record_t &r)
{
    if (last_res != r.resistance)
        ui->res_set_spin->setValue(r.resistance);
    if (last_beta != r.beta)
        ui->beta_set_spin->setValue(r.beta);
    if (last_mon != r.responsivity)
        ui->mon_set_spin->setValue(double(r.responsivity));
    if (last_temp_max != r.temperature_max)
        ui->temp_max_spin->setValue(double(r.temperature_max));
    if (last_temp_min != r.temperature_min)
        ui->temp_min_spin->setValue(double(r.temperature_min));
}

template <typename record_t>
void laser_params::store_shared(const record_t &r)
{
    last_res = r.resistance;
    last_beta = r.beta;
    last_mon = r.responsivity;
    last_temp_min = r.temperature_min;
    last_temp_max = r.temperature_max;
}

void laser_params::cw_view_update()
{
    const cw_data &r = channel->worker->cw_record;
    reload_changed_shared(r);
    if (last_cur_max != r.current_max)
        ui->cur_max_spin->setValue(double(r.current_max));
    if (last_cur_min != r.current_min)
        ui->cur_min_spin->setValue(double(r.current_min));
    if (last_max_tec_curr != r.tec_current_max)
        load_tec_limit(r.tec_current_max);
    show_rows(cw_rows);
    const int32_t type = channel->worker->device_type.load();
    set_title(type == 10 || type == 15 ? QStringLiteral(" (Precision CW Type) parameters")
                                       : QStringLiteral(" (CW Type) parameters"));
    show_shared(r);
    ui->mon_label->setText(fixed(double(r.responsivity), 2));
    ui->cur_max_label->setText(fixed(double(r.current_max), 1));
    ui->cur_min_label->setText(fixed(double(r.current_min), 1));
    ui->max_tec_curr_label->setText(fixed(double(r.tec_current_max), 1));
    store_shared(r);
    last_cur_min = r.current_min;
    last_cur_max = r.current_max;
    last_max_tec_curr = r.tec_current_max;
}

void laser_params::power_view_update()
{
    const power_data &r = channel->worker->power_record;
    if (last_cur_max != r.current_max)
        ui->cur_max_spin->setValue(double(r.current_max));
    set_title(QStringLiteral(" (") + r.label + QStringLiteral(") parameters"));
    show_rows(power_rows);
    ui->cur_max_label->setText(fixed(double(r.current_max), 1));
    last_cur_max = r.current_max;
}

template <typename record_t>
void laser_params::pulsed_view_update(const record_t &r, const char *title_suffix)
{
    reload_changed_shared(r);
    if (last_vol_max != r.voltage_max)
        ui->vol_max_spin->setValue(double(r.voltage_max));
    if (last_vol_min != r.voltage_min)
        ui->vol_min_spin->setValue(double(r.voltage_min));
    set_title(QString::fromLatin1(title_suffix));
    show_rows(pulsed_rows);
    show_shared(r);
    ui->vol_max_label->setText(fixed(double(r.voltage_max), 1));
    ui->vol_min_label->setText(fixed(double(r.voltage_min), 1));
    store_shared(r);
    last_vol_min = r.voltage_min;
    last_vol_max = r.voltage_max;
}

void laser_params::ns_table_view_update()
{
    const bool soa = channel->worker->device_type.load() == 13;
    pulsed_view_update(channel->worker->ns_table_record,
                       soa ? " (SOA NS Type) parameters" : " (NS Type) parameters");
}

void laser_params::ns_view_update()
{
    // Two blanks: the type-21 title as the boards' users know it.
    pulsed_view_update(channel->worker->ns_record, "  (NS Type) parameters");
}

void laser_params::ps_table_view_update()
{
    pulsed_view_update(channel->worker->ps_table_record, " (PS Type) parameters");
}

void laser_params::ps_view_update()
{
    pulsed_view_update(channel->worker->ps_record, " (PS Type) parameters");
}
