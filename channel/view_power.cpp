#include "channel/laser_object.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "comm/laser_worker.h"

namespace {

// "External Analog" as constructed: the board takes its current from the
// analog input, so the current input is locked.
constexpr int32_t analog_mode = 2;

} // namespace

// Redraws the page of the power driver (type 18, "Power " and its model
// label) from power_record, whose first-read markers are its own, and opens
// the fault box once per fault episode.
void laser_object::power_view_update()
{
    power_data &r = worker->power_record;
    const bool on = r.output_on != 0;
    const QString amps = QStringLiteral(" A");

    switch_container(cw_widget, ps_ns_widget);
    set_qcw_rows_visible(false);
    temp_spin->hide();

    laser_name_label->setText(QStringLiteral("Power ") + r.label);
    set_tab_text(QStringLiteral(" (Power ") + r.label + QLatin1Char(' '),
                 {number_text(r.current_target, 2) + QLatin1Char('/') + curr_label->text(), temp_label->text()},
                 QStringLiteral(" )"));

    cw_mode_widget->show();
    cw_mode_label->show();
    cw_mode_title->show();
    // The combo itself follows the output below; the container may have
    // been left disabled by a CW page with its output on.
    cw_mode_widget->setEnabled(true);
    curr_spin->setEnabled(r.mode != analog_mode);

    if (worker->type_changed.load()) {
        cw_mode_combo->clear();
        cw_mode_combo->addItems(r.mode_names);
        curr_spin->setDecimals(2);
        emit curr_spin->valueChanged(curr_spin->value());
        worker->type_changed = false;
        step_size_combo->clear();
        step_size_combo->addItems({QStringLiteral("0.1"), QStringLiteral("1")});
    }

    cw_mode_combo->setEnabled(!on);
    cw_mode_label->setText(cw_mode_combo->itemText(r.mode));

    if (r.first_read_mode == 2) {
        cw_mode_combo->setCurrentIndex(r.mode);
        r.first_read_mode = 0;
    }
    if (r.first_read_current == 2) {
        load_first_reading(curr_spin, 0.0, r.current_max, r.current_target, r.current_set);
        r.first_read_current = 0;
    }

    show_temperature(r.temperature, r.temperature_min, r.temperature_max, 1);

    curr_label->setText(number_text(r.current, 2, amps));
    curr_min_label->setText(number_text(r.current_min, 2, amps));
    curr_max_label->setText(number_text(r.current_max, 2, amps));
    // This family has no current warning: no red left from another page.
    set_style_sheet(curr_label, black_text());
    set_current_range(r.current_min, r.current_max);
    set_bar(curr_indicator, r.current, r.current_min, r.current_max);

    show_output_state(on, cw_on_off_button, power_state_label);

    show_voltages(r.output_voltage, r.input_voltage);
    show_failure(r.faults != 0);
    open_fault_box_once(r.faults == 0 && r.warnings == 0, power_fail_latch);

    config_button->show();
}
