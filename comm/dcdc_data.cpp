#include "comm/dcdc_data.h"

#include "comm/can_commands.h"
#include "comm/fault_texts.h"
#include "comm/value_encoding.h"

dcdc_data::dcdc_data()
    : fault_texts(fault_texts::cw_dcdc_texts())
{
}

QString dcdc_data::fault_text(uint16_t word) const
{
    return fault_texts::compose(fault_texts, word);
}

void dcdc_data::frame_clear_faults(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_clear_faults, buf, len);
}

void dcdc_data::frame_get_output(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_output, buf, len);
}

void dcdc_data::frame_get_current(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_current, buf, len);
}

void dcdc_data::frame_get_temperature(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_temperature, buf, len);
}

void dcdc_data::frame_get_input_voltage(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_power, buf, len);
}

void dcdc_data::frame_get_frequency(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_frequency, buf, len);
}

void dcdc_data::frame_get_pulse_width(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_pulse_width, buf, len);
}

void dcdc_data::frame_get_mode(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_mode, buf, len);
}

void dcdc_data::frame_get_output_voltage(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_min, buf, len);
}

void dcdc_data::frame_get_faults(uint8_t *buf, uint32_t *len) const
{
    build_request(address(), cmd_get_faults, buf, len);
}

void dcdc_data::frame_set_output(int32_t on, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_output, on, buf, len);
}

void dcdc_data::frame_set_current(float value, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_current, value_encoding::rounded_32(value, 100.0), buf, len);
}

void dcdc_data::frame_set_frequency(int32_t value, uint8_t *buf, uint32_t *len) const
{
    build_32(address(), cmd_set_frequency, value, buf, len);
}

void dcdc_data::frame_set_pulse_width(int32_t value, uint8_t *buf, uint32_t *len) const
{
    build_16(address(), cmd_set_pulse_width, value, buf, len);
}

void dcdc_data::frame_set_mode(uint8_t mode, uint8_t *buf, uint32_t *len) const
{
    build_8(address(), cmd_set_mode, mode, buf, len);
}
