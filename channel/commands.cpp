#include "channel/laser_object.h"

#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>

#include "channel/command_guard.h"
#include "channel/decimal_marks.h"
#include "channel/driver_family.h"
#include "channel/frame_buffer.h"
#include "comm/can_commands.h"
#include "comm/laser_worker.h"

// The set commands of the page: each picks the record of the board's
// driver type, has it build one frame and sends that frame three times.
// Commands are not acknowledged; what the page shows comes from replies.

namespace {

// The current value of a set point becomes the value the board is taken to
// hold, and is what goes out.
template <typename R>
float hold_current(R &r)
{
    r.current_target = r.current_set;
    return r.current_set;
}

template <typename R>
float hold_temperature(R &r)
{
    r.temperature_target = r.temperature_set;
    return r.temperature_set;
}

} // namespace

void laser_object::triple_send(const uint8_t *frame, uint32_t len)
{
    if (len == 0)
        return; // the type has no such command
    // This command's own frame, kept here: a send run inside one of the
    // waits replaces tx_data, and must not take over the repetitions left.
    const QByteArray own(reinterpret_cast<const char *>(frame), int(len));
    // d0, the command code, stands in the two hex digits after "tIII8".
    const uint32_t code = QByteArray::fromRawData(own.constData() + 5, 2).toUInt(nullptr, 16) & 0xFF;
    // Under way from the first frame on, not only inside the waits.
    const command_guard sending;
    uint32_t &sends_of_command = sends_by_code[code];
    const uint32_t this_send = ++sends_of_command;
    ++commands_sent;
    note_entries_sent(int(code));
    tx_data = own;
    for (int i = 0; i < 3; ++i) {
        // A newer send of the same command, run inside a wait, has the last
        // word: repeating this older frame after it would undo it.
        if (sends_of_command != this_send)
            break;
        emit worker->thread_serial_write(own);
        // Replies, timers and input are served meanwhile; any slot, another
        // send included, may run inside.
        command_wait_ms(1);
    }
}

void laser_object::laser_current_butt_clicked()
{
    if (curr_spin && min_current > curr_spin->value()) {
        curr_spin->setValue(min_current);
        // The spin box holds one decimal; the set point takes the board's
        // minimum itself.
        emit curr_spin->valueChanged(min_current);
    }
    laser_worker &w = *worker;
    frame_buffer f;
    switch (family_of(w.device_type)) {
    case driver_family::cw:
        w.cw_record.frame_set_current(hold_current(w.cw_record), f.buf, &f.len);
        break;
    case driver_family::cw_precise:
        w.cw_record.frame_set_current_precise(hold_current(w.cw_record), f.buf, &f.len);
        break;
    case driver_family::dcdc:
        w.dcdc_record.frame_set_current(hold_current(w.dcdc_record), f.buf, &f.len);
        break;
    case driver_family::power:
        w.power_record.frame_set_current(hold_current(w.power_record), f.buf, &f.len);
        break;
    default:
        break;
    }
    triple_send(f.buf, f.len);
}

void laser_object::laser_temperature_butt_clicked()
{
    laser_worker &w = *worker;
    frame_buffer f;
    // Truncated tenths for CW, PS table and PS boards, rounded for the NS
    // family, ten-thousandths for Precision CW.
    switch (family_of(w.device_type)) {
    case driver_family::cw:
        w.cw_record.frame_set_temperature_trunc(hold_temperature(w.cw_record), f.buf, &f.len);
        break;
    case driver_family::cw_precise:
        w.cw_record.frame_set_temperature_precise(hold_temperature(w.cw_record), f.buf, &f.len);
        break;
    case driver_family::ps_table:
        w.ps_table_record.frame_set_temperature_trunc(hold_temperature(w.ps_table_record), f.buf, &f.len);
        break;
    case driver_family::ps:
        w.ps_record.frame_set_temperature_trunc(hold_temperature(w.ps_record), f.buf, &f.len);
        break;
    case driver_family::ns_table:
        w.ns_table_record.frame_set_temperature(hold_temperature(w.ns_table_record), f.buf, &f.len);
        break;
    case driver_family::ns:
        w.ns_record.frame_set_temperature(hold_temperature(w.ns_record), f.buf, &f.len);
        break;
    default:
        break;
    }
    triple_send(f.buf, f.len);
}

void laser_object::laser_frequency_butt_clicked()
{
    laser_worker &w = *worker;
    frame_buffer f;
    keep_rate_within_duty();
    switch (family_of(w.device_type)) {
    case driver_family::ps_table:
    case driver_family::ps:
    case driver_family::ns:
        visit_pulsed(w, family_of(w.device_type), [&](auto &r) {
            r.frame_set_frequency(float(r.frequency_target), f.buf, &f.len);
            if (family_of(w.device_type) != driver_family::ps_table)
                free_rate_held = r.frequency_target;
        });
        break;
    case driver_family::ns_table:
        // A table entry in kHz, two bytes.
        w.ns_table_record.frame_set_frequency_16(float(w.ns_table_record.frequency_target), f.buf, &f.len);
        break;
    case driver_family::dcdc:
        if (w.device_type == 16)
            w.dcdc_record.frame_set_frequency(w.dcdc_record.frequency_set, f.buf, &f.len);
        break;
    default:
        break;
    }
    triple_send(f.buf, f.len);
}

void laser_object::laser_pulse_width_butt_clicked()
{
    laser_worker &w = *worker;
    frame_buffer f;
    const driver_family family = family_of(w.device_type);
    if (family == driver_family::dcdc) {
        if (w.device_type == 16)
            w.dcdc_record.frame_set_pulse_width(w.dcdc_record.pulse_width_set, f.buf, &f.len);
    } else {
        visit_ns(w, family, [&](auto &r) { r.frame_set_pulse_width(r.pulse_width_target, f.buf, &f.len); });
    }
    triple_send(f.buf, f.len);
}

void laser_object::laser_voltage_butt_clicked()
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type), [&](auto &r) {
        r.voltage_target = r.voltage_set;
        r.frame_set_voltage(r.voltage_set, f.buf, &f.len);
    });
    triple_send(f.buf, f.len);
}

void laser_object::laser_pulse_gated_butt_clicked()
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type),
                 [&](auto &r) { r.frame_set_gated(r.gated_target, f.buf, &f.len); });
    triple_send(f.buf, f.len);
}

void laser_object::laser_pulse_cutted_butt_clicked()
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type),
                 [&](auto &r) { r.frame_set_cutted(r.cutted_target, f.buf, &f.len); });
    triple_send(f.buf, f.len);
}

void laser_object::mode_butt_clicked()
{
    frame_buffer f;
    visit_pulsed(*worker, family_of(worker->device_type),
                 [&](auto &r) { r.frame_set_mode(uint8_t(r.mode_set), f.buf, &f.len); });
    triple_send(f.buf, f.len);
}

void laser_object::sl_cw_mode_update(int cw_mode_index)
{
    laser_worker &w = *worker;
    frame_buffer f;
    const uint8_t mode = uint8_t(cw_mode_index & 0xFF);
    switch (w.device_type.load()) {
    case 14:
    case 15:
        w.cw_record.frame_set_mode(mode, f.buf, &f.len);
        break;
    case 16:
        w.dcdc_record.frame_set_mode(mode, f.buf, &f.len);
        break;
    case 18:
        w.power_record.frame_set_mode(mode, f.buf, &f.len);
        break;
    default:
        break;
    }
    // Nothing kept: the mode shown comes back with the next mode reply.
    triple_send(f.buf, f.len);
}

void laser_object::err_clr_butt_clicked()
{
    laser_worker &w = *worker;
    frame_buffer f;
    switch (family_of(w.device_type)) {
    case driver_family::dcdc:
        w.dcdc_record.frame_clear_faults(f.buf, &f.len);
        break;
    case driver_family::power:
        w.power_record.frame_clear_faults(f.buf, &f.len);
        break;
    default:
        break;
    }
    triple_send(f.buf, f.len);
}

void laser_object::config_button_clicked()
{
    // The window stops the polling of every board but this one's parameter
    // list: never while this output is on or going on.
    const uint8_t *flag = output_flag_of(*worker, family_of(worker->device_type));
    if (output_going_on() || (flag && *flag != 0))
        return;
    emit show_conf_dialog_signal(channel_index);
}

void laser_object::fail_detail_butt_clicked()
{
    laser_worker &w = *worker;
    QString text;
    switch (w.device_type.load()) {
    case 11:
    case 16:
        // Fault byte in bits 0..7, the page's warnings in 8 and 9.
        text = w.dcdc_record.fault_text(uint16_t(w.dcdc_record.faults + w.dcdc_record.warnings));
        break;
    case 14:
    case 15:
        text = w.cw_record.fault_text(uint16_t(w.cw_record.faults & 0xFFFF));
        break;
    case 18:
        text = w.power_record.fault_text(uint16_t(w.power_record.faults + w.power_record.warnings));
        break;
    default:
        return; // no fault word on the other types
    }
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("WARNING"));
    box.setText(text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

namespace {

// The inputs whose Return sends a set command, and the send.
struct return_route {
    QDoubleSpinBox *laser_object::*spin;
    void (laser_object::*send)();
    // The inputs that only store: their set point is taken again from what
    // the box shows (the number may have been left in a unit changed
    // since). Those that send at once took their value when it changed, or
    // were loaded with what the board holds.
    bool takes_shown;
    // The command the send puts on the line, and the families whose pages
    // use the input.
    uint8_t code;
    uint32_t families;
};

constexpr uint32_t cw_families = family_bit(driver_family::cw) | family_bit(driver_family::cw_precise);
constexpr uint32_t dcdc = family_bit(driver_family::dcdc);
constexpr uint32_t free_rate = family_bit(driver_family::ps) | family_bit(driver_family::ns);
constexpr uint32_t ns_families = family_bit(driver_family::ns_table) | family_bit(driver_family::ns);
constexpr uint32_t pulsed = free_rate | ns_families | family_bit(driver_family::ps_table);

const return_route return_routes[] = {
    {&laser_object::curr_spin, &laser_object::laser_current_butt_clicked, true, cmd_set_current,
     cw_families | dcdc | family_bit(driver_family::power)},
    {&laser_object::temp_spin, &laser_object::laser_temperature_butt_clicked, true, cmd_set_temperature, cw_families},
    {&laser_object::pulse_temp_spin, &laser_object::laser_temperature_butt_clicked, true, cmd_set_temperature, pulsed},
    {&laser_object::volt_spin, &laser_object::laser_voltage_butt_clicked, true, cmd_set_voltage, pulsed},
    {&laser_object::freq_spin, &laser_object::laser_frequency_butt_clicked, true, cmd_set_frequency, free_rate},
    {&laser_object::cw_freq_spin, &laser_object::laser_frequency_butt_clicked, true, cmd_set_frequency, dcdc},
    {&laser_object::dura_spin, &laser_object::laser_pulse_width_butt_clicked, false, cmd_set_pulse_width, ns_families},
    {&laser_object::cw_width_spin, &laser_object::laser_pulse_width_butt_clicked, true, cmd_set_pulse_width, dcdc},
    {&laser_object::pulse_gated_spin, &laser_object::laser_pulse_gated_butt_clicked, false, cmd_set_gated, pulsed},
    {&laser_object::pulse_cutted_spin, &laser_object::laser_pulse_cutted_butt_clicked, false, cmd_set_cutted, pulsed},
};

} // namespace

void laser_object::sl_return_key_pressed_on_spinbox(QObject *watched)
{
    // The main window also reports its watched combo boxes.
    if (!watched || !watched->inherits("QDoubleSpinBox"))
        return;
    // Every channel hears every Return: only this page's own inputs count.
    for (const return_route &r : return_routes) {
        QDoubleSpinBox *spin = this->*r.spin;
        if (spin != watched)
            continue;
        if (refuse_decimal_mark(spin))
            return;
        // The main window hears the key before the box does: the box has
        // not read what was typed yet (no keyboard tracking on the inputs
        // that send at once). Read now, a new value runs the input's
        // set-point slot.
        const uint32_t before = commands_sent;
        if (!tells_value_changed(spin, [spin] { spin->interpretText(); }) && r.takes_shown)
            emit spin->valueChanged(spin->value());
        // An input that sends at once has sent it: once is enough.
        if (commands_sent == before)
            (this->*r.send)();
        return;
    }
}

void laser_object::watch_operator_entries()
{
    for (const return_route &r : return_routes) {
        QDoubleSpinBox *spin = this->*r.spin;
        if (!spin)
            continue;
        spin->installEventFilter(this);
        take_both_decimal_marks(spin);
        // The box's text is its line edit's, which tells an edit apart from
        // the text the program sets.
        if (auto *edit = spin->findChild<QLineEdit *>())
            connect(edit, &QLineEdit::textEdited, this, [this, spin] {
                if (holds_decimal_mark(*spin))
                    operator_entries.remove(spin);
                else
                    operator_entries.insert(spin);
            });
    }
}

// A step by the arrow keys or by the box's buttons (a press on the box
// itself, whose text area is its line edit), before the box takes it.
bool laser_object::eventFilter(QObject *watched, QEvent *event)
{
    auto *spin = qobject_cast<QDoubleSpinBox *>(watched);
    bool step = event->type() == QEvent::MouseButtonPress &&
                static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        step = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    }
    if (spin && step && spin->isEnabled() && !spin->isReadOnly())
        operator_entries.insert(spin);
    // Before the box reads "2." as 2: a count would send it at once.
    if (spin && event->type() == QEvent::FocusOut)
        refuse_decimal_mark(spin);
    return QObject::eventFilter(watched, event);
}

// A box of whole numbers that reads a decimal mark ("2." of a "2.5" typed)
// holds nothing the operator wrote: nothing goes out from it, and it shows
// its value again before it would read "2." as 2.
bool laser_object::refuse_decimal_mark(QDoubleSpinBox *spin)
{
    if (!holds_decimal_mark(*spin))
        return false;
    operator_entries.remove(spin);
    spin->setValue(spin->value());
    return true;
}

void laser_object::note_entries_sent(int code)
{
    board_values.set(size_t(code));
    drop_first_readings(code);
    for (const return_route &r : return_routes) {
        if (r.code == code)
            operator_entries.remove(this->*r.spin);
    }
}

void laser_object::note_entry_loaded(const QDoubleSpinBox *spin)
{
    operator_entries.remove(spin);
    for (const return_route &r : return_routes) {
        if (this->*r.spin == spin)
            board_values.set(r.code);
    }
}

void laser_object::forget_board_values()
{
    operator_entries.clear();
    board_values.reset();
    free_rate_held.reset();
}

bool laser_object::sequence_values_known() const
{
    const auto known = [this](uint8_t code, const QDoubleSpinBox *spin) {
        return board_values.test(code) || operator_entries.contains(spin);
    };
    return known(cmd_set_frequency, freq_spin) && known(cmd_set_voltage, volt_spin);
}

void laser_object::send_held_rate()
{
    laser_worker &w = *worker;
    const driver_family family = family_of(w.device_type);
    if (!board_values.test(cmd_set_frequency))
        return; // this board's rate is still to come
    if ((family != driver_family::ps && family != driver_family::ns) || !free_rate_held) {
        laser_frequency_butt_clicked();
        return;
    }
    // A rate typed and not sent stays in its box as the operator's entry.
    const bool typed = operator_entries.contains(freq_spin);
    frame_buffer f;
    visit_pulsed(w, family, [&](auto &r) { r.frame_set_frequency(float(*free_rate_held), f.buf, &f.len); });
    triple_send(f.buf, f.len);
    if (typed)
        operator_entries.insert(freq_spin);
}

void laser_object::send_unsent_entries()
{
    const driver_family family = family_of(worker->device_type);
    const bool pulsed_on = (family_bit(family) & pulsed) != 0;
    QWidget *const container = pulsed_on ? ps_ns_widget : cw_widget;
    for (const return_route &r : return_routes) {
        QDoubleSpinBox *spin = this->*r.spin;
        // Only the inputs the board's page offers (a CW board without a TEC
        // shows no temperature, the DC/DC QCW rows only in QCW mode); the
        // pulsed on-sequence sends the rate and the voltage itself.
        if (!spin || !(r.families & family_bit(family)) || (container && !spin->isVisibleTo(container)) ||
            (pulsed_on && (r.code == cmd_set_frequency || r.code == cmd_set_voltage)))
            continue;
        if (operator_entries.contains(spin))
            sl_return_key_pressed_on_spinbox(spin);
    }
}
