#pragma once

#include <cstdint>

// Command codes understood by the driver boards. A read code is the matching
// set code with bit 7 set; a reply repeats the read code it answers in d0.

inline constexpr uint8_t cmd_set_output = 0x10;
inline constexpr uint8_t cmd_get_output = 0x90;
inline constexpr uint8_t cmd_set_current = 0x11;
inline constexpr uint8_t cmd_get_current = 0x91;
inline constexpr uint8_t cmd_set_temperature = 0x12;
inline constexpr uint8_t cmd_get_temperature = 0x92;
inline constexpr uint8_t cmd_set_beta = 0x15;
inline constexpr uint8_t cmd_get_beta = 0x95;
inline constexpr uint8_t cmd_set_resistance = 0x16;
inline constexpr uint8_t cmd_get_resistance = 0x96;
inline constexpr uint8_t cmd_set_responsivity = 0x17;
inline constexpr uint8_t cmd_get_responsivity = 0x97;
inline constexpr uint8_t cmd_set_voltage = 0x18;
inline constexpr uint8_t cmd_get_voltage = 0x98;
inline constexpr uint8_t cmd_set_frequency = 0x19;
inline constexpr uint8_t cmd_get_frequency = 0x99;
inline constexpr uint8_t cmd_set_voltage_on = 0x20;
inline constexpr uint8_t cmd_get_voltage_on = 0xA0;
inline constexpr uint8_t cmd_set_tec_on = 0x21;
inline constexpr uint8_t cmd_get_tec_on = 0xA1;
inline constexpr uint8_t cmd_set_emission = 0x22;
inline constexpr uint8_t cmd_get_emission = 0xA2;
inline constexpr uint8_t cmd_set_pulse_width = 0x23;
inline constexpr uint8_t cmd_get_pulse_width = 0xA3;
inline constexpr uint8_t cmd_set_mode = 0x24;
inline constexpr uint8_t cmd_get_mode = 0xA4;
// Upper limit of the driven quantity: current (CW, type 18) or voltage (pulsed).
inline constexpr uint8_t cmd_set_max = 0x25;
inline constexpr uint8_t cmd_get_max = 0xA5;
// Lower limit; on types 11, 16 and 18 the read code returns the output voltage.
inline constexpr uint8_t cmd_set_min = 0x26;
inline constexpr uint8_t cmd_get_min = 0xA6;
inline constexpr uint8_t cmd_clear_faults = 0x29;
// On type 18 the set code stores the board's configuration instead.
inline constexpr uint8_t cmd_set_tec_current_max = 0x33;
inline constexpr uint8_t cmd_get_tec_current_max = 0xB3;
inline constexpr uint8_t cmd_set_gated = 0x34;
inline constexpr uint8_t cmd_get_gated = 0xB4;
inline constexpr uint8_t cmd_set_cutted = 0x35;
inline constexpr uint8_t cmd_get_cutted = 0xB5;
inline constexpr uint8_t cmd_set_temperature_min = 0x36;
inline constexpr uint8_t cmd_get_temperature_min = 0xB6;
inline constexpr uint8_t cmd_set_temperature_max = 0x37;
inline constexpr uint8_t cmd_get_temperature_max = 0xB7;
// Output power (CW); on types 11, 16 and 18 the input voltage.
inline constexpr uint8_t cmd_get_power = 0x94;
inline constexpr uint8_t cmd_get_faults = 0xB0;
inline constexpr uint8_t cmd_set_address = 0x51;
inline constexpr uint8_t cmd_get_address = 0xD1;
inline constexpr uint8_t cmd_get_device_type = 0xD0;
