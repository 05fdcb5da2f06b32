#include "channel_stand_in.h"

#include "comm/can_commands.h"
#include "comm/value_encoding.h"

using namespace value_encoding;

channel_stand_in::channel_stand_in(int address)
{
    set_address(address);
}

void channel_stand_in::set_address(int address)
{
    can_address = address;
    worker.set_records_address(address);
}

int channel_stand_in::codes_seen(uint32_t code) const
{
    int n = 0;
    for (const serial_message_struct &m : frames)
        n += m.data[0] == code;
    return n;
}

void channel_stand_in::handle_rx_can_message(const serial_message_struct &m)
{
    frames.append(m);
    const int32_t type = worker.device_type.load();
    const uint32_t code = m.data[0];
    if (code == cmd_get_device_type) {
        worker.heartbeat = true;
        if (int32_t(m.data[7]) != type) {
            worker.type_changed = true;
            worker.cw_record.new_units = 0;
            worker.device_type = int32_t(m.data[7]);
        }
        return;
    }
    if (code == cmd_get_address) {
        worker.device_address = int32_t(m.data[7]);
        return;
    }
    if (type == 18) {
        worker.power_record.handle_rx(&m);
    } else if (type == 20) {
        worker.ps_record.handle_rx(&m);
    } else if (type == 21) {
        worker.ns_record.handle_rx(&m);
    } else if (type == 8 || type == 10 || type == 14 || type == 15) {
        cw_data &r = worker.cw_record;
        const bool precise = type == 10 || type == 15;
        switch (code) {
        case cmd_get_output: r.output_on = reply_flag(m); break;
        case cmd_get_current: r.current = reply_scaled(m, precise ? 10000.0f : 10.0f); break;
        case cmd_get_temperature: r.temperature = reply_scaled(m, precise ? 10000.0f : 10.0f); break;
        case cmd_get_power: r.power = reply_scaled(m, 10.0f); break;
        case cmd_get_max: r.current_max = reply_scaled(m, !precise && r.new_units ? 10.0f : 100.0f); break;
        case cmd_get_min: r.current_min = reply_scaled(m, !precise && r.new_units ? 10.0f : 100.0f); break;
        case cmd_get_temperature_max:
            r.temperature_max = reply_scaled(m, precise ? 1000.0f : 10.0f);
            r.new_units = 1;
            break;
        case cmd_get_temperature_min:
            r.temperature_min = reply_scaled(m, precise ? 1000.0f : 10.0f);
            r.new_units = 1;
            break;
        case cmd_get_faults:
            if (type == 14 || type == 15)
                r.faults = reply_byte(m);
            break;
        default: break;
        }
    } else if (type == 11 || type == 16) {
        dcdc_data &r = worker.dcdc_record;
        switch (code) {
        case cmd_get_output: r.output_on = reply_flag(m); break;
        case cmd_get_current: r.current = reply_scaled(m, 100.0f); break;
        case cmd_get_temperature: r.temperature = reply_scaled(m, 10.0f); break;
        case cmd_get_power: r.input_voltage = reply_scaled(m, 10.0f); break;
        case cmd_get_min: r.output_voltage = reply_scaled(m, 10.0f); break;
        case cmd_get_faults: r.faults = reply_byte(m); break;
        case cmd_get_frequency: r.frequency = reply_int(m); break;
        case cmd_get_pulse_width: r.pulse_width = reply_int(m); break;
        case cmd_get_mode: r.mode = reply_byte(m); break;
        default: break;
        }
    } else if (type == 7 || type == 6 || type == 13) {
        const bool ns = type != 7;
        // The two long pulsed records share the pulsed block's field names.
        auto decode = [&](auto &r) {
            switch (code) {
            case cmd_get_emission: r.emission_on = reply_flag(m); break;
            case cmd_get_voltage: r.voltage = r.emission_on == 1 ? reply_scaled(m, 10.0f) : 0.0f; break;
            case cmd_get_temperature: r.temperature = reply_scaled(m, 10.0f); break;
            case cmd_get_frequency: r.frequency = reply_int(m); break;
            case cmd_get_gated: r.gated = reply_int(m); break;
            case cmd_get_cutted: r.cutted = reply_int(m); break;
            case cmd_get_max: r.voltage_max = reply_scaled(m, 10.0f); break;
            case cmd_get_min: r.voltage_min = reply_scaled(m, 10.0f); break;
            default: break;
            }
        };
        if (ns) {
            decode(worker.ns_table_record);
            if (code == cmd_get_pulse_width)
                worker.ns_table_record.pulse_width = reply_scaled(m, 10.0f);
        } else {
            decode(worker.ps_table_record);
        }
    }
}

void router_stand_in::handle_rx_can_message(serial_message_struct sm)
{
    if (QThread::currentThread() != thread())
        frame_off_gui_thread = true;
    ++frames_received;
    if (mini_usb) {
        if (!channels.empty())
            channels.front()->handle_rx_can_message(sm);
        return;
    }
    for (auto &c : channels)
        if (c->can_address == int(sm.data[1]) || c->can_address == 250)
            c->handle_rx_can_message(sm);
}
