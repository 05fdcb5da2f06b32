#include "comm/driver_data.h"

namespace {

inline uint8_t hex_digit(uint32_t nibble)
{
    nibble &= 0xF;
    return static_cast<uint8_t>(nibble < 10 ? '0' + nibble : 'A' + (nibble - 10));
}

} // namespace

int driver_data::encode_frame(int32_t can_id,
                              uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3,
                              uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7,
                              uint8_t *buf, uint32_t *len)
{
    const uint32_t id = static_cast<uint32_t>(can_id);
    const uint8_t data[8] = {d0, d1, d2, d3, d4, d5, d6, d7};
    buf[0] = 't';
    buf[1] = hex_digit(id >> 8);
    buf[2] = hex_digit(id >> 4);
    buf[3] = hex_digit(id);
    buf[4] = '8';
    for (int i = 0; i < 8; ++i) {
        buf[5 + 2 * i] = hex_digit(data[i] >> 4);
        buf[6 + 2 * i] = hex_digit(data[i]);
    }
    buf[21] = '\r';
    *len = 22;
    return 0;
}

#include "comm/can_commands.h"
#include "comm/value_encoding.h"

using namespace value_encoding;

void driver_data::build_request(int32_t can_address, uint8_t code, uint8_t *buf, uint32_t *len)
{
    encode_frame(can_address, code, 0, 0, 0, 0, 0, 0, 0, buf, len);
}

void driver_data::build_8(int32_t can_address, uint8_t code, uint8_t value, uint8_t *buf, uint32_t *len)
{
    encode_frame(can_address, code, 0, 0, 0, 0, 0, 0, value, buf, len);
}

void driver_data::build_16(int32_t can_address, uint8_t code, int64_t value, uint8_t *buf, uint32_t *len)
{
    const uint64_t v = static_cast<uint64_t>(value);
    encode_frame(can_address, code, 0, 0, 0, 0, 0,
                 static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), buf, len);
}

void driver_data::build_32(int32_t can_address, uint8_t code, int64_t value, uint8_t *buf, uint32_t *len)
{
    const uint64_t v = static_cast<uint64_t>(value);
    encode_frame(can_address, code, 0, 0, 0,
                 static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                 static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), buf, len);
}

#define REQUEST(name, code) \
    void driver_data::name(int32_t can_address, uint8_t *buf, uint32_t *len) \
    { \
        build_request(can_address, code, buf, len); \
    }

REQUEST(frame_get_output, cmd_get_output)
REQUEST(frame_get_current, cmd_get_current)
REQUEST(frame_get_temperature, cmd_get_temperature)
REQUEST(frame_get_power, cmd_get_power)
REQUEST(frame_get_beta, cmd_get_beta)
REQUEST(frame_get_resistance, cmd_get_resistance)
REQUEST(frame_get_responsivity, cmd_get_responsivity)
REQUEST(frame_get_voltage, cmd_get_voltage)
REQUEST(frame_get_frequency, cmd_get_frequency)
REQUEST(frame_get_emission, cmd_get_emission)
REQUEST(frame_get_pulse_width, cmd_get_pulse_width)
REQUEST(frame_get_mode, cmd_get_mode)
REQUEST(frame_get_max, cmd_get_max)
REQUEST(frame_get_min, cmd_get_min)
REQUEST(frame_get_faults, cmd_get_faults)
REQUEST(frame_get_tec_current_max, cmd_get_tec_current_max)
REQUEST(frame_get_gated, cmd_get_gated)
REQUEST(frame_get_cutted, cmd_get_cutted)
REQUEST(frame_get_temperature_min, cmd_get_temperature_min)
REQUEST(frame_get_temperature_max, cmd_get_temperature_max)
REQUEST(frame_get_device_type, cmd_get_device_type)
REQUEST(frame_get_address, cmd_get_address)

#undef REQUEST

void driver_data::frame_set_output(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_output, on, buf, len);
}

void driver_data::frame_set_current(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_current, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_current_precise(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_32(can_address, cmd_set_current, rounded_64(value, 100.0), buf, len);
}

void driver_data::frame_set_temperature_trunc(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_temperature, truncated_scaled(value, 10.0f), buf, len);
}

void driver_data::frame_set_temperature(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_temperature, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_temperature_precise(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_32(can_address, cmd_set_temperature, rounded_64(value, 10000.0), buf, len);
}

void driver_data::frame_set_beta(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_beta, truncated(value), buf, len);
}

void driver_data::frame_set_resistance(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_resistance, truncated(value), buf, len);
}

void driver_data::frame_set_responsivity(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    // To the nearest hundredth: a single-precision product truncated would
    // store 0.53 as 0.52, and some hundredths could never be stored at all.
    build_16(can_address, cmd_set_responsivity, rounded_32(value, 100.0), buf, len);
}

void driver_data::frame_set_voltage(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_voltage, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_frequency(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_32(can_address, cmd_set_frequency, truncated(value), buf, len);
}

void driver_data::frame_set_frequency_16(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_frequency, truncated(value), buf, len);
}

void driver_data::frame_set_voltage_on(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_voltage_on, on, buf, len);
}

void driver_data::frame_set_tec_on(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_tec_on, on, buf, len);
}

void driver_data::frame_set_emission(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_emission, on, buf, len);
}

void driver_data::frame_set_pulse_width(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_pulse_width, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_mode(int32_t can_address, uint8_t mode, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_mode, mode, buf, len);
}

void driver_data::frame_set_current_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_32(can_address, cmd_set_max, rounded_64(value, 10.0), buf, len);
}

void driver_data::frame_set_voltage_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_max, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_current_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_32(can_address, cmd_set_min, rounded_64(value, 10.0), buf, len);
}

void driver_data::frame_set_voltage_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_min, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_tec_current_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_tec_current_max, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_gated(int32_t can_address, int32_t count, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_gated, count, buf, len);
}

void driver_data::frame_set_cutted(int32_t can_address, int32_t count, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_cutted, count, buf, len);
}

void driver_data::frame_set_temperature_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_temperature_min, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_temperature_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len)
{
    build_16(can_address, cmd_set_temperature_max, rounded_32(value, 10.0), buf, len);
}

void driver_data::frame_set_address(int32_t can_address, uint8_t new_address, uint8_t *buf, uint32_t *len)
{
    build_8(can_address, cmd_set_address, new_address, buf, len);
}
