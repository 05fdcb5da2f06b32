#include "comm/power_data.h"

#include "comm/can_commands.h"
#include "comm/fault_texts.h"
#include "comm/serial_structs.h"
#include "comm/value_encoding.h"

using namespace value_encoding;

power_data::power_data()
    : label(QStringLiteral("Torvex-1000"))
    , fault_texts(fault_texts::power_texts())
    , mode_names({QStringLiteral("Mode CW"), QStringLiteral("External TTL"),
                  QStringLiteral("External Analog")})
{
}

void power_data::handle_rx(const serial_message_struct *msg)
{
    if (!msg)
        return;
    const serial_message_struct &m = *msg;
    switch (m.data[0]) {
    case cmd_get_output:
        output_on = reply_flag(m) ? 1 : 0;
        break;
    case cmd_get_current:
        current = reply_scaled(m, 100.0f);
        if (first_read_current == 1) {
            current_target = current;
            first_read_current = 2;
        }
        break;
    case cmd_get_temperature:
        temperature = reply_scaled(m, 10.0f);
        break;
    case cmd_get_power:
        input_voltage = reply_scaled(m, 10.0f);
        break;
    case cmd_get_min:
        output_voltage = reply_scaled(m, 10.0f);
        break;
    case cmd_get_max:
        current_max = reply_scaled(m, 100.0f);
        break;
    case cmd_get_faults:
        faults = reply_byte(m);
        break;
    case cmd_get_mode:
        mode = reply_byte(m);
        if (first_read_mode == 1) {
            mode_target = mode;
            first_read_mode = 2;
        }
        break;
    default:
        break;
    }
}

QString power_data::fault_text(uint16_t word) const
{
    return fault_texts::compose(fault_texts, word);
}

void power_data::frame_clear_faults(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_clear_faults, buf, len);
}

void power_data::frame_get_output(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_output, buf, len);
}

void power_data::frame_get_current(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_current, buf, len);
}

void power_data::frame_get_temperature(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_temperature, buf, len);
}

void power_data::frame_get_input_voltage(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_power, buf, len);
}

void power_data::frame_get_mode(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_mode, buf, len);
}

void power_data::frame_get_current_max(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_max, buf, len);
}

void power_data::frame_get_output_voltage(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_min, buf, len);
}

void power_data::frame_get_faults(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_faults, buf, len);
}

void power_data::frame_set_output(int32_t on, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_output, on, buf, len);
}

void power_data::frame_set_current(float value, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_current, rounded_32(value, 100.0), buf, len);
}

void power_data::frame_set_mode(uint8_t mode, uint8_t *buf, uint32_t *len) const
{
    build_8(address(), cmd_set_mode, mode, buf, len);
}

void power_data::frame_set_current_max(float value, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_max, rounded_32(value, 100.0), buf, len);
}

void power_data::frame_save_config(uint8_t value, uint8_t *buf, uint32_t *len) const
{
    build_8(address(), cmd_set_tec_current_max, value, buf, len);
}
