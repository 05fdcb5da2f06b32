#pragma once

#include "comm/shared_builders.h"

#include <QString>
#include <atomic>
#include <cstdint>

// Device record of the PS driver with a frequency table (type 7). Plain
// data: the channel control decodes its replies. Frequencies in Hz.
class ps_table_data : public shared_builders<ps_table_data>
{
public:
    ps_table_data();

    // Written by the GUI thread when the channel is configured, read by the
    // worker thread at every frame it builds.
    std::atomic<int32_t> can_address{0};
    // Frequencies in Hz, rising, then the end mark -1, then 0.
    int32_t freq_table[100];
    // Mode list texts by mode index 0 to 4; readers stop at "nullptr".
    QString mode_names[6];
    // Mode index 0 to 4 as the board reports it.
    int32_t mode = 0;
    // Device mode byte chosen by the operator: 0 internal, 2 external, 1 pulse on demand.
    int32_t mode_set = 0;
    int32_t burst = 0;
    // Stored as 0 while emission is off.
    float voltage = 0.0f;
    float voltage_min = 0.0f;
    float voltage_max = 1000000.0f;
    float voltage_set = 0.0f;
    float voltage_target = 0.0f;
    float temperature = 0.0f;
    float temperature_max = 35.0f;
    float temperature_min = 15.0f;
    float temperature_set = 0.0f;
    float temperature_target = 0.0f;
    uint8_t emission_on = 0;
    uint8_t tec_on = 0;
    uint8_t voltage_on = 0;
    int32_t frequency = 1;
    int32_t frequency_target = 1;
    int32_t gated = 0;
    int32_t gated_target = 0;
    int32_t cutted = 0;
    int32_t cutted_target = 0;
    int32_t resistance = 0;
    int32_t beta = 0;
    float responsivity = 0.0f;
    // Maximum TEC current, A.
    float tec_current_max = 0.0f;
};
