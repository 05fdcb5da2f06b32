#include "params/laser_params.h"

#include <QDebug>
#include <QMessageBox>

#include "channel/command_guard.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/value_encoding.h"
#include "ui_laser_params.h"

// The set commands behind the window's buttons. Each is one frame to the
// shown channel's board, sent three times 50 ms apart with the channel's
// detail polling paused, so the board takes it between two polls.

namespace {

using value_encoding::rounded_32;

enum family : int { cw_family = 1, pulsed_family = 2 };

bool is_precision_cw(int32_t type)
{
    return type == 10 || type == 15;
}

// The CAN address of the record of the type, when the command serves the
// type's family: the CW family or the four pulsed records.
bool record_address(const laser_worker *w, int32_t type, int families, int32_t *address)
{
    const bool cw = families & cw_family;
    const bool pulsed = families & pulsed_family;
    switch (type) {
    case 8:
    case 10:
    case 14:
    case 15:
        *address = w->cw_record.can_address;
        return cw;
    case 7: *address = w->ps_table_record.can_address; return pulsed;
    case 20: *address = w->ps_record.can_address; return pulsed;
    case 6:
    case 13: *address = w->ns_table_record.can_address; return pulsed;
    case 21: *address = w->ns_record.can_address; return pulsed;
    default: return false;
    }
}

// A value outside its field would reach the board as its low bits: a wrong
// address or limit that the board keeps for good. Such a value is not sent.
bool fits(int64_t wire, int64_t max, const char *what)
{
    if (wire >= 0 && wire <= max)
        return true;
    qDebug().noquote() << QStringLiteral("%1 not sent: %2 does not fit its field (0 to %3)")
                              .arg(QLatin1String(what))
                              .arg(wire)
                              .arg(max);
    return false;
}

constexpr int64_t max_8 = 255;
constexpr int64_t max_16 = 65535;

// A 16-bit command of the CW and pulsed records.
struct field_16
{
    const char *what;
    int families;
    // Types 10 and 15 keep temperatures in thousandths: x100 here, x10 in the builder.
    bool precise_temperature;
    void (*build)(int32_t can_address, float value, uint8_t *buf, uint32_t *len);
    // The builder's own conversion, for the width check.
    int32_t (*wire)(float value);
};

int32_t tenths(float v) { return rounded_32(v, 10.0); }
int32_t whole(float v) { return value_encoding::truncated(v); }
int32_t hundredths(float v) { return rounded_32(v, 100.0); }

const field_16 voltage_max_field{"Maximum voltage", pulsed_family, false, &driver_data::frame_set_voltage_max, tenths};
const field_16 voltage_min_field{"Minimum voltage", pulsed_family, false, &driver_data::frame_set_voltage_min, tenths};
const field_16 temperature_max_field{"Maximum temperature", cw_family | pulsed_family, true,
                                     &driver_data::frame_set_temperature_max, tenths};
const field_16 temperature_min_field{"Minimum temperature", cw_family | pulsed_family, true,
                                     &driver_data::frame_set_temperature_min, tenths};
const field_16 resistance_field{"Thermistor resistance", cw_family | pulsed_family, false,
                                &driver_data::frame_set_resistance, whole};
const field_16 beta_field{"Thermistor beta", cw_family | pulsed_family, false, &driver_data::frame_set_beta, whole};
const field_16 responsivity_field{"Monitor responsivity", cw_family | pulsed_family, false,
                                  &driver_data::frame_set_responsivity, hundredths};
const field_16 tec_current_field{"TEC current limit", cw_family, false, &driver_data::frame_set_tec_current_max, tenths};

// Each builder takes the input's value at the click: the refresh may reload
// the inputs during the wait before the frame is built, and the board must
// get what the operator clicked SET with.
auto builder_16(const QDoubleSpinBox *spin, const field_16 &field)
{
    const double v = spin->value();
    return [v, &field](laser_worker *w, int32_t type, uint8_t *buf, uint32_t *len) {
        int32_t address = 0;
        if (!record_address(w, type, field.families, &address))
            return false;
        const float value = field.precise_temperature && is_precision_cw(type) ? float(v * 100.0) : float(v);
        if (!fits(field.wire(value), max_16, field.what))
            return false;
        field.build(address, value, buf, len);
        return true;
    };
}

// Current limits of the CW family (32-bit field, wide enough for any input):
// tenths of a mA for types 8 and 14 once the board uses its new units, else
// hundredths; the builder takes tenths, so the rest is scaled here.
auto cw_current_builder(const QDoubleSpinBox *spin, bool max)
{
    const double v = spin->value();
    return [v, max](laser_worker *w, int32_t type, uint8_t *buf, uint32_t *len) {
        if (type != 8 && type != 10 && type != 14 && type != 15)
            return false;
        const bool tenths_on_wire = (type == 8 || type == 14) && w->cw_record.new_units != 0;
        const float value = tenths_on_wire ? float(v) : float(v * 10.0);
        if (max)
            w->cw_record.frame_set_current_max(value, buf, len);
        else
            w->cw_record.frame_set_current_min(value, buf, len);
        return true;
    };
}

} // namespace

void laser_params::send_sequence(const frame_builder &build, bool saved_box)
{
    laser_object *const target = channel;
    if (!target)
        return;
    const uint32_t closes_before = close_count;
    // Under way to the end, the box included.
    const command_guard sequence;
    laser_worker *const w = target->worker;
    w->detail_poll = false;
    delay_ms(50);
    uint8_t buf[22];
    uint32_t len = 0;
    if (build(w, w->device_type.load(), buf, &len)) {
        QByteArray frame;
        frame.append(reinterpret_cast<const char *>(buf), int(len));
        for (int i = 0; i < 3; ++i) {
            emit sig_thread_serial_write(frame);
            delay_ms(50);
        }
        if (saved_box) {
            QMessageBox box;
            box.setText(QStringLiteral("Configuration Saved."));
            box.exec();
        }
    }
    // A close or a hand-over to another channel meanwhile has taken the poll
    // flags back; setting detail polling now would leave that channel polling
    // its parameter list alone until the next disconnect.
    if (channel == target && close_count == closes_before)
        w->detail_poll = true;
}

void laser_params::on_res_set_but_clicked()
{
    send_sequence(builder_16(ui->res_set_spin, resistance_field));
}

void laser_params::on_bet_set_but_clicked()
{
    send_sequence(builder_16(ui->beta_set_spin, beta_field));
}

void laser_params::on_mon_set_but_clicked()
{
    send_sequence(builder_16(ui->mon_set_spin, responsivity_field));
}

void laser_params::on_cur_max_set_but_clicked()
{
    const auto cw = cw_current_builder(ui->cur_max_spin, true);
    const float value = float(ui->cur_max_spin->value());
    send_sequence([cw, value](laser_worker *w, int32_t type, uint8_t *buf, uint32_t *len) {
        if (type != 18)
            return cw(w, type, buf, len);
        if (!fits(rounded_32(value, 100.0), max_16, "Maximum current"))
            return false;
        w->power_record.frame_set_current_max(value, buf, len);
        return true;
    });
}

void laser_params::on_cur_min_set_but_clicked()
{
    send_sequence(cw_current_builder(ui->cur_min_spin, false));
}

void laser_params::on_vol_max_set_but_clicked()
{
    send_sequence(builder_16(ui->vol_max_spin, voltage_max_field));
}

void laser_params::on_vol_min_set_but_clicked()
{
    send_sequence(builder_16(ui->vol_min_spin, voltage_min_field));
}

void laser_params::on_temp_max_set_but_clicked()
{
    send_sequence(builder_16(ui->temp_max_spin, temperature_max_field));
}

void laser_params::on_temp_min_set_but_clicked()
{
    send_sequence(builder_16(ui->temp_min_spin, temperature_min_field));
}

// Goes out for every type the board may report, before its first report too,
// to the address the channel has now; the board answers on the new one after
// a reset.
void laser_params::on_can_set_but_clicked()
{
    const int32_t address = value_encoding::truncated(float(ui->can_set_spin->value()));
    send_sequence([address](laser_worker *w, int32_t type, uint8_t *buf, uint32_t *len) {
        if (type == -1)
            return false;
        if (!fits(address, max_8, "CAN address"))
            return false;
        w->cw_record.frame_set_address(uint8_t(address), buf, len);
        return true;
    });
}

void laser_params::on_max_tec_curr_set_but_clicked()
{
    send_sequence(builder_16(ui->max_tec_curr_spin, tec_current_field));
}

// The TEC limit doubles as the "has a TEC" mark: 0.1 A means none. Sent for
// every type through the CW record, as the boards expect it.
void laser_params::on_TEC_checkbox_clicked(bool checked)
{
    const float value = checked ? float(ui->max_tec_curr_spin->value()) : 0.1f;
    send_sequence([value](laser_worker *w, int32_t, uint8_t *buf, uint32_t *len) {
        if (!fits(tenths(value), max_16, "TEC current limit"))
            return false;
        w->cw_record.frame_set_tec_current_max(value, buf, len);
        return true;
    });
}

// Type 18 stores its configuration; the box shows once the frames are out,
// and detail polling waits until the operator has closed it.
void laser_params::on_save_btn_clicked()
{
    send_sequence(
        [](laser_worker *w, int32_t type, uint8_t *buf, uint32_t *len) {
            if (type != 18)
                return false;
            w->power_record.frame_save_config(0, buf, len);
            return true;
        },
        true);
}
