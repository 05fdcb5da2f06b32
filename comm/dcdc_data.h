#pragma once

#include "comm/driver_data.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

// Device record of the Power DC/DC drivers (types 11 and 16; 16 adds a QCW
// frequency, pulse width and mode). Plain data: the channel control decodes
// its replies. Currents in A, voltages in V, temperatures in degrees C. Its
// address is not its first field, so it has builders of its own.
class dcdc_data : public driver_data
{
public:
    dcdc_data();

    // Fault byte plus the warnings (bits 8, 9): text of each set bit, rising
    // bit order, each followed by a line feed.
    QString fault_text(uint16_t word) const;

    // Requests.
    void frame_clear_faults(uint8_t *buf, uint32_t *len) const;         // 0x29
    void frame_get_output(uint8_t *buf, uint32_t *len) const;           // 0x90
    void frame_get_current(uint8_t *buf, uint32_t *len) const;          // 0x91
    void frame_get_temperature(uint8_t *buf, uint32_t *len) const;      // 0x92
    void frame_get_input_voltage(uint8_t *buf, uint32_t *len) const;    // 0x94
    void frame_get_frequency(uint8_t *buf, uint32_t *len) const;        // 0x99, type 16
    void frame_get_pulse_width(uint8_t *buf, uint32_t *len) const;      // 0xA3, type 16
    void frame_get_mode(uint8_t *buf, uint32_t *len) const;             // 0xA4, type 16
    void frame_get_output_voltage(uint8_t *buf, uint32_t *len) const;   // 0xA6
    void frame_get_faults(uint8_t *buf, uint32_t *len) const;           // 0xB0

    // Commands.
    void frame_set_output(int32_t on, uint8_t *buf, uint32_t *len) const;          // 0x10, 16-bit integer
    void frame_set_current(float value, uint8_t *buf, uint32_t *len) const;        // 0x11, 16-bit rounded x100
    void frame_set_frequency(int32_t value, uint8_t *buf, uint32_t *len) const;    // 0x19, 32-bit integer
    void frame_set_pulse_width(int32_t value, uint8_t *buf, uint32_t *len) const;  // 0x23, 16-bit integer
    void frame_set_mode(uint8_t mode, uint8_t *buf, uint32_t *len) const;          // 0x24, byte

    QStringList fault_texts;
    // Written by the GUI thread when the channel is configured, read by the
    // worker thread at every frame it builds.
    std::atomic<int32_t> can_address{0};
    uint8_t output_on = 0;
    float current = 0.0f;
    float current_max = 14.0f;
    float current_min = 0.0f;
    float current_set = 0.0f;
    float current_target = 0.0f;
    float temperature = 0.0f;
    float temperature_max = 70.0f;
    float temperature_min = 0.0f;
    float output_voltage = 0.0f;
    float input_voltage = 0.0f;
    // Computed by the channel page: bit 8 output voltage above 80 % of the
    // input, bit 9 output voltage above 30 V.
    uint16_t warnings = 0;
    int32_t frequency_set = 0;
    int32_t frequency = 0;
    int32_t pulse_width_set = 0;
    int32_t pulse_width = 0;
    // Type 16: "Internal", "QCW-mode", "Internal TTL", "External TTL",
    // "Mod/Internal", "Mod/External" for 0 to 5.
    int32_t mode = 0;
    uint16_t faults = 0;
    // The values the board holds, for the channel control's inputs.
    int32_t mode_target = 0;
    int32_t frequency_target = 0;
    int32_t pulse_width_target = 0;

private:
    int32_t address() const { return can_address.load(std::memory_order_relaxed); }
};
