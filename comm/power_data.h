#pragma once

#include "comm/driver_data.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

struct serial_message_struct;

// Device record of the power driver (type 18), titled "Power " plus its
// model label. It decodes its own replies. Currents in A, voltages in V,
// temperatures in degrees C. Its address is not its first field, so it has
// builders of its own.
class power_data : public driver_data
{
public:
    power_data();

    // Decodes one reply into the record; codes it does not know, and a null
    // frame, change nothing.
    void handle_rx(const serial_message_struct *msg);
    // Text of each set bit of faults plus warnings, rising bit order, each
    // followed by a line feed.
    QString fault_text(uint16_t word) const;

    // Requests.
    void frame_clear_faults(uint8_t *buf, uint32_t *len) const;        // 0x29
    void frame_get_output(uint8_t *buf, uint32_t *len) const;          // 0x90
    void frame_get_current(uint8_t *buf, uint32_t *len) const;         // 0x91
    void frame_get_temperature(uint8_t *buf, uint32_t *len) const;     // 0x92
    void frame_get_input_voltage(uint8_t *buf, uint32_t *len) const;   // 0x94
    void frame_get_mode(uint8_t *buf, uint32_t *len) const;            // 0xA4
    void frame_get_current_max(uint8_t *buf, uint32_t *len) const;     // 0xA5
    void frame_get_output_voltage(uint8_t *buf, uint32_t *len) const;  // 0xA6
    void frame_get_faults(uint8_t *buf, uint32_t *len) const;          // 0xB0

    // Commands.
    void frame_set_output(int32_t on, uint8_t *buf, uint32_t *len) const;          // 0x10, 16-bit integer
    void frame_set_current(float value, uint8_t *buf, uint32_t *len) const;        // 0x11, 16-bit rounded x100
    void frame_set_mode(uint8_t mode, uint8_t *buf, uint32_t *len) const;          // 0x24, byte
    void frame_set_current_max(float value, uint8_t *buf, uint32_t *len) const;    // 0x25, 16-bit rounded x100
    // The board stores its configuration (0x33, byte; its caller sends 0).
    void frame_save_config(uint8_t value, uint8_t *buf, uint32_t *len) const;

    QString label;
    QStringList fault_texts;
    // "Mode CW", "External TTL", "External Analog" for mode values 0 to 2.
    QStringList mode_names;
    // Written by the GUI thread when the channel is configured, read by the
    // worker thread at every frame it builds.
    std::atomic<int32_t> can_address{0};
    uint8_t output_on = 0;
    float current = 0.0f;
    float current_max = 14.0f;
    float current_min = 0.1f;
    float current_set = 0.0f;
    float current_target = 0.0f;
    float temperature = 0.0f;
    float temperature_max = 70.0f;
    float temperature_min = 0.0f;
    uint16_t warnings = 0;
    uint16_t faults = 0;
    int32_t mode = 0;
    float input_voltage = 0.0f;
    float output_voltage = 0.0f;
    // 0 idle, 1 armed by a new driver type, 2 first reading arrived.
    int32_t first_read_mode = 0;
    int32_t first_read_current = 0;
    // The mode the board holds: its first 0xA4 reading after arming.
    int32_t mode_target = 0;

private:
    int32_t address() const { return can_address.load(std::memory_order_relaxed); }
};
