#include "channel/laser_object.h"

#include <QDoubleSpinBox>
#include <QList>
#include <QPushButton>
#include <QSignalBlocker>

#include "channel/driver_family.h"
#include "channel/frame_buffer.h"
#include "comm/laser_worker.h"

// Switching a board's output, its pulsed voltage stage and its TEC.

void laser_object::laser_las_on_off_butt_clicked()
{
    laser_worker &w = *worker;
    const driver_family family = family_of(w.device_type);
    uint8_t *const flag = output_flag_of(w, family);
    if (!flag)
        return; // a type without an output
    // The direction is settled at the click, before any wait: a click run
    // inside the waits of one under way reverses that one's direction, not
    // the flag, which a reply decoded meanwhile may have rewritten.
    const bool switch_on = switches_running > 0 ? !switch_turns_on : *flag == 0;
    const bool pulsed = !is_cw(family) && family != driver_family::dcdc && family != driver_family::power;
    // The pulsed on-sequence sends a rate and a voltage: none that is
    // neither the board's own nor the operator's (a board just put in place
    // whose readings are still to come). The click does nothing.
    if (switch_on && pulsed && !sequence_values_known()) {
        for (QPushButton *button : {ps_ns_on_off_butt, start_stop_button_alt})
            if (button)
                button->setChecked(false);
        return;
    }
    switch_turns_on = switch_on;
    const uint32_t click = ++switch_clicks;
    struct under_way {
        uint32_t &count;
        explicit under_way(uint32_t &c) : count(c) { ++count; }
        ~under_way() { --count; }
    } running(switches_running);
    // A later click, run inside one of this click's waits, has sent its
    // own commands whole: this one sends nothing more, so the last frame
    // for the output is that of the last click.
    const auto overtaken = [&] { return click != switch_clicks; };

    auto set_config_button = [this](bool on) {
        if (config_button)
            config_button->setEnabled(!on);
    };
    // The board is to run what the operator entered before its output goes
    // on, and no parameters window is to open in the waits of these sends.
    // Going off sends its own commands only: nobody confirmed what was typed.
    if (switch_on) {
        set_config_button(true);
        send_unsent_entries();
        if (overtaken())
            return;
    }
    frame_buffer f;
    if (is_cw(family)) {
        set_config_button(switch_on);
        w.cw_record.frame_set_output(switch_on ? 1 : 0, f.buf, &f.len);
    } else if (family == driver_family::dcdc || family == driver_family::power) {
        if (!switch_on) {
            // The current goes to its lowest first (raised to the board's
            // minimum by the current command).
            if (curr_spin)
                curr_spin->setValue(0.0);
            laser_current_butt_clicked();
            if (overtaken())
                return;
        }
        set_config_button(switch_on);
        if (family == driver_family::dcdc)
            w.dcdc_record.frame_set_output(switch_on ? 1 : 0, f.buf, &f.len);
        else
            w.power_record.frame_set_output(switch_on ? 1 : 0, f.buf, &f.len);
    } else {
        // The rate the board holds, but for the operator's entry at on.
        if (!switch_on) {
            send_held_rate();
        } else {
            if (free_rate_held && !operator_entries.contains(freq_spin))
                visit_pulsed(w, family, [this](auto &r) { r.frequency_target = *free_rate_held; });
            laser_frequency_butt_clicked();
        }
        if (overtaken())
            return;
        laser_volt_on_off(switch_on);
        if (overtaken())
            return;
        if (switch_on) {
            // The board's own voltage but for the operator's entry: a box
            // the program clamped (a limit reply garbled for a moment) holds
            // neither, and shows again what goes out.
            if (!operator_entries.contains(volt_spin))
                visit_pulsed(w, family, [this](auto &r) {
                    r.voltage_set = r.voltage_target;
                    if (volt_spin) {
                        const QSignalBlocker quiet(volt_spin);
                        volt_spin->setValue(r.voltage_target);
                    }
                });
            laser_voltage_butt_clicked();
            if (overtaken())
                return;
        }
        set_config_button(switch_on);
        visit_pulsed(w, family, [&](auto &r) { r.frame_set_emission(switch_on ? 1 : 0, f.buf, &f.len); });
    }
    output_polls_at_switch = w.output_polls.load();
    *flag = switch_on ? 1 : 0;
    const uint32_t bit = family_bit(flag_family(family));
    outputs_switched_on = switch_on ? outputs_switched_on | bit : outputs_switched_on & ~bit;
    triple_send(f.buf, f.len);
}

void laser_object::laser_off()
{
    // No local change: the flags fall when the board reports its output off,
    // and the turn-off stops counting an output switched on once it has sent
    // its off.
    // The off command of the current type, and that of every family whose
    // flag is set whatever the type: a board marked lost (-1) or replaced by
    // another family may still have its output on.
    laser_worker &w = *worker;
    const driver_family family = family_of(w.device_type);
    QList<QByteArray> offs;
    auto add = [&offs](const frame_buffer &f) {
        const QByteArray frame(reinterpret_cast<const char *>(f.buf), int(f.len));
        // The families share frames (0x10 = 0, 0x22 = 0): each goes once.
        if (f.len != 0 && !offs.contains(frame))
            offs << frame;
    };
    auto add_output = [&](bool wanted, const auto &r) {
        if (!wanted)
            return;
        frame_buffer f;
        r.frame_set_output(0, f.buf, &f.len);
        add(f);
    };
    auto add_emission = [&](bool wanted, const auto &r) {
        if (!wanted)
            return;
        frame_buffer f;
        r.frame_set_emission(0, f.buf, &f.len);
        add(f);
    };
    add_output(is_cw(family), w.cw_record);
    add_output(family == driver_family::dcdc, w.dcdc_record);
    add_output(family == driver_family::power, w.power_record);
    visit_pulsed(w, family, [&](const auto &r) { add_emission(true, r); });
    // An output switched on and not reported on yet counts as flagged.
    const auto on = [&](driver_family f) {
        return *output_flag_of(w, f) != 0 || (outputs_switched_on & family_bit(f)) != 0;
    };
    add_output(on(driver_family::cw), w.cw_record);
    add_output(on(driver_family::dcdc), w.dcdc_record);
    add_output(on(driver_family::power), w.power_record);
    add_emission(on(driver_family::ps_table), w.ps_table_record);
    add_emission(on(driver_family::ps), w.ps_record);
    add_emission(on(driver_family::ns_table), w.ns_table_record);
    add_emission(on(driver_family::ns), w.ns_record);
    for (const QByteArray &frame : offs)
        triple_send(reinterpret_cast<const uint8_t *>(frame.constData()), uint32_t(frame.size()));
}

bool laser_object::output_to_turn_off() const
{
    return outputs_switched_on != 0 || any_output_flag(*worker);
}

void laser_object::laser_volt_on_off(bool on)
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type),
                 [&](auto &r) { r.frame_set_voltage_on(on ? 1 : 0, f.buf, &f.len); });
    triple_send(f.buf, f.len);
}

void laser_object::laser_volt_on_off_butt_clicked()
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type),
                 [&](auto &r) { r.frame_set_voltage_on(r.voltage_on == 0 ? 1 : 0, f.buf, &f.len); });
    triple_send(f.buf, f.len);
}

void laser_object::laser_tec_on_off_butt_clicked()
{
    laser_worker &w = *worker;
    const driver_family family = family_of(w.device_type);
    frame_buffer f;
    // Cleared whatever the type, so a CW board is always sent "on".
    w.cw_record.tec_on = 0;
    if (is_cw(family)) {
        w.cw_record.frame_set_tec_on(w.cw_record.tec_on == 0 ? 1 : 0, f.buf, &f.len);
    } else if (family == driver_family::ps_table || family == driver_family::ps) {
        visit_pulsed(w, family, [&](auto &r) { r.frame_set_tec_on(r.tec_on == 0 ? 1 : 0, f.buf, &f.len); });
    } else {
        visit_ns(w, family, [&](auto &r) { r.frame_set_tec_on(r.tec_on != 1 ? 1 : 0, f.buf, &f.len); });
    }
    triple_send(f.buf, f.len);
}
