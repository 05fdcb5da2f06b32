#include "channel/laser_object.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <cmath>

#include "comm/laser_worker.h"

namespace {

constexpr uint16_t warn_output_near_input = 0x100;
constexpr uint16_t warn_output_power = 0x200;
constexpr int qcw_mode = 1;

} // namespace

// Redraws the page of the Power DC/DC drivers (11, and 16 with its modes and
// QCW settings) from dcdc_record. It also rebuilds the record's warning word,
// lowers its current limit above 30 V and opens the fault box once per fault
// episode.
void laser_object::dcdc_view_update()
{
    const int32_t type = worker->device_type.load();
    dcdc_data &r = worker->dcdc_record;
    const bool on = r.output_on != 0;
    const QString amps = QStringLiteral(" A");

    switch_container(cw_widget, ps_ns_widget);
    temp_spin->hide();
    laser_name_label->setText(QStringLiteral("Power DCDC Driver"));
    set_tab_text(QStringLiteral(" (Power DCDC Driver "),
                 {number_text(r.current_target, 2) + QLatin1Char('/') + curr_label->text(), temp_label->text()},
                 QStringLiteral(" )"));
    // No mode of this family locks the current: a page that showed another
    // family's locking mode before must not stay locked.
    curr_spin->setEnabled(true);

    if (type != 16) {
        cw_mode_widget->hide();
        cw_mode_title->hide();
        cw_mode_label->hide();
        set_qcw_rows_visible(false);
    } else {
        cw_mode_widget->show();
        cw_mode_label->show();
        cw_mode_title->show();
        // The combo itself follows the output below; the container may have
        // been left disabled by a CW page with its output on.
        cw_mode_widget->setEnabled(true);
        if (r.mode == qcw_mode) {
            set_qcw_rows_visible(true);
            cw_freq_widget->setEnabled(on);
            cw_width_widget->setEnabled(on);
            cw_freq_label->setText(number_text(r.frequency, 0, QStringLiteral(" Hz")));
            cw_width_label->setText(number_text(r.pulse_width, 0, QStringLiteral(" us")));
        } else {
            set_qcw_rows_visible(false);
        }
        if (worker->type_changed.load()) {
            cw_mode_combo->clear();
            cw_mode_combo->addItems({QStringLiteral("Internal"), QStringLiteral("QCW-mode"),
                                     QStringLiteral("Internal TTL"), QStringLiteral("External TTL"),
                                     QStringLiteral("Mod/Internal"), QStringLiteral("Mod/External")});
        }
        cw_mode_combo->setEnabled(!on);
        cw_mode_label->setText(cw_mode_combo->itemText(r.mode));
        // The latest readings, not the held copies.
        if (first_read_mode == 2) {
            cw_mode_combo->setCurrentIndex(r.mode);
            first_read_mode = 0;
        }
        // The view leaves these two inputs their form's ranges.
        if (first_read_frequency == 2) {
            load_first_reading(cw_freq_spin, cw_freq_spin->minimum(), cw_freq_spin->maximum(), r.frequency,
                               r.frequency_set);
            first_read_frequency = 0;
        }
        if (first_read_width == 2) {
            load_first_reading(cw_width_spin, cw_width_spin->minimum(), cw_width_spin->maximum(), r.pulse_width,
                               r.pulse_width_set);
            first_read_width = 0;
        }
    }

    if (worker->type_changed.load()) {
        curr_spin->setDecimals(1);
        emit curr_spin->valueChanged(curr_spin->value());
        worker->type_changed = false;
        step_size_combo->clear();
        step_size_combo->addItems({QStringLiteral("0.1"), QStringLiteral("1")});
    }
    if (first_read_current == 2) {
        load_first_reading(curr_spin, 0.0, r.current_max, r.current_target, r.current_set);
        first_read_current = 0;
    }

    show_temperature(r.temperature, r.temperature_min, r.temperature_max, 1);

    // The bar shows the current against the limit before this tick lowers it.
    const float bar_current_max = r.current_max;
    curr_label->setText(number_text(r.current, 1, amps));

    if (on && dcdc_input_voltage_read) {
        // Both voltages 0 give no number, which is not above 0.8; an input of
        // 0 under a positive output gives +infinity, which is.
        const double ratio = static_cast<double>(r.output_voltage) / static_cast<double>(r.input_voltage);
        r.warnings = ratio > 0.8 ? warn_output_near_input : 0;
    } else {
        r.warnings = 0;
    }
    if (r.output_voltage > 30.0f) {
        // Kept for the rest of the run, also once the voltage falls again.
        const float limit = 420.0f / r.output_voltage;
        if (std::isfinite(limit))
            r.current_max = limit;
        r.warnings |= warn_output_power;
    }

    curr_min_label->setText(number_text(r.current_min, 1, amps));
    curr_max_label->setText(number_text(r.current_max, 1, amps));
    set_current_range(r.current_min, r.current_max);
    set_bar(curr_indicator, r.current, r.current_min, bar_current_max);

    show_output_state(on, cw_on_off_button, power_state_label);

    show_voltages(r.output_voltage, r.input_voltage);
    show_failure(r.faults != 0);
    if (r.warnings != 0) {
        fail_title->setText(QStringLiteral("WARNING!"));
        fail_butt->show();
        fail_title->show();
        set_style_sheet(curr_label, red_text());
    } else {
        set_style_sheet(curr_label, black_text());
    }

    open_fault_box_once(r.faults == 0 && r.warnings == 0, dcdc_fail_latch);

    config_button->show();
}
