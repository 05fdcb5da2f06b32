#include "channel/laser_object.h"
#include "channel/pulsed_view_values.h"
#include "comm/laser_worker.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <cmath>

// NS (type 6) and SOA (type 13) drivers: the rate is picked from a kHz table.
void laser_object::ns_table_view_update()
{
    ns_table_data &r = worker->ns_table_record;
    if (worker->type_changed) {
        fill_freq_combo(r.freq_table, r.frequency);
        fill_mode_combo(r.mode_names);
        dura_spin->setSingleStep(0.1);
        show_table_rate_input();
        worker->type_changed = false;
    }

    serve_first_read({
        {&first_read_voltage, [&] { load_voltage(r); }},
        {&first_read_temperature, [&] { load_pulse_temperature(r); }},
        {&first_read_frequency, [&] { load_table_rate(r.frequency_target); }},
        {&first_read_width, [&] { load_width(r.pulse_width, r.pulse_width_target); }},
        {&first_read_mode, [&] { load_mode(r.mode_names, r.mode); }},
        {&first_read_gated, [&] { load_held(pulse_gated_spin, r.gated_target); }},
        {&first_read_cutted, [&] { load_held(pulse_cutted_spin, r.cutted_target); }},
    });

    const QString driver = worker->device_type == 13 ? QStringLiteral("SOA Driver") : QStringLiteral("NS Driver");
    show_pulsed_title(driver, r.voltage_target, r.temperature_target, QString::number(r.frequency_target), true);
    show_pulsed_page(pulsed_values_of(r), true);
    dura_label->setText(number_text(r.pulse_width, 1, QStringLiteral(" ns")));

    // The table is in kHz; the product in Hz may leave 32 bits.
    std::optional<int32_t> w = duty_width_limit(static_cast<int64_t>(r.frequency) * 1000);
    if (r.mode == pulse_on_demand_mode)
        w = 6500;
    show_width_limit(w, r.pulse_width_max, r.pulse_width_min);

    freq_combo->setEnabled(r.mode != pulse_on_demand_mode);
    freq_label->setText(QString::number(r.frequency) + QStringLiteral(" kHz"));
    show_table_reach(whole_within(r.duty_limit / (static_cast<double>(r.pulse_width) * (1e-9 * 1000))), r.frequency);
}

// The highest table rate the measured width allows within the duty limit.
// Below the second item nothing is reachable and the labels stay; a width of
// 0 or less gives no limit at all.
void laser_object::show_table_reach(double reach_khz, int32_t frequency)
{
    if (!std::isfinite(reach_khz) || reach_khz < 0.0) {
        rr_max_label->setText(QStringLiteral("N/A"));
        return;
    }
    for (int i = freq_combo->count() - 1; i >= 1; --i) {
        const QString item = freq_combo->itemText(i);
        if (item.toInt() > reach_khz)
            continue;
        const QString first = freq_combo->itemText(0);
        rr_max_label->setText(item);
        rr_min_label->setText(first);
        set_bar(freq_indicator, static_cast<float>(frequency), static_cast<float>(first.toInt()),
                static_cast<float>(item.toInt()));
        return;
    }
}
