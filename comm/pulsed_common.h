#pragma once

#include "comm/can_commands.h"
#include "comm/serial_structs.h"
#include "comm/value_encoding.h"

#include <QString>
#include <cstdint>

// Pieces shared by the four pulsed records: their start tables and the reply
// decoding of the two records that decode their own replies.
namespace pulsed_common {

// "Int: Normal" ... "Pulse on Demand", then the end mark "nullptr".
void fill_mode_names(QString (&names)[6]);
// The frequencies the board offers, rising, then -1, then 0 to the end. The
// kHz table of the NS family stops at 20000.
void fill_ps_table(int32_t (&table)[100]);
void fill_ns_table(int32_t (&table)[100]);

// Mode index from the device mode byte and the burst flag; -1 for a byte
// that has no index.
int32_t mode_index(uint32_t mode_byte, int32_t burst);

// Decodes the replies common to ps_data and ns_data. Returns false for a
// code it does not know (the record is left unchanged).
template <typename record_t>
bool decode_reply(record_t &r, const serial_message_struct &msg)
{
    using namespace value_encoding;
    switch (msg.data[0]) {
    case cmd_get_emission:
        r.emission_on = reply_flag(msg) ? 1 : 0;
        return true;
    case cmd_get_voltage_on:
        r.voltage_on = reply_flag(msg) ? 1 : 0;
        return true;
    case cmd_get_voltage: {
        const float v = reply_scaled(msg, 10.0f);
        r.voltage = r.emission_on == 1 ? v : 0.0f;
        // The set point starts from the board's value whatever the emission.
        if (r.first_read_voltage == 1) {
            r.voltage_target = v;
            r.first_read_voltage = 2;
        }
        return true;
    }
    case cmd_get_temperature:
        r.temperature = reply_scaled(msg, 10.0f);
        if (r.first_read_temperature == 1) {
            r.temperature_target = r.temperature;
            r.first_read_temperature = 2;
        }
        return true;
    case cmd_get_tec_on:
        r.tec_on = reply_flag(msg) ? 1 : 0;
        return true;
    case cmd_get_frequency:
        r.frequency = reply_int(msg);
        if (r.first_read_frequency == 1) {
            r.frequency_target = r.frequency;
            r.first_read_frequency = 2;
        }
        return true;
    case cmd_get_gated:
        r.gated = reply_int(msg);
        if (r.first_read_gated == 1) {
            r.gated_target = r.gated;
            r.first_read_gated = 2;
            r.first_read_mode = 2;
        }
        return true;
    case cmd_get_cutted:
        r.cutted = reply_int(msg);
        if (r.first_read_cutted == 1) {
            r.cutted_target = r.cutted;
            r.first_read_cutted = 2;
        }
        return true;
    case cmd_get_mode: {
        r.burst = (r.cutted > 0 && r.gated > 0) ? 1 : 0;
        const int32_t index = mode_index(reply_byte(msg), r.burst);
        if (index >= 0)
            r.mode = index;
        if (r.first_read_mode == 1)
            r.first_read_mode = 2;
        return true;
    }
    case cmd_get_responsivity:
        r.responsivity = reply_scaled(msg, 100.0f);
        return true;
    case cmd_get_resistance:
        r.resistance = reply_int(msg);
        return true;
    case cmd_get_beta:
        r.beta = reply_int(msg);
        return true;
    case cmd_get_min:
        r.voltage_min = reply_scaled(msg, 10.0f);
        return true;
    case cmd_get_max:
        r.voltage_max = reply_scaled(msg, 10.0f);
        return true;
    case cmd_get_temperature_min:
        r.temperature_min = reply_scaled(msg, 10.0f);
        return true;
    case cmd_get_temperature_max:
        r.temperature_max = reply_scaled(msg, 10.0f);
        return true;
    case cmd_get_tec_current_max:
        r.tec_current_max = reply_scaled(msg, 10.0f);
        return true;
    default:
        return false;
    }
}

} // namespace pulsed_common
