#include "comm/laser_worker.h"

#include <chrono>

namespace {

// Where the pulse-width request sits in a pulsed main list.
enum width_position { no_width, width_after_cutted, width_last };

} // namespace

laser_worker::laser_worker(QObject *parent) : QThread(parent)
{
}

laser_worker::~laser_worker()
{
    running.store(false);
    {
        std::lock_guard<std::mutex> lock(sleep_mutex);
        quitting.store(true);
    }
    sleep_wake.notify_all();
    wait();
}

void laser_worker::set_records_address(int32_t address)
{
    cw_record.can_address = address;
    ps_table_record.can_address = address;
    ns_table_record.can_address = address;
    dcdc_record.can_address = address;
    power_record.can_address = address;
    ps_record.can_address = address;
    ns_record.can_address = address;
}

void laser_worker::start_polling()
{
    running.store(true);
    if (!isRunning()) {
        loop_state.store(loop_live);
        start();
        return;
    }
    int state = loop_state.load();
    if (state != loop_ending)
        return; // a live loop reads running after this store and goes on
    // The loop found running clear and is deciding to end. Either it sees
    // running again and goes on (its exchange to live wins), or this exchange
    // wins and the loop is bound to return: then the thread is only finishing
    // (no sleep is left), so waiting for it is short, and it starts afresh.
    if (loop_state.compare_exchange_strong(state, loop_restart)) {
        wait();
        loop_state.store(loop_live);
        start();
    }
}

void laser_worker::stop_polling()
{
    running.store(false);
}

bool laser_worker::keep_running()
{
    if (quitting.load())
        return false;
    if (running.load())
        return true;
    loop_state.store(loop_ending);
    if (running.load()) {
        int state = loop_ending;
        // Fails only when a start_polling has already chosen to restart the
        // thread: then this loop must end.
        return loop_state.compare_exchange_strong(state, loop_live);
    }
    return false;
}

void laser_worker::run()
{
    pause_ms(start_delay_ms);
    if (!keep_running())
        return;
    for (;;) {
        // The gap is chosen once per pass: a change of mini_usb takes effect
        // from the next pass.
        const int gap = mini_usb.load() ? mini_usb_frame_gap_ms : frame_gap_ms;
        poll_pass(gap);
        pause_ms(pass_sleep_ms);
        if (!keep_running())
            return;
    }
}

void laser_worker::pause_ms(int ms)
{
    std::unique_lock<std::mutex> lock(sleep_mutex);
    sleep_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return quitting.load(); });
}

template <typename build_t>
void laser_worker::send(int gap_ms, const build_t &build)
{
    if (quitting.load())
        return;
    // Built straight into the array that is sent, so no frame is copied.
    constexpr int room = 32;
    QByteArray frame(room, Qt::Uninitialized);
    uint32_t len = 0;
    build(reinterpret_cast<uint8_t *>(frame.data()), &len);
    frame.resize(static_cast<int>(qMin<uint32_t>(len, room)));
    emit thread_serial_write(frame);
    pause_ms(gap_ms);
}

template <typename record_t, typename builder_t>
void laser_worker::request(int gap_ms, const record_t &record, builder_t builder)
{
    send(gap_ms, [&record, builder](uint8_t *buf, uint32_t *len) { (record.*builder)(buf, len); });
}

void laser_worker::poll_pass(int gap)
{
    if (main_poll.load() || detail_poll.load()) {
        request(gap, cw_record, &cw_data::frame_get_device_type);
        request(gap, cw_record, &cw_data::frame_get_address);
    }

    const bool detail = detail_poll.load();
    const bool main = !detail && main_poll.load();
    if (!detail && !main)
        return;

    switch (device_type.load()) {
    case 8: case 10: case 14: case 15:
        if (detail)
            send_parameter_list(gap, cw_record, true);
        else
            send_cw_main(gap);
        break;
    case 7:
        if (detail)
            send_parameter_list(gap, ps_table_record, false);
        else
            send_pulsed_main(gap, ps_table_record, no_width);
        break;
    case 20:
        if (detail)
            send_parameter_list(gap, ps_record, false);
        else
            send_pulsed_main(gap, ps_record, no_width);
        break;
    case 6: case 13:
        if (detail)
            send_parameter_list(gap, ns_table_record, false);
        else
            send_pulsed_main(gap, ns_table_record, width_after_cutted);
        break;
    case 21:
        if (detail)
            send_parameter_list(gap, ns_record, false);
        else
            send_pulsed_main(gap, ns_record, width_last);
        break;
    case 11: case 16:
        // DC/DC boards have no parameter list: a detail pass sends nothing more.
        if (main)
            send_dcdc_main(gap);
        break;
    case 18:
        if (detail)
            request(gap, power_record, &power_data::frame_get_current_max);
        else
            send_power_main(gap);
        break;
    default:
        break; // no device, or a type without a list
    }
}

template <typename record_t>
void laser_worker::send_parameter_list(int gap, const record_t &r, bool with_tec_current_max)
{
    request(gap, r, &record_t::frame_get_resistance);
    request(gap, r, &record_t::frame_get_beta);
    request(gap, r, &record_t::frame_get_responsivity);
    request(gap, r, &record_t::frame_get_max);
    request(gap, r, &record_t::frame_get_min);
    request(gap, r, &record_t::frame_get_temperature_max);
    request(gap, r, &record_t::frame_get_temperature_min);
    if (with_tec_current_max)
        request(gap, r, &record_t::frame_get_tec_current_max);
}

// Every CW and pulsed main pass switches the TEC on; the boards may rely on
// it, so it stays in the lists.
template <typename record_t>
void laser_worker::send_tec_on(int gap, const record_t &r)
{
    send(gap, [&r](uint8_t *buf, uint32_t *len) { r.frame_set_tec_on(1, buf, len); });
}

void laser_worker::send_cw_main(int gap)
{
    const cw_data &r = cw_record;
    ++output_polls;
    request(gap, r, &cw_data::frame_get_output);
    request(gap, r, &cw_data::frame_get_mode);
    send_tec_on(gap, r);
    request(gap, r, &cw_data::frame_get_current);
    request(gap, r, &cw_data::frame_get_temperature);
    const int32_t type = device_type.load();
    if (type == 14 || type == 15)
        request(gap, r, &cw_data::frame_get_faults);
    request(gap, r, &cw_data::frame_get_power);
    request(gap, r, &cw_data::frame_get_max);
    request(gap, r, &cw_data::frame_get_min);
    request(gap, r, &cw_data::frame_get_temperature_max);
    request(gap, r, &cw_data::frame_get_temperature_min);
    request(gap, r, &cw_data::frame_get_tec_current_max);
}

template <typename record_t>
void laser_worker::send_pulsed_main(int gap, const record_t &r, int width)
{
    request(gap, r, &record_t::frame_get_mode);
    send_tec_on(gap, r);
    ++output_polls;
    request(gap, r, &record_t::frame_get_emission);
    request(gap, r, &record_t::frame_get_voltage);
    request(gap, r, &record_t::frame_get_temperature);
    request(gap, r, &record_t::frame_get_gated);
    request(gap, r, &record_t::frame_get_frequency);
    request(gap, r, &record_t::frame_get_cutted);
    if (width == width_after_cutted)
        request(gap, r, &record_t::frame_get_pulse_width);
    request(gap, r, &record_t::frame_get_max);
    request(gap, r, &record_t::frame_get_min);
    request(gap, r, &record_t::frame_get_temperature_max);
    request(gap, r, &record_t::frame_get_temperature_min);
    if (width == width_last)
        request(gap, r, &record_t::frame_get_pulse_width);
}

void laser_worker::send_dcdc_main(int gap)
{
    const dcdc_data &r = dcdc_record;
    ++output_polls;
    request(gap, r, &dcdc_data::frame_get_output);
    request(gap, r, &dcdc_data::frame_get_current);
    request(gap, r, &dcdc_data::frame_get_temperature);
    request(gap, r, &dcdc_data::frame_get_faults);
    request(gap, r, &dcdc_data::frame_get_output_voltage);
    request(gap, r, &dcdc_data::frame_get_input_voltage);
    if (device_type.load() == 16) {
        request(gap, r, &dcdc_data::frame_get_mode);
        request(gap, r, &dcdc_data::frame_get_frequency);
        request(gap, r, &dcdc_data::frame_get_pulse_width);
    }
}

void laser_worker::send_power_main(int gap)
{
    const power_data &r = power_record;
    request(gap, r, &power_data::frame_get_current);
    request(gap, r, &power_data::frame_get_faults);
    request(gap, r, &power_data::frame_get_mode);
    ++output_polls;
    request(gap, r, &power_data::frame_get_output);
    request(gap, r, &power_data::frame_get_temperature);
    request(gap, r, &power_data::frame_get_input_voltage);
    request(gap, r, &power_data::frame_get_output_voltage);
}
