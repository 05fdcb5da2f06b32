#include "channel/laser_object.h"
#include "channel/pulsed_view_values.h"
#include "comm/laser_worker.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>

// PS driver with a kHz rate table (type 7). Its highest table rate is
// offered only while burst is off.
void laser_object::ps_table_view_update()
{
    ps_table_data &r = worker->ps_table_record;
    if (worker->type_changed) {
        fill_freq_combo(r.freq_table, r.frequency);
        fill_mode_combo(r.mode_names);
        show_table_rate_input();
        worker->type_changed = false;
    }

    serve_first_read({
        {&first_read_voltage, [&] { load_voltage(r); }},
        {&first_read_temperature, [&] { load_pulse_temperature(r); }},
        {&first_read_frequency, [&] { load_table_rate(r.frequency_target); }},
        {&first_read_mode, [&] { load_mode(r.mode_names, r.mode); }},
        {&first_read_gated, [&] { load_held(pulse_gated_spin, r.gated_target); }},
        {&first_read_cutted, [&] { load_held(pulse_cutted_spin, r.cutted_target); }},
    });

    show_pulsed_title(QStringLiteral("PS Driver"), r.voltage_target, r.temperature_target, freq_label->text(), false);
    show_pulsed_page(pulsed_values_of(r), false);
    freq_combo->setEnabled(r.mode != pulse_on_demand_mode);

    int last_entry = 0;
    while (last_entry + 1 < 100 && r.freq_table[last_entry + 1] != -1)
        ++last_entry;
    if (r.burst != 0) {
        if (freq_combo->count() > last_entry)
            freq_combo->removeItem(last_entry);
    } else if (freq_combo->count() == last_entry) {
        freq_combo->insertItem(last_entry, QString::number(r.freq_table[last_entry]));
    }

    freq_label->setText(r.mode == pulse_on_demand_mode ? QStringLiteral("N/A Hz")
                                                       : QString::number(r.frequency) + QStringLiteral(" kHz"));
    const auto first = static_cast<float>(freq_combo->itemText(0).toInt());
    const auto last = static_cast<float>(freq_combo->itemText(freq_combo->count() - 1).toInt());
    rr_max_label->setText(number_text(last / 1000.0f, 0, QStringLiteral(" MHz")));
    rr_min_label->setText(number_text(first, 0));
    set_bar(freq_indicator, static_cast<float>(r.frequency), first, last);
}
