#include "channel/laser_object.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWidget>

#include <cmath>

#include "comm/laser_worker.h"

// One view tick: the family view of the board's driver type, or "No device".
void laser_object::view_update()
{
    // A page whose widgets were not found has nothing to draw on.
    if (!laser_name_label || !cw_widget || !ps_ns_widget)
        return;

    const int32_t type = worker->device_type.load();
    // Bits 8, 10, 14 and 15: the CW family.
    if (type >= 0 && type <= 15 && ((0xC500 >> type) & 1) != 0)
        cw_view_update();
    else if (type == 11 || type == 16)
        dcdc_view_update();
    else if (type == 18)
        power_view_update();
    else if (type == 6 || type == 13)
        ns_table_view_update();
    else if (type == 21)
        ns_view_update();
    else if (type == 7)
        ps_table_view_update();
    else if (type == 20)
        ps_view_update();
    else
        show_no_device_page();
}

// Everything else (labels, inputs, markers, type_changed) stays as the last
// family view left it, so the page comes back unchanged when the board does.
void laser_object::show_no_device_page()
{
    cw_widget->hide();
    ps_ns_widget->hide();
    config_button->hide();
    alt_but_widget->hide();
    laser_name_label->setText(QStringLiteral("No device"));
    laser_tab_button->setText(channel_name);
}

void laser_object::switch_container(QWidget *shown, QWidget *hidden)
{
    // Nothing is repainted here: what a tick changes repaints itself.
    shown->show();
    hidden->hide();
    alt_but_widget->show();
}

void laser_object::set_tab_text(const QString &opening, const QStringList &segments, const QString &closing)
{
    laser_tab_button->setText(channel_name + opening + segments.join(QStringLiteral("  ")) + closing);
}

QString laser_object::number_text(double value, int decimals, const QString &unit)
{
    return QString::number(value, 'f', decimals) + unit;
}

void laser_object::set_bar(QProgressBar *bar, float value, float min, float max)
{
    const float percent = (value - min) / (max - min) * 100.0f;
    // Equal limits give no finite quotient, and a reading far outside the
    // limits no int: neither is converted. Truncation toward zero first, so
    // -0.3 % still shows 0.
    if (!(percent > -1.0f && percent < 101.0f))
        return;
    const int shown = static_cast<int>(percent);
    if (shown < bar->minimum() || shown > bar->maximum())
        return;
    if (bar->value() == shown)
        return;
    bar->setValue(shown);
    // The bar itself repaints only a change of at least one of its style's
    // chunks, which a continuous bar shows all the same.
    bar->update();
}

void laser_object::show_output_state(bool on, QPushButton *on_off_button, QLabel *state_label)
{
    config_button->setEnabled(!on && !output_going_on());
    on_off_button->setChecked(on);
    start_stop_button_alt->setChecked(on);
    state_label->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

// Each setting re-lays the page out, ten pages every tick: a bound the box
// already has, rounded to its decimals as the box keeps it, is left alone.
void laser_object::set_spin_range(QDoubleSpinBox *spin, double min, double max)
{
    const auto held = [spin](double v) { return QString::number(v, 'f', spin->decimals()).toDouble(); };
    if (spin->minimum() != held(min))
        spin->setMinimum(min);
    if (spin->maximum() != held(max))
        spin->setMaximum(max);
}

// A reading outside the board's own range is shown at the nearer end; the
// held set point is the reading all the same.
void laser_object::show_first_reading(QDoubleSpinBox *spin, double min, double max, double reading)
{
    set_spin_range(spin, min, max);
    const QSignalBlocker quiet(spin);
    spin->setValue(reading);
    note_entry_loaded(spin);
}

// The QCW header, inputs and read-outs of the DC/DC page, in the container
// that the CW and power pages share with it.
void laser_object::set_qcw_rows_visible(bool visible)
{
    QWidget *const rows[] = {qcw_header_widget, cw_freq_widget, cw_width_widget, cw_freq_title,
                             cw_freq_label,     cw_width_title, cw_width_label};
    for (QWidget *w : rows)
        w->setVisible(visible);
}

// Temperature read-outs and bar of the pages in cw_widget.
void laser_object::show_temperature(float temperature, float min, float max, int decimals)
{
    const QString degrees = degrees_unit();
    temp_label->setText(number_text(temperature, decimals, degrees));
    temp_min_label->setText(number_text(min, decimals, degrees));
    temp_max_label->setText(number_text(max, decimals, degrees));
    set_bar(temp_indicator, temperature, min, max);
}

// The lower limit is applied when the current is sent: the current button
// raises the set point to min_current first.
void laser_object::set_current_range(float current_min, double maximum)
{
    min_current = current_min;
    set_spin_range(curr_spin, 0.0, maximum);
}

// The DC/DC and power pages show their output voltage where the CW page
// shows its optical power.
void laser_object::show_voltages(float output_voltage, float input_voltage)
{
    const QString volts = QStringLiteral(" V");
    power_title->setText(QStringLiteral("Output voltage:"));
    power_label->setText(number_text(output_voltage, 1, volts));
    input_volt_title->show();
    input_volt_label->show();
    input_volt_label->setText(number_text(input_voltage, 1, volts));
}

// The board's fault word on the DC/DC and power pages, with its clear button.
void laser_object::show_failure(bool fault)
{
    if (fault) {
        fail_title->setText(QStringLiteral("!!!FAILURE!!!"));
        err_clr_butt->show();
        fail_butt->show();
        fail_title->show();
    } else {
        err_clr_butt->hide();
        fail_butt->hide();
        fail_title->hide();
    }
}

// Once per fault episode of this channel: latch is 1 from the box until
// the words are clear again. The box is modal but opens after the tick has
// returned: run inside the tick it would hold every page, the emission
// indicator and the connection state still for as long as it stays open
// (the view timer does not fire again while its own slot runs). The latch
// is set first, so that no later tick queues a second box for the episode.
void laser_object::open_fault_box_once(bool words_clear, int32_t &latch)
{
    if (words_clear) {
        latch = 0;
    } else if (latch == 0) {
        latch = 1;
        // Dropped with the controller if it goes first.
        QMetaObject::invokeMethod(
            this, [this] { fail_butt->click(); }, Qt::QueuedConnection);
    }
}

// Setting an unchanged style sheet would re-polish the label on every tick.
void laser_object::set_style_sheet(QWidget *widget, const QString &sheet)
{
    if (widget->styleSheet() != sheet)
        widget->setStyleSheet(sheet);
}

const QString &laser_object::red_text()
{
    static const QString sheet = QStringLiteral("QLabel { color : red; }");
    return sheet;
}

const QString &laser_object::black_text()
{
    static const QString sheet = QStringLiteral("QLabel { color : black; }");
    return sheet;
}

QString laser_object::degrees_unit()
{
    return QString::fromUtf8(" \xC2\xB0" "C");
}
