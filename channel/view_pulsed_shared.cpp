#include "channel/laser_object.h"
#include "channel/pulsed_view_values.h"
#include "comm/can_commands.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWidget>

#include <algorithm>
#include <iterator>

void laser_object::serve_first_read(std::initializer_list<first_read_load> loads)
{
    for (const first_read_load &l : loads) {
        if (*l.marker != 2)
            continue;
        l.load();
        *l.marker = 0;
        return;
    }
}

// The record already holds the board's count as its held copy; the slot
// stores it again and sends it back. A count the box cannot take as it is
// would reach the slot clamped, and be sent to a board that never held it:
// the box then shows the clamped value and the held copy stays the board's.
void laser_object::load_held(QDoubleSpinBox *spin, double value)
{
    if (value < spin->minimum() || value > spin->maximum()) {
        const QSignalBlocker quiet(spin);
        spin->setValue(value);
        return;
    }
    spin->setValue(value);
}

void laser_object::load_width(float pulse_width, float &held)
{
    load_first_reading(dura_spin, dura_spin->minimum(), dura_spin->maximum(), pulse_width, held);
}

// Reads the record's mode table only within its bounds: a mode it does not
// hold selects nothing.
void laser_object::load_mode(const QString (&names)[6], int32_t mode)
{
    if (mode < 0 || static_cast<size_t>(mode) >= std::size(names))
        return;
    mode_combo->setCurrentText(names[mode]);
}

void laser_object::load_table_rate(int32_t khz)
{
    const int index = freq_combo->findText(QString::number(khz));
    if (index >= 0)
        freq_combo->setCurrentIndex(index);
    board_values.set(cmd_set_frequency);
}

// Shows the board's rate in the largest unit that holds it whole, 1500000 Hz
// as 1500 kHz and 2500 Hz as 2500 Hz, so that what is shown is the very rate
// held. The box's maximum is raised to the board's own rate when it is lower.
void laser_object::load_free_rate(int32_t hz, int32_t &held_hz)
{
    int index = 0;
    double value = hz;
    if (hz >= 1000000 && hz % 1000000 == 0) {
        index = 2;
        value = hz / 1000000;
    } else if (hz >= 1000 && hz % 1000 == 0) {
        index = 1;
        value = hz / 1000;
    }
    freq_range_combo->setCurrentIndex(index);
    show_first_reading(freq_spin, freq_spin->minimum(), std::max(value, freq_spin->maximum()), value);
    held_hz = hz;
    free_rate_held = hz;
}

void laser_object::fill_mode_combo(const QString (&names)[6])
{
    mode_combo->clear();
    for (const QString &name : names) {
        if (name == QLatin1String("nullptr"))
            break;
        mode_combo->addItem(name);
    }
}

void laser_object::fill_freq_combo(const int32_t (&table)[100], int32_t frequency)
{
    freq_combo->clear();
    for (int i = 0; i < 100 && table[i] != -1; ++i) {
        freq_combo->addItem(QString::number(table[i]));
        if (table[i] == frequency)
            freq_combo->setCurrentIndex(i);
    }
}

// Table drivers pick their rate from freq_combo alone, in kHz, the unit shown
// and fixed; a page that served a free-rate driver before must not keep
// offering freq_spin.
void laser_object::show_table_rate_input()
{
    reset_free_rate_input();
    freq_spin->hide();
    freq_combo->show();
    freq_range_combo->show();
    freq_range_combo->setCurrentIndex(1);
    freq_range_combo->setEnabled(false);
}

void laser_object::show_free_rate_input()
{
    reset_free_rate_input();
    freq_spin->show();
    freq_combo->hide();
    freq_range_combo->show();
    freq_range_combo->setCurrentIndex(0);
    freq_range_combo->setEnabled(true);
}

// The free-rate input as the form builds it, so that a page that changes
// type keeps no step, decimals or limits that another family's unit gave it.
// Nothing is stored: the value is no rate of the new board.
void laser_object::reset_free_rate_input()
{
    const QSignalBlocker quiet(freq_spin);
    freq_spin->setDecimals(0);
    freq_spin->setRange(1.0, 30000000.0);
    freq_spin->setSingleStep(1.0);
    freq_spin->setValue(1.0);
}

void laser_object::show_pulsed_title(const QString &driver, float voltage_target, float temperature_target,
                                     const QString &rate_held, bool with_width)
{
    laser_name_label->setText(driver);
    const QChar slash(QLatin1Char('/'));
    QStringList segments;
    segments << number_text(voltage_target, 1) + slash + pulse_volt_label->text()
             << number_text(temperature_target, 1) + slash + pulse_temp_label->text()
             << rate_held + slash + freq_label->text();
    if (with_width)
        segments << dura_spin->text() + slash + dura_label->text();
    segments << mode_label->text();
    set_tab_text(QStringLiteral(" (") + driver + QLatin1Char(' '), segments, QStringLiteral(")"));
}

void laser_object::show_pulsed_page(const pulsed_view_values &v, bool with_width)
{
    switch_container(ps_ns_widget, cw_widget);
    set_qcw_rows_visible(false);
    cw_mode_widget->hide();
    // The PS drivers have no pulse width: their width line stays hidden.
    dura_label->setVisible(with_width);
    dura_text->setVisible(with_width);
    cw_mode_label->hide();
    cw_mode_title->hide();

    show_output_state(v.output_on, ps_ns_on_off_butt, pulse_power_state_label);
    mode_combo->setEnabled(!v.output_on);

    const QString volts = QStringLiteral(" V");
    pulse_volt_label->setText(number_text(v.voltage, 1, volts));
    set_bar(volt_indicator, v.voltage, v.voltage_min, v.voltage_max);
    volt_min_label->setText(number_text(v.voltage_min, 0, volts));
    volt_max_label->setText(number_text(v.voltage_max, 0, volts));
    set_spin_range(volt_spin, v.voltage_min, v.voltage_max);

    const QString degrees = degrees_unit();
    pulse_temp_label->setText(number_text(v.temperature, 1, degrees));
    temp_pulse_min_label->setText(number_text(v.temperature_min, 1, degrees));
    temp_pulse_max_label->setText(number_text(v.temperature_max, 1, degrees));
    set_spin_range(pulse_temp_spin, v.temperature_min, v.temperature_max);
    set_bar(pulse_temp_indicator, v.temperature, v.temperature_min, v.temperature_max);

    if (!with_width)
        dura_label->setText(QStringLiteral("N/A "));
    N_label->setText(QString::number(v.gated));
    M_label->setText(QString::number(v.cutted));
    mode_label->setText(mode_combo->itemText(v.mode));
    if (v.burst == 0 || v.burst == 1) {
        pulse_cutted_spin->setEnabled(v.burst == 1);
        pulse_gated_spin->setEnabled(v.burst == 1);
    }
    dura_widget->setVisible(with_width);
    config_button->show();
}

void laser_object::show_width_limit(std::optional<int32_t> w, float &pulse_width_max, float pulse_width_min)
{
    pd_min_label->setText(QStringLiteral("1"));
    if (!w) {
        pd_max_label->setText(QStringLiteral("N/A"));
        return;
    }
    pd_max_label->setText(QString::number(*w));
    pulse_width_max = static_cast<float>(*w);
    set_bar(dura_indicator, static_cast<float>(dura_spin->value()), pulse_width_min, pulse_width_max);
}

QString laser_object::free_rate_text(int32_t hz)
{
    if (hz < 1000)
        return number_text(hz, 0, QStringLiteral(" Hz"));
    if (hz < 1000000)
        return number_text(static_cast<float>(hz) / 1000.0f, 0, QStringLiteral(" kHz"));
    return number_text(static_cast<float>(hz) / 1000000.0f, 1, QStringLiteral(" MHz"));
}
