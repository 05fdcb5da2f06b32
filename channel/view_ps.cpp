#include "channel/laser_object.h"
#include "channel/pulsed_view_values.h"
#include "comm/laser_worker.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>

// PS driver with a free rate from 1 Hz to 30 MHz (type 20).
void laser_object::ps_view_update()
{
    ps_data &r = worker->ps_record;
    if (worker->type_changed) {
        fill_mode_combo(r.mode_names);
        show_free_rate_input();
        worker->type_changed = false;
    }

    serve_first_read({
        {&r.first_read_voltage, [&] { load_voltage(r); }},
        {&r.first_read_temperature, [&] { load_pulse_temperature(r); }},
        {&r.first_read_frequency, [&] { load_free_rate(r.frequency, r.frequency_target); }},
        {&r.first_read_mode, [&] { load_mode(r.mode_names, r.mode); }},
        {&r.first_read_gated, [&] { load_held(pulse_gated_spin, r.gated_target); }},
        {&r.first_read_cutted, [&] { load_held(pulse_cutted_spin, r.cutted_target); }},
    });

    show_pulsed_title(QStringLiteral("PS Driver"), r.voltage_target, r.temperature_target, freq_label->text(), false);
    show_pulsed_page(pulsed_values_of(r), false);

    const bool on_demand = r.mode == pulse_on_demand_mode;
    freq_label->setText(on_demand ? QStringLiteral("N/A Hz") : free_rate_text(r.frequency));
    freq_spin->setEnabled(!on_demand);
    freq_range_combo->setEnabled(!on_demand);
    rr_max_label->setText(number_text(30.0, 0, QStringLiteral(" MHz")));
    rr_min_label->setText(number_text(1.0, 0));
    // (f - 1) / 30000000: the bar runs from 1 Hz, over 30000000 rather than 29999999.
    set_bar(freq_indicator, static_cast<float>(r.frequency) - 1.0f, 0.0f, 30000000.0f);
}
