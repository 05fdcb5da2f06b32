#include "channel/laser_object.h"

#include <type_traits>

#include "channel/driver_family.h"
#include "comm/can_commands.h"
#include "comm/laser_worker.h"
#include "comm/pulsed_common.h"
#include "comm/value_encoding.h"

// Replies of the families whose records do not decode themselves: CW,
// DC/DC, and the table-form pulsed drivers (7, 6, 13). Most codes store the
// value as it stands in one field; those are table rows. The codes that
// depend on other state (emission, new units, the mode mapping) are code.

using namespace value_encoding;

namespace {

using marker_t = int32_t laser_object::*;

// One reply code that lands in one field of record R: v / scale into a
// float, v into an int32 or d7 != 0 into a flag. With a marker, the first
// reading after a change of type is also copied into the held copy.
template <typename R>
struct reply_rule {
    uint8_t code;
    float R::*real = nullptr;
    int32_t R::*whole = nullptr;
    uint8_t R::*flag = nullptr;
    float scale = 1.0f;
    // The Precision CW types (10, 15) read some quantities at finer scales.
    float precise_scale = 1.0f;
    marker_t marker = nullptr;
    float R::*real_target = nullptr;
    int32_t R::*whole_target = nullptr;
};

template <typename R>
constexpr reply_rule<R> real(uint8_t code, float R::*field, float scale, float precise_scale = 0.0f)
{
    reply_rule<R> r{code};
    r.real = field;
    r.scale = scale;
    r.precise_scale = precise_scale > 0.0f ? precise_scale : scale;
    return r;
}

template <typename R>
constexpr reply_rule<R> whole(uint8_t code, int32_t R::*field)
{
    reply_rule<R> r{code};
    r.whole = field;
    return r;
}

template <typename R>
constexpr reply_rule<R> flag(uint8_t code, uint8_t R::*field)
{
    reply_rule<R> r{code};
    r.flag = field;
    return r;
}

template <typename R>
constexpr reply_rule<R> first(reply_rule<R> r, marker_t marker, float R::*target)
{
    r.marker = marker;
    r.real_target = target;
    return r;
}

template <typename R>
constexpr reply_rule<R> first(reply_rule<R> r, marker_t marker, int32_t R::*target)
{
    r.marker = marker;
    r.whole_target = target;
    return r;
}

// Applies the rule for the frame's code, if the table has one.
template <typename R, size_t n>
bool apply(laser_object &ch, R &record, const reply_rule<R> (&rules)[n], const serial_message_struct &m,
           bool precise = false)
{
    for (const reply_rule<R> &r : rules) {
        if (r.code != m.data[0])
            continue;
        const bool first_reading = r.marker && ch.*r.marker == 1;
        if (r.real) {
            const float value = reply_scaled(m, precise ? r.precise_scale : r.scale);
            record.*r.real = value;
            if (first_reading && r.real_target)
                record.*r.real_target = value;
        } else if (r.whole) {
            const int32_t value = reply_int(m);
            record.*r.whole = value;
            if (first_reading && r.whole_target)
                record.*r.whole_target = value;
        } else if (r.flag) {
            record.*r.flag = reply_flag(m) ? 1 : 0;
        }
        if (first_reading && (r.real_target || r.whole_target))
            ch.*r.marker = 2;
        return true;
    }
    return false;
}

using o = laser_object;

constexpr reply_rule<dcdc_data> dcdc_rules[] = {
    flag(cmd_get_output, &dcdc_data::output_on),
    first(real(cmd_get_current, &dcdc_data::current, 100.0f), &o::first_read_current, &dcdc_data::current_target),
    // No held temperature on these boards: the marker stays armed.
    real(cmd_get_temperature, &dcdc_data::temperature, 10.0f),
    real(cmd_get_power, &dcdc_data::input_voltage, 10.0f),
    first(whole(cmd_get_frequency, &dcdc_data::frequency), &o::first_read_frequency, &dcdc_data::frequency_target),
    // The QCW width travels in us, unscaled.
    first(whole(cmd_get_pulse_width, &dcdc_data::pulse_width), &o::first_read_width, &dcdc_data::pulse_width_target),
    real(cmd_get_min, &dcdc_data::output_voltage, 10.0f),
};

// Scale for types 8 and 14, then for 10 and 15.
constexpr reply_rule<cw_data> cw_rules[] = {
    flag(cmd_get_output, &cw_data::output_on),
    first(real(cmd_get_current, &cw_data::current, 10.0f, 10000.0f), &o::first_read_current, &cw_data::current_target),
    first(real(cmd_get_temperature, &cw_data::temperature, 10.0f, 10000.0f), &o::first_read_temperature,
          &cw_data::temperature_target),
    real(cmd_get_power, &cw_data::power, 10.0f),
    whole(cmd_get_beta, &cw_data::beta),
    whole(cmd_get_resistance, &cw_data::resistance),
    real(cmd_get_responsivity, &cw_data::responsivity, 100.0f),
    flag(cmd_get_tec_on, &cw_data::tec_on),
    real(cmd_get_tec_current_max, &cw_data::tec_current_max, 10.0f),
    real(cmd_get_temperature_min, &cw_data::temperature_min, 10.0f, 1000.0f),
    real(cmd_get_temperature_max, &cw_data::temperature_max, 10.0f, 1000.0f),
};

// Shared by the PS table (7) and NS/SOA table (6, 13) records.
template <typename R>
struct pulsed_rules {
    static constexpr reply_rule<R> rules[] = {
        first(real(cmd_get_temperature, &R::temperature, 10.0f), &o::first_read_temperature, &R::temperature_target),
        whole(cmd_get_beta, &R::beta),
        whole(cmd_get_resistance, &R::resistance),
        real(cmd_get_responsivity, &R::responsivity, 100.0f),
        first(whole(cmd_get_frequency, &R::frequency), &o::first_read_frequency, &R::frequency_target),
        flag(cmd_get_voltage_on, &R::voltage_on),
        flag(cmd_get_tec_on, &R::tec_on),
        flag(cmd_get_emission, &R::emission_on),
        real(cmd_get_max, &R::voltage_max, 10.0f),
        real(cmd_get_min, &R::voltage_min, 10.0f),
        real(cmd_get_tec_current_max, &R::tec_current_max, 10.0f),
        first(whole(cmd_get_gated, &R::gated), &o::first_read_gated, &R::gated_target),
        first(whole(cmd_get_cutted, &R::cutted), &o::first_read_cutted, &R::cutted_target),
        real(cmd_get_temperature_min, &R::temperature_min, 10.0f),
        real(cmd_get_temperature_max, &R::temperature_max, 10.0f),
    };
};

constexpr reply_rule<ns_table_data> ns_table_width_rules[] = {
    first(real(cmd_get_pulse_width, &ns_table_data::pulse_width, 10.0f), &o::first_read_width,
          &ns_table_data::pulse_width_target),
};

void decode_dcdc(laser_object &ch, dcdc_data &r, const serial_message_struct &m)
{
    if (apply(ch, r, dcdc_rules, m))
        return;
    if (m.data[0] == cmd_get_mode) {
        r.mode = reply_byte(m);
        if (ch.first_read_mode == 1) {
            r.mode_target = r.mode;
            ch.first_read_mode = 2;
        }
    } else if (m.data[0] == cmd_get_faults) {
        r.faults = reply_byte(m);
    }
}

void decode_cw(laser_object &ch, cw_data &r, int32_t type, const serial_message_struct &m)
{
    const bool precise = family_of(type) == driver_family::cw_precise;
    const uint32_t code = m.data[0];
    // Set before the limit is stored: from now on the current limits of
    // types 8 and 14 travel in tenths of a mA.
    if (code == cmd_get_temperature_min || code == cmd_get_temperature_max)
        r.new_units = 1;
    if (apply(ch, r, cw_rules, m, precise))
        return;
    if (code == cmd_get_max || code == cmd_get_min) {
        const float value = reply_scaled(m, !precise && r.new_units ? 10.0f : 100.0f);
        (code == cmd_get_max ? r.current_max : r.current_min) = value;
    } else if (code == cmd_get_mode && (type == 14 || type == 15) && reply_byte(m) <= 2) {
        r.mode = reply_byte(m);
        if (ch.first_read_mode == 1) {
            r.mode_target = r.mode;
            ch.first_read_mode = 2;
        }
    }
}

template <typename R>
void decode_pulsed_table(laser_object &ch, R &r, int32_t type, const serial_message_struct &m)
{
    const uint32_t code = m.data[0];
    if (code == cmd_get_gated && ch.first_read_gated == 1)
        ch.first_read_mode = 2; // the mode shown follows from the counts
    if (apply(ch, r, pulsed_rules<R>::rules, m))
        return;
    if constexpr (std::is_same_v<R, ns_table_data>) {
        if (apply(ch, r, ns_table_width_rules, m))
            return;
    }
    if (code == cmd_get_voltage) {
        const float value = reply_scaled(m, 10.0f);
        r.voltage = r.emission_on == 1 ? value : 0.0f;
        // The held voltage starts from the board's value even with emission off.
        if (ch.first_read_voltage == 1) {
            r.voltage_target = value;
            ch.first_read_voltage = 2;
        }
    } else if (code == cmd_get_mode) {
        r.burst = r.cutted > 0 && r.gated > 0 ? 1 : 0;
        uint32_t mode_byte = reply_byte(m);
        // The PS table board also reports internal triggering as 3.
        if (type == 7 && mode_byte == 3)
            mode_byte = 0;
        const int32_t index = pulsed_common::mode_index(mode_byte, r.burst);
        if (index >= 0)
            r.mode = index;
    }
}

// Markers armed when the board reports a new type, for the families whose
// records carry none.
struct arming_row {
    int32_t type;
    marker_t markers[7];
};

constexpr arming_row arming_table[] = {
    {8, {&o::first_read_current, &o::first_read_mode, &o::first_read_temperature}},
    {10, {&o::first_read_current, &o::first_read_mode, &o::first_read_temperature}},
    {11, {&o::first_read_current, &o::first_read_mode, &o::first_read_temperature}},
    {14, {&o::first_read_current, &o::first_read_mode, &o::first_read_temperature}},
    {15, {&o::first_read_current, &o::first_read_mode, &o::first_read_temperature}},
    {16, {&o::first_read_current, &o::first_read_width, &o::first_read_frequency, &o::first_read_mode,
          &o::first_read_temperature}},
    {7, {&o::first_read_gated, &o::first_read_cutted, &o::first_read_voltage, &o::first_read_frequency,
         &o::first_read_mode, &o::first_read_temperature}},
    {6, {&o::first_read_gated, &o::first_read_cutted, &o::first_read_voltage, &o::first_read_frequency,
         &o::first_read_mode, &o::first_read_temperature, &o::first_read_width}},
    {13, {&o::first_read_gated, &o::first_read_cutted, &o::first_read_voltage, &o::first_read_frequency,
          &o::first_read_mode, &o::first_read_temperature, &o::first_read_width}},
};

template <typename R>
void arm_pulsed_record(R &r)
{
    r.first_read_voltage = 1;
    r.first_read_temperature = 1;
    r.first_read_frequency = 1;
    r.first_read_gated = 1;
    r.first_read_cutted = 1;
    r.first_read_mode = 1;
}

void arm_markers(laser_object &ch, laser_worker &w, int32_t type)
{
    for (const arming_row &row : arming_table) {
        if (row.type != type)
            continue;
        for (marker_t m : row.markers) {
            if (m)
                ch.*m = 1;
        }
        return;
    }
    switch (type) {
    case 18:
        w.power_record.first_read_current = 1;
        w.power_record.first_read_mode = 1;
        break;
    case 20:
        arm_pulsed_record(w.ps_record);
        break;
    case 21:
        arm_pulsed_record(w.ns_record);
        w.ns_record.first_read_width = 1;
        break;
    default:
        break;
    }
}

} // namespace

void laser_object::handle_rx_can_message(const serial_message_struct *msg)
{
    if (!msg)
        return;
    const serial_message_struct &m = *msg;
    laser_worker &w = *worker;
    const uint32_t code = m.data[0];
    if (code == cmd_get_output || code == cmd_get_emission) {
        if (output_polls_at_switch && *output_polls_at_switch == w.output_polls.load())
            return; // the state before the switch
        output_polls_at_switch.reset();
    }

    // The stages in this order, each with the type as it stands then.
    if (family_of(w.device_type) == driver_family::dcdc) {
        decode_dcdc(*this, w.dcdc_record, m);
        if (code == cmd_get_power)
            dcdc_input_voltage_read = true;
    }

    switch (w.device_type.load()) {
    case 18:
        w.power_record.handle_rx(msg);
        break;
    case 20:
        w.ps_record.handle_rx(msg);
        break;
    case 21:
        w.ns_record.handle_rx(msg);
        break;
    default:
        break;
    }

    const int32_t type = w.device_type;
    if ((type == 14 || type == 15) && code == cmd_get_faults)
        w.cw_record.faults = reply_byte(m);

    if (code == cmd_get_device_type) {
        const int32_t reported = reply_byte(m);
        families_heard |= family_bit(flag_family(family_of(reported)));
        if (reported != type)
            take_new_board(reported);
        w.heartbeat = true;
        w.device_type = reported;
        return;
    }
    if (code == cmd_get_address) {
        w.device_address = reply_byte(m);
        return;
    }
    switch (family_of(type)) {
    case driver_family::cw:
    case driver_family::cw_precise:
        decode_cw(*this, w.cw_record, type, m);
        break;
    case driver_family::ps_table:
        decode_pulsed_table(*this, w.ps_table_record, type, m);
        break;
    case driver_family::ns_table:
        decode_pulsed_table(*this, w.ns_table_record, type, m);
        break;
    default:
        break;
    }
    // Any mode reply, whatever the type, counts as the mode's first reading.
    if (code == cmd_get_mode && first_read_mode == 1)
        first_read_mode = 2;
    // The board has reported the output on that the switch turned on: from
    // now on its reports decide.
    if (code == cmd_get_output || code == cmd_get_emission) {
        const driver_family family = flag_family(family_of(type));
        const uint8_t *flag = output_flag_of(w, family);
        if (flag && *flag != 0)
            outputs_switched_on &= ~family_bit(family);
    }
}

void laser_object::take_new_board(int32_t type)
{
    laser_worker &w = *worker;
    w.type_changed = true;
    w.cw_record.new_units = 0;
    dcdc_input_voltage_read = false;
    forget_board_values();
    arm_markers(*this, w, type);
}

void laser_object::forget_board()
{
    // The output flags stay: the board that was here may still be on, and
    // its off command must still reach it.
    take_new_board(worker->device_type);
}

// What the page sent is the board's value from then on: a first reading
// of the same quantity still to be decoded or loaded was asked for before
// the send, and would put the older value back into the box and the held
// set point. Per set command: the channel's marker and those of the
// records that carry their own.
namespace {

struct first_reading_markers {
    uint8_t code;
    marker_t channel;
    int32_t ps_data::*ps;
    int32_t ns_data::*ns;
};

constexpr first_reading_markers sent_quantities[] = {
    {cmd_set_current, &o::first_read_current, nullptr, nullptr},
    {cmd_set_temperature, &o::first_read_temperature, &ps_data::first_read_temperature, &ns_data::first_read_temperature},
    {cmd_set_voltage, &o::first_read_voltage, &ps_data::first_read_voltage, &ns_data::first_read_voltage},
    {cmd_set_frequency, &o::first_read_frequency, &ps_data::first_read_frequency, &ns_data::first_read_frequency},
    {cmd_set_pulse_width, &o::first_read_width, nullptr, &ns_data::first_read_width},
    {cmd_set_gated, &o::first_read_gated, &ps_data::first_read_gated, &ns_data::first_read_gated},
    {cmd_set_cutted, &o::first_read_cutted, &ps_data::first_read_cutted, &ns_data::first_read_cutted},
};

} // namespace

void laser_object::drop_first_readings(int code)
{
    laser_worker &w = *worker;
    if (code == cmd_set_current)
        w.power_record.first_read_current = 0;
    for (const first_reading_markers &m : sent_quantities) {
        if (m.code != code)
            continue;
        this->*m.channel = 0;
        if (m.ps)
            w.ps_record.*m.ps = 0;
        if (m.ns)
            w.ns_record.*m.ns = 0;
    }
}

void laser_object::forget_unheard_outputs()
{
    // Type replies came and none named a family whose flag is set: another
    // board answers at the address, and that family's board was not heard.
    // A silent channel keeps every flag, so a board lost from view is still
    // sent its off command; two boards that share an address keep both.
    if (families_heard != 0) {
        for (const family_output_flag &r : family_output_flags(*worker))
            if ((families_heard & family_bit(r.family)) == 0)
                *r.flag = 0;
    }
    families_heard = 0;
}
