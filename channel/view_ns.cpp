#include "channel/laser_object.h"
#include "channel/pulsed_view_values.h"
#include "comm/laser_worker.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <algorithm>
#include <cmath>

// NS driver with a free rate in Hz (type 21).
void laser_object::ns_view_update()
{
    ns_data &r = worker->ns_record;
    if (worker->type_changed) {
        fill_mode_combo(r.mode_names);
        show_free_rate_input();
        dura_spin->setSingleStep(0.2);
        // The rate labels and maximum are rebuilt for this type's own limit.
        ns_last_max_rate = 0.0f;
        worker->type_changed = false;
    }

    serve_first_read({
        {&r.first_read_voltage, [&] { load_voltage(r); }},
        {&r.first_read_temperature, [&] { load_pulse_temperature(r); }},
        {&r.first_read_frequency, [&] { load_free_rate(r.frequency, r.frequency_target); }},
        {&r.first_read_width, [&] { load_width(r.pulse_width, r.pulse_width_target); }},
        {&r.first_read_mode, [&] { load_mode(r.mode_names, r.mode); }},
        {&r.first_read_gated, [&] { load_held(pulse_gated_spin, r.gated_target); }},
        {&r.first_read_cutted, [&] { load_held(pulse_cutted_spin, r.cutted_target); }},
    });

    show_pulsed_title(QStringLiteral("NS Driver"), r.voltage_target, r.temperature_target, freq_label->text(), true);
    show_pulsed_page(pulsed_values_of(r), true);
    dura_label->setText(number_text(r.pulse_width, 1, QStringLiteral(" ns")));

    const bool on_demand = r.mode == pulse_on_demand_mode;
    std::optional<int32_t> w = duty_width_limit(r.frequency);
    if (w)
        w = std::min(*w, 100);
    if (on_demand)
        w = 100;
    show_width_limit(w, r.pulse_width_max, r.pulse_width_min);

    freq_label->setText(on_demand ? QStringLiteral("N/A Hz") : free_rate_text(r.frequency));
    freq_spin->setEnabled(!on_demand);
    freq_range_combo->setEnabled(!on_demand);
    show_free_reach(whole_within(r.duty_limit / (static_cast<double>(r.pulse_width) * 1e-9)), r.frequency);
}

// The highest rate the measured width allows within the duty limit: the
// rate labels and the maximum of freq_spin, rebuilt only when its whole-hertz
// value moves. A width that gives no rate of 1 Hz or more that fits 32 bits
// shows no limit and keeps the box's range.
void laser_object::show_free_reach(double reach_hz, int32_t frequency)
{
    const float reach = std::isfinite(reach_hz) && reach_hz >= 1.0 && reach_hz < 2147483648.0
                            ? static_cast<float>(reach_hz)
                            : -1.0f;
    // The narrowing may round up to 2^31, which no longer fits.
    if (reach < 1.0f || reach >= 2147483648.0f) {
        rr_max_label->setText(QStringLiteral("N/A"));
        ns_last_max_rate = -1.0f;
        return;
    }
    if (static_cast<int32_t>(reach) != static_cast<int32_t>(ns_last_max_rate)) {
        const int unit = freq_range_combo->currentIndex();
        // Outside the rate's own unit the box spans 1 to 1000, but never
        // cuts a board's rate loaded there in its exact unit (1500 kHz).
        const auto unit_window = [this] { return std::max(1000.0, freq_spin->value()); };
        // In MHz and kHz the reach is shown and capped at what the unit's
        // decimals can hold below it.
        if (reach > 1000000.0f) {
            const double mhz = whole_within(reach / 1000000.0, 1);
            rr_max_label->setText(number_text(mhz, 1, QStringLiteral("MHz")));
            rr_min_label->setText(number_text(0.1, 1, QStringLiteral("  MHz")));
            freq_spin->setMaximum(unit == 2 ? mhz : unit_window());
        } else if (reach > 1000.0f) {
            const double khz = whole_within(reach / 1000.0);
            rr_max_label->setText(number_text(khz, 0, QStringLiteral(" kHz")));
            rr_min_label->setText(number_text(1, 0, QStringLiteral("  kHz")));
            freq_spin->setMaximum(unit == 1 ? khz : unit_window());
        } else {
            rr_max_label->setText(number_text(reach, 0, QStringLiteral("  Hz")));
            rr_min_label->setText(number_text(1, 0, QStringLiteral("  Hz")));
            if (unit == 0)
                freq_spin->setMaximum(reach);
        }
    }
    ns_last_max_rate = reach;
    set_bar(freq_indicator, static_cast<float>(frequency), 1.0f, reach);
}
