#pragma once

#include "comm/driver_data.h"

#include <atomic>
#include <cstdint>

// The builders of driver_data bound to one record: each frame carries the
// can_address of the record it is called on, read whole at every build (the
// GUI thread may change it while a worker thread builds).
//
// record_t derives from shared_builders<record_t> and holds a public member
// std::atomic<int32_t> can_address.
template <typename record_t>
class shared_builders : public driver_data
{
public:
    void frame_get_output(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_output(address(), buf, len);
    }
    void frame_get_current(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_current(address(), buf, len);
    }
    void frame_get_temperature(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_temperature(address(), buf, len);
    }
    void frame_get_power(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_power(address(), buf, len);
    }
    void frame_get_beta(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_beta(address(), buf, len);
    }
    void frame_get_resistance(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_resistance(address(), buf, len);
    }
    void frame_get_responsivity(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_responsivity(address(), buf, len);
    }
    void frame_get_voltage(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_voltage(address(), buf, len);
    }
    void frame_get_frequency(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_frequency(address(), buf, len);
    }
    void frame_get_emission(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_emission(address(), buf, len);
    }
    void frame_get_pulse_width(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_pulse_width(address(), buf, len);
    }
    void frame_get_mode(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_mode(address(), buf, len);
    }
    void frame_get_max(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_max(address(), buf, len);
    }
    void frame_get_min(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_min(address(), buf, len);
    }
    void frame_get_faults(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_faults(address(), buf, len);
    }
    void frame_get_tec_current_max(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_tec_current_max(address(), buf, len);
    }
    void frame_get_gated(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_gated(address(), buf, len);
    }
    void frame_get_cutted(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_cutted(address(), buf, len);
    }
    void frame_get_temperature_min(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_temperature_min(address(), buf, len);
    }
    void frame_get_temperature_max(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_temperature_max(address(), buf, len);
    }
    void frame_get_device_type(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_device_type(address(), buf, len);
    }
    void frame_get_address(uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_get_address(address(), buf, len);
    }
    void frame_set_output(uint8_t on, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_output(address(), on, buf, len);
    }
    void frame_set_current(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_current(address(), value, buf, len);
    }
    void frame_set_current_precise(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_current_precise(address(), value, buf, len);
    }
    void frame_set_temperature_trunc(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_temperature_trunc(address(), value, buf, len);
    }
    void frame_set_temperature(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_temperature(address(), value, buf, len);
    }
    void frame_set_temperature_precise(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_temperature_precise(address(), value, buf, len);
    }
    void frame_set_beta(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_beta(address(), value, buf, len);
    }
    void frame_set_resistance(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_resistance(address(), value, buf, len);
    }
    void frame_set_responsivity(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_responsivity(address(), value, buf, len);
    }
    void frame_set_voltage(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_voltage(address(), value, buf, len);
    }
    void frame_set_frequency(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_frequency(address(), value, buf, len);
    }
    void frame_set_frequency_16(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_frequency_16(address(), value, buf, len);
    }
    void frame_set_voltage_on(uint8_t on, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_voltage_on(address(), on, buf, len);
    }
    void frame_set_tec_on(uint8_t on, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_tec_on(address(), on, buf, len);
    }
    void frame_set_emission(uint8_t on, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_emission(address(), on, buf, len);
    }
    void frame_set_pulse_width(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_pulse_width(address(), value, buf, len);
    }
    void frame_set_mode(uint8_t mode, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_mode(address(), mode, buf, len);
    }
    void frame_set_current_max(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_current_max(address(), value, buf, len);
    }
    void frame_set_voltage_max(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_voltage_max(address(), value, buf, len);
    }
    void frame_set_current_min(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_current_min(address(), value, buf, len);
    }
    void frame_set_voltage_min(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_voltage_min(address(), value, buf, len);
    }
    void frame_set_tec_current_max(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_tec_current_max(address(), value, buf, len);
    }
    void frame_set_gated(int32_t count, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_gated(address(), count, buf, len);
    }
    void frame_set_cutted(int32_t count, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_cutted(address(), count, buf, len);
    }
    void frame_set_temperature_min(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_temperature_min(address(), value, buf, len);
    }
    void frame_set_temperature_max(float value, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_temperature_max(address(), value, buf, len);
    }
    void frame_set_address(uint8_t new_address, uint8_t *buf, uint32_t *len) const
    {
        driver_data::frame_set_address(address(), new_address, buf, len);
    }

private:
    int32_t address() const
    {
        return static_cast<const record_t *>(this)->can_address.load(std::memory_order_relaxed);
    }
};
