#include "channel/laser_object.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

#include "comm/laser_worker.h"

namespace {

bool precision_type(int32_t type)
{
    return type == 10 || type == 15;
}

// Types 14 and 15 report a mode and a fault word; 8 and 10 do neither.
bool mode_type(int32_t type)
{
    return type == 14 || type == 15;
}

// Types 8 and 14 change the units of their current limits with new firmware.
bool unit_changing_type(int32_t type)
{
    return type == 8 || type == 14;
}

} // namespace

// Redraws the page of the CW drivers (8, 14 "CW Driver"; 10, 15 "Precision
// CW Driver") from cw_record.
void laser_object::cw_view_update()
{
    const int32_t type = worker->device_type.load();
    cw_data &r = worker->cw_record;
    const int d = precision_type(type) ? 2 : 1;
    const QString driver = precision_type(type) ? QStringLiteral("Precision CW Driver") : QStringLiteral("CW Driver");
    const QString mA = QStringLiteral(" mA");

    laser_name_label->setText(driver);
    set_tab_text(QStringLiteral(" (") + driver + QLatin1Char(' '),
                 {number_text(r.current_target, d) + QLatin1Char('/') + curr_label->text(),
                  number_text(r.temperature_target, d) + QLatin1Char('/') + temp_label->text()},
                 QStringLiteral(" )"));

    if (!mode_type(type)) {
        cw_mode_widget->hide();
        cw_mode_label->hide();
        cw_mode_title->hide();
        fail_butt->hide();
        fail_title->hide();
        err_clr_butt->hide();
        // No mode here can lock the current: a page that showed "ANALOG"
        // before must not stay locked.
        curr_spin->setEnabled(true);
    } else {
        cw_mode_widget->show();
        cw_mode_label->show();
        cw_mode_title->show();
        // Refilled before the label reads it, so the first tick of a new
        // type shows no mode name of the previous family.
        if (worker->type_changed.load()) {
            cw_mode_combo->clear();
            cw_mode_combo->addItems({QStringLiteral("CW"), QStringLiteral("ANALOG"), QStringLiteral("TTL")});
        }
        cw_mode_label->setText(cw_mode_combo->itemText(r.mode));
        curr_spin->setEnabled(r.mode != 1);
        if (r.faults == 0) {
            fail_butt->hide();
            fail_title->hide();
        } else {
            fail_title->setText(QStringLiteral("!!!FAILURE!!!"));
            fail_butt->show();
            fail_title->show();
        }
        err_clr_butt->hide();
    }
    // The container below follows the output; the combo itself may have
    // been left disabled by a DC/DC or power page.
    cw_mode_combo->setEnabled(true);

    set_qcw_rows_visible(false);

    switch_container(cw_widget, ps_ns_widget);
    temp_spin->setVisible(static_cast<double>(r.tec_current_max) >= 0.15);

    if (worker->type_changed.load()) {
        emit curr_spin->valueChanged(curr_spin->value());
        emit temp_spin->valueChanged(temp_spin->value());
        curr_spin->setDecimals(1);
        temp_spin->setDecimals(1);
        worker->type_changed = false;
        cw_current_floor_held = false;
        step_size_combo->clear();
        if (precision_type(type)) {
            curr_spin->setDecimals(2);
            temp_spin->setDecimals(2);
            step_size_combo->addItems({QStringLiteral("0.01"), QStringLiteral("0.1"), QStringLiteral("1"),
                                       QStringLiteral("10")});
        } else {
            step_size_combo->addItems({QStringLiteral("0.1"), QStringLiteral("1"), QStringLiteral("10")});
        }
    }

    // One first reading per tick.
    if (first_read_current == 2) {
        if (unit_changing_type(type)) {
            cw_current_floor_held = true;
            cw_current_floor = r.current_target;
        }
        load_first_reading(curr_spin, 0.0, cw_current_ceiling(type), r.current_target, r.current_set);
        first_read_current = 0;
    } else if (first_read_temperature == 2) {
        load_first_reading(temp_spin, r.temperature_min, r.temperature_max, r.temperature_target,
                           r.temperature_set);
        first_read_temperature = 0;
    } else if (first_read_mode == 2) {
        cw_mode_combo->setCurrentIndex(r.mode);
        first_read_mode = 0;
    }

    const bool on = r.output_on != 0;
    show_output_state(on, cw_on_off_button, power_state_label);
    cw_mode_widget->setEnabled(!on);

    power_title->setText(QStringLiteral("Power:"));
    power_label->setText(number_text(r.power, 1, QStringLiteral(" mW")));
    input_volt_title->hide();
    input_volt_label->hide();

    curr_label->setText(number_text(r.current, d, mA));
    curr_min_label->setText(number_text(r.current_min, d, mA));
    curr_max_label->setText(number_text(r.current_max, d, mA));
    set_style_sheet(curr_label, static_cast<double>(r.current_target) - 0.5 > static_cast<double>(r.current)
                                    ? red_text()
                                    : black_text());
    set_current_range(r.current_min, cw_current_ceiling(type));
    set_bar(curr_indicator, r.current, r.current_min, r.current_max);

    show_temperature(r.temperature, r.temperature_min, r.temperature_max, d);
    set_spin_range(temp_spin, r.temperature_min, r.temperature_max);

    config_button->show();
}

// The maximum of curr_spin: current_max, but never below a first current
// reading of types 8 and 14 while their limits may still be in the old units.
double laser_object::cw_current_ceiling(int32_t type)
{
    const cw_data &r = worker->cw_record;
    if (!unit_changing_type(type))
        cw_current_floor_held = false;
    if (cw_current_floor_held) {
        const bool limit_proven = r.new_units == 1 && r.current_max >= cw_current_floor;
        const bool operator_sent = r.current_target != cw_current_floor;
        if (limit_proven || operator_sent)
            cw_current_floor_held = false;
    }
    if (cw_current_floor_held)
        return std::max(static_cast<double>(r.current_max), static_cast<double>(cw_current_floor));
    return r.current_max;
}
