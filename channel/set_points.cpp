#include "channel/laser_object.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

#include "channel/driver_family.h"
#include "channel/pulsed_view_values.h"
#include "comm/laser_worker.h"

// The page's inputs become set points in the record of the board's driver
// type. Most only store (the value goes out with Return); the pulse counts
// and widths go out at once, and the pulse width and repetition rate of the
// NS boards are kept to a 2 % duty cycle.

namespace {

// Toward zero, saturating at the int32 range; NaN gives 0.
int32_t to_int32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

// Halves away from zero, then as to_int32.
int32_t rounded_int32(double v)
{
    return to_int32(std::round(v));
}

// The board runs what it reported until the value held for it arrives; the
// limit holds for either, so the larger one counts.
double stricter(double reported, double held)
{
    return std::max(reported, held);
}

template <typename R>
double held_width_ns(const R &r)
{
    return stricter(double(r.pulse_width), double(r.pulse_width_target));
}

// Highest frequency the device allows for the duty rate of the NS boards.
constexpr double max_ns_rate_hz = 20000000.0;
// Highest rate the frequency input offers.
constexpr double max_rate_hz = 30000000.0;

// Mode combo index -> device mode byte and burst flag.
struct pulsed_mode {
    int32_t mode_byte;
    int32_t burst;
};
constexpr pulsed_mode pulsed_modes[] = {
    {0, 0}, // "Int: Normal"
    {0, 1}, // "Int: Burst"
    {2, 0}, // "Ext: Normal"
    {2, 1}, // "Ext: Burst"
    {1, 0}, // "Pulse on Demand"
};

} // namespace

bool laser_object::tells_value_changed(QDoubleSpinBox *spin, const std::function<void()> &change)
{
    bool told = false;
    const QMetaObject::Connection seen =
        connect(spin, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [&told] { told = true; });
    change();
    disconnect(seen);
    return told;
}

void laser_object::current_target_update(double value)
{
    laser_worker &w = *worker;
    switch (family_of(w.device_type)) {
    case driver_family::cw:
    case driver_family::cw_precise:
        w.cw_record.current_set = float(value);
        break;
    case driver_family::dcdc:
        w.dcdc_record.current_set = float(value);
        break;
    case driver_family::power:
        w.power_record.current_set = float(value);
        break;
    default:
        break;
    }
}

void laser_object::temp_target_update(double value)
{
    laser_worker &w = *worker;
    const driver_family family = family_of(w.device_type);
    if (is_cw(family))
        w.cw_record.temperature_set = float(value);
    else
        visit_pulsed(w, family, [&](auto &r) { r.temperature_set = float(value); });
}

void laser_object::volt_target_update(double value)
{
    visit_pulsed(*worker, family_of(worker->device_type), [&](auto &r) { r.voltage_set = float(value); });
}

void laser_object::dcdc_freq_target_update(double value)
{
    if (worker->device_type == 16)
        worker->dcdc_record.frequency_set = to_int32(value);
}

void laser_object::pulse_gated_target_update(double value)
{
    const bool pulsed = visit_pulsed(*worker, family_of(worker->device_type),
                                     [&](auto &r) { r.gated_target = to_int32(value); });
    if (pulsed && auto_send)
        laser_pulse_gated_butt_clicked();
}

void laser_object::pulse_cutted_target_update(double value)
{
    visit_pulsed(*worker, family_of(worker->device_type), [&](auto &r) { r.cutted_target = to_int32(value); });
    if (auto_send)
        laser_pulse_cutted_butt_clicked();
}

void laser_object::pulse_width_target_update(double value)
{
    laser_worker &w = *worker;
    const int32_t type = w.device_type;
    if (type == 16) {
        if (cw_width_spin)
            w.dcdc_record.pulse_width_set = to_int32(cw_width_spin->value());
        return;
    }
    if (type == 6 || type == 13) {
        ns_table_data &r = w.ns_table_record;
        // The table rate is in kHz; a pick is sent at once, before the
        // board reports it.
        const double hz = double(std::max(int64_t(r.frequency), int64_t(r.frequency_target)) * 1000);
        double width = value;
        // A rate of 0 or below gives no finite limit: the spin box's own
        // range is the only bound then.
        if (r.mode == 2 || hz > 0.0) {
            int32_t limit = r.mode == 2 ? 6500 : to_int32(whole_within(r.duty_limit / (hz * 1e-9)));
            if (limit == 0)
                limit = 1;
            if (value >= limit) {
                // Moved, the box has re-entered with the limit and sent it.
                if (dura_spin && tells_value_changed(dura_spin, [&] { dura_spin->setValue(limit); }))
                    return;
                width = limit;
            }
        }
        r.pulse_width_target = float(width);
    } else if (type == 21) {
        ns_data &r = w.ns_record;
        // The held rate goes out only at output on: the report may be older.
        const double hz = stricter(double(r.frequency), double(r.frequency_target));
        double width = value;
        if (r.mode == 2 || hz > 0.0) {
            int32_t limit = r.mode == 2 ? 100 : to_int32(whole_within(r.duty_limit / (hz * 1e-9)));
            if (limit == 0)
                limit = 1;
            if (value >= limit)
                width = limit;
        }
        // The board takes the width in steps of 0.2 ns.
        if (QString::number(width * 10.0, 'f', 0).toInt() % 2 != 0)
            width -= 0.1;
        // Moved, the box has re-entered with the corrected width and sent
        // it: the entry goes out once.
        if (dura_spin && width != dura_spin->value() &&
            tells_value_changed(dura_spin, [&] { dura_spin->setValue(width); }))
            return;
        r.pulse_width_target = float(width);
    } else {
        return;
    }
    if (auto_send)
        laser_pulse_width_butt_clicked();
}

void laser_object::freq_ps20_target_update(double value)
{
    // Only the free-rate boards read their rate from this input; on the
    // table types a number typed here is no index into their table.
    const int32_t type = worker->device_type;
    if (type != 20 && type != 21)
        return;
    if (!freq_range_combo)
        return;
    double hz = 0.0;
    switch (freq_range_combo->currentIndex()) {
    case 0:
        hz = value;
        break;
    case 1:
        hz = value * 1000.0;
        break;
    case 2:
        hz = std::fmin(value * 1000000.0, max_rate_hz);
        break;
    default:
        return; // no unit chosen
    }
    emit sig_freq_ps20_target_update_adapter(rounded_int32(hz));
}

void laser_object::freq_target_update(int arg)
{
    laser_worker &w = *worker;
    // The page has not refilled its lists for the new type yet.
    if (w.type_changed)
        return;
    const int32_t type = w.device_type;
    if (type == 7) {
        if (!freq_combo)
            return;
        w.ps_table_record.frequency_target = freq_combo->itemText(arg).toInt();
        laser_frequency_butt_clicked();
    } else if (type == 20) {
        w.ps_record.frequency_target = arg;
    } else if (type == 6 || type == 13) {
        ns_table_data &r = w.ns_table_record;
        if (freq_combo) {
            const int32_t khz = freq_combo->itemText(arg).toInt();
            const double width_ns = held_width_ns(r);
            if (width_ns > 0.0 && width_ns * 1e-9 * khz * 1000.0 >= r.duty_limit) {
                // The highest table rate the width allows.
                const double limit_khz = whole_within(r.duty_limit / (width_ns * 1e-6));
                const int count = freq_combo->count();
                if (count > 0) {
                    int pick = 0;
                    for (int i = count - 1; i >= 0; --i) {
                        if (freq_combo->itemText(i).toInt() <= limit_khz) {
                            pick = i;
                            break;
                        }
                    }
                    freq_combo->setCurrentIndex(pick);
                    r.frequency_target = freq_combo->itemText(pick).toInt();
                }
            } else {
                r.frequency_target = khz;
            }
        }
        laser_frequency_butt_clicked();
    } else if (type == 21) {
        ns_data &r = w.ns_record;
        const double width_s = held_width_ns(r) * 1e-9;
        if (width_s > 0.0 && arg * width_s >= r.duty_limit)
            r.frequency_target = show_limited_free_rate(std::fmin(whole_within(r.duty_limit / width_s), max_ns_rate_hz));
        else
            r.frequency_target = arg;
    } else if (type == 16) {
        if (cw_freq_spin)
            w.dcdc_record.frequency_set = to_int32(cw_freq_spin->value());
    }
}

// The unit follows the size of the limit (Hz below 1 kHz, kHz below 1 MHz,
// else MHz) and the rate held is the one the box shows in it, so that Return
// sends what the operator reads. Quiet while the box changes unit: it would
// read its old number back in the new unit.
int32_t laser_object::show_limited_free_rate(double limit_hz)
{
    int unit = 2;
    double scale = 1000000.0;
    double resolution = 100000.0; // tenths of MHz
    if (limit_hz < 1000.0) {
        unit = 0;
        scale = resolution = 1.0;
    } else if (limit_hz < 1000000.0) {
        unit = 1;
        scale = resolution = 1000.0;
    }
    const double held = std::floor(limit_hz / resolution) * resolution;
    if (freq_range_combo)
        freq_range_combo->setCurrentIndex(unit);
    if (freq_spin) {
        const QSignalBlocker quiet(freq_spin);
        const bool fine = unit == 2;
        freq_spin->setDecimals(fine ? 1 : 0);
        freq_spin->setMinimum(fine ? 0.1 : 1.0);
        freq_spin->setSingleStep(fine ? 0.1 : 1.0);
        freq_spin->setMaximum(held / scale);
        freq_spin->setValue(held / scale);
    }
    return to_int32(held);
}

// A rate about to be sent to an NS board is held to the duty limit against
// the width the board holds: a rate entered before a wider width, or a
// table pick the board has not reported yet, must not go out with it.
void laser_object::keep_rate_within_duty()
{
    laser_worker &w = *worker;
    const int32_t type = w.device_type;
    if (type == 6 || type == 13) {
        ns_table_data &r = w.ns_table_record;
        const double width_ns = held_width_ns(r);
        if (!(width_ns > 0.0 && width_ns * 1e-9 * r.frequency_target * 1000.0 >= r.duty_limit))
            return;
        const double limit_khz = whole_within(r.duty_limit / (width_ns * 1e-6));
        // The highest entry of the board's table not above the limit, the
        // first entry when none is.
        int32_t pick = r.freq_table[0];
        for (int i = 0; i < int(std::size(r.freq_table)) && r.freq_table[i] != -1; ++i) {
            if (r.freq_table[i] <= limit_khz)
                pick = std::max(pick, r.freq_table[i]);
        }
        r.frequency_target = pick;
        if (freq_combo) {
            const int index = freq_combo->findText(QString::number(pick));
            if (index >= 0)
                freq_combo->setCurrentIndex(index);
        }
    } else if (type == 21) {
        ns_data &r = w.ns_record;
        const double width_s = held_width_ns(r) * 1e-9;
        if (width_s > 0.0 && r.frequency_target * width_s >= r.duty_limit)
            r.frequency_target = show_limited_free_rate(std::fmin(whole_within(r.duty_limit / width_s), max_ns_rate_hz));
    }
}

void laser_object::mode_update(int index)
{
    laser_worker &w = *worker;
    if (w.type_changed)
        return;
    if (index < 0 || index >= int(std::size(pulsed_modes)))
        return;
    const pulsed_mode chosen = pulsed_modes[index];
    const bool pulsed = visit_pulsed(w, family_of(w.device_type), [&](auto &r) {
        r.mode_set = chosen.mode_byte;
        r.burst = chosen.burst;
    });
    if (!pulsed)
        return;
    mode_butt_clicked();
    if (!chosen.burst) {
        pulse_gated_target_update(1.0);
        pulse_cutted_target_update(0.0);
        laser_pulse_cutted_butt_clicked();
        laser_pulse_gated_butt_clicked();
    } else if (auto_send) {
        pulse_cutted_target_update(pulse_cutted_spin ? pulse_cutted_spin->value() : 0.0);
        pulse_gated_target_update(pulse_gated_spin ? pulse_gated_spin->value() : 0.0);
        laser_pulse_cutted_butt_clicked();
        laser_pulse_gated_butt_clicked();
    }
}

void laser_object::freq_range_update(int index)
{
    const int32_t type = worker->device_type;
    if ((type != 20 && type != 21) || !freq_spin)
        return;
    const bool fine = index == 2;
    if (!fine && index != 0 && index != 1)
        return;
    // The box keeps its number, which now means a rate in the new unit.
    const bool typed = operator_entries.contains(freq_spin);
    const bool changed = tells_value_changed(freq_spin, [&] {
        // Type 21's page view sets the maximum from the duty limit.
        if (type == 20)
            freq_spin->setMaximum(fine ? 30.0 : 1000.0);
        freq_spin->setMinimum(fine ? 0.1 : 1.0);
        freq_spin->setSingleStep(fine ? 0.1 : 1.0);
        freq_spin->setDecimals(fine ? 1 : 0);
    });
    bool taken_as_read = false;
    if (!changed && typed) {
        // An entry is what the box reads in the unit shown, as Return sends it.
        const double scale = fine ? 1000000.0 : index == 1 ? 1000.0 : 1.0;
        const int32_t read_hz = rounded_int32(freq_spin->value() * scale);
        freq_ps20_target_update(freq_spin->value());
        visit_pulsed(*worker, family_of(type), [&](auto &r) { taken_as_read = r.frequency_target == read_hz; });
    }
    if ((changed || typed) && !taken_as_read) {
        // A number the new range clamped or rounded, or the duty limit cut,
        // is nobody's entry: the rate held stays the board's, and a width
        // entered next is limited against it, not against the cut rate.
        operator_entries.remove(freq_spin);
        if (free_rate_held)
            visit_pulsed(*worker, family_of(type), [this](auto &r) { r.frequency_target = *free_rate_held; });
    }
}

void laser_object::sl_single_step_change(int index)
{
    // 0.0 while the list is being refilled (index -1) or for a non-number.
    const double step = step_size_combo ? step_size_combo->itemText(index).toDouble() : 0.0;
    if (curr_spin)
        curr_spin->setSingleStep(step);
    if (temp_spin)
        temp_spin->setSingleStep(step);
}
