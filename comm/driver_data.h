#pragma once

#include <cstdint>

// Common base of the seven device records. It holds no fields. It owns the
// SLCAN frame encoder that every frame builder goes through, and the builders
// shared by the records whose first field is their CAN address; those take
// the identifier as their first argument here and are reached on a record
// through shared_builders (comm/shared_builders.h), which passes the
// record's own can_address. Builders keep no state and can be called on any
// thread at once.
class driver_data
{
public:
    driver_data() = default;

    // Writes the 22-byte SLCAN text of one standard frame with eight data
    // bytes ("t", 3 hex digits of the identifier's bits 11..0, "8", 16 hex
    // digits, CR) into buf and 22 into *len. Keeps no state: safe on any
    // thread at once. Returns 0.
    static int encode_frame(int32_t can_id,
                            uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3,
                            uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7,
                            uint8_t *buf, uint32_t *len);

    // Requests (no value). Each writes 22 bytes into buf and 22 into *len.
    static void frame_get_output(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_current(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_temperature(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_power(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_beta(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_resistance(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_responsivity(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_voltage(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_frequency(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_emission(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_pulse_width(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_mode(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_max(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_min(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_faults(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_tec_current_max(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_gated(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_cutted(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_temperature_min(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_temperature_max(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_device_type(int32_t can_address, uint8_t *buf, uint32_t *len);
    static void frame_get_address(int32_t can_address, uint8_t *buf, uint32_t *len);

    // Commands with a value; the comment gives width and encoding.
    static void frame_set_output(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len);                 // 8, byte
    static void frame_set_current(int32_t can_address, float value, uint8_t *buf, uint32_t *len);               // 16, rounded x10
    static void frame_set_current_precise(int32_t can_address, float value, uint8_t *buf, uint32_t *len);       // 32, rounded x100
    static void frame_set_temperature_trunc(int32_t can_address, float value, uint8_t *buf, uint32_t *len);     // 16, truncated x10
    static void frame_set_temperature(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 16, rounded x10
    static void frame_set_temperature_precise(int32_t can_address, float value, uint8_t *buf, uint32_t *len);   // 32, rounded x10000
    static void frame_set_beta(int32_t can_address, float value, uint8_t *buf, uint32_t *len);                  // 16, truncated
    static void frame_set_resistance(int32_t can_address, float value, uint8_t *buf, uint32_t *len);            // 16, truncated
    static void frame_set_responsivity(int32_t can_address, float value, uint8_t *buf, uint32_t *len);          // 16, rounded x100
    static void frame_set_voltage(int32_t can_address, float value, uint8_t *buf, uint32_t *len);               // 16, rounded x10
    static void frame_set_frequency(int32_t can_address, float value, uint8_t *buf, uint32_t *len);             // 32, truncated
    static void frame_set_frequency_16(int32_t can_address, float value, uint8_t *buf, uint32_t *len);          // 16, truncated
    static void frame_set_voltage_on(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len);             // 8, byte
    static void frame_set_tec_on(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len);                 // 8, byte
    static void frame_set_emission(int32_t can_address, uint8_t on, uint8_t *buf, uint32_t *len);               // 8, byte
    static void frame_set_pulse_width(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 16, rounded x10
    static void frame_set_mode(int32_t can_address, uint8_t mode, uint8_t *buf, uint32_t *len);                 // 8, byte
    static void frame_set_current_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 32, rounded x10
    static void frame_set_voltage_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 16, rounded x10
    static void frame_set_current_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 32, rounded x10
    static void frame_set_voltage_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len);           // 16, rounded x10
    static void frame_set_tec_current_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len);       // 16, rounded x10
    static void frame_set_gated(int32_t can_address, int32_t count, uint8_t *buf, uint32_t *len);               // 16, integer
    static void frame_set_cutted(int32_t can_address, int32_t count, uint8_t *buf, uint32_t *len);              // 16, integer
    static void frame_set_temperature_min(int32_t can_address, float value, uint8_t *buf, uint32_t *len);       // 16, rounded x10
    static void frame_set_temperature_max(int32_t can_address, float value, uint8_t *buf, uint32_t *len);       // 16, rounded x10
    static void frame_set_address(int32_t can_address, uint8_t new_address, uint8_t *buf, uint32_t *len);       // 8, byte

protected:
    // Frame layouts: d0 the code, d1..d3 0, the value right-aligned in d4..d7.
    static void build_request(int32_t can_address, uint8_t code, uint8_t *buf, uint32_t *len);
    static void build_8(int32_t can_address, uint8_t code, uint8_t value, uint8_t *buf, uint32_t *len);
    // Low 16 bits in d6, d7; d4, d5 stay 0 also for a negative value.
    static void build_16(int32_t can_address, uint8_t code, int64_t value, uint8_t *buf, uint32_t *len);
    // Low 32 bits in d4..d7.
    static void build_32(int32_t can_address, uint8_t code, int64_t value, uint8_t *buf, uint32_t *len);
};
