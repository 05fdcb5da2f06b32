#pragma once

#include "comm/shared_builders.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>

// Device record of the CW drivers (types 8 and 14 "CW Driver", 10 and 15
// "Precision CW Driver"). Plain data: the channel control decodes its replies.
// Currents in mA, temperatures in degrees C, power in mW. The worker also
// builds the device-type and address requests of every type through it.
class cw_data : public shared_builders<cw_data>
{
public:
    cw_data();

    // Text of each set bit of a 16-bit fault word, rising bit order, each
    // followed by a line feed.
    QString fault_text(uint16_t word) const;

    // Written by the GUI thread when the channel is configured, read by the
    // worker thread at every frame it builds.
    std::atomic<int32_t> can_address{0};
    QStringList fault_texts;
    float current_max = 150.0f;
    float current_min = 0.0f;
    float current = 0.0f;
    float current_set = 0.0f;
    float current_target = 0.0f;
    // 1 once the board answered a temperature-limit request: the current
    // limits of types 8 and 14 then travel in tenths of a mA.
    int32_t new_units = 0;
    float temperature_max = 35.0f;
    float temperature_min = 15.0f;
    float temperature = 0.0f;
    float temperature_set = 0.0f;
    float temperature_target = 0.0f;
    uint8_t output_on = 0;
    uint8_t tec_on = 0;
    float power = 0.0f;
    int32_t resistance = 0;
    int32_t beta = 0;
    float responsivity = 0.0f;
    float tec_current_max = 0.0f;
    // Types 14 and 15: 0 "CW", 1 "ANALOG", 2 "TTL".
    int32_t mode = 0;
    int32_t faults = 0;
    // The mode the board holds, for the channel control's mode input.
    int32_t mode_target = 0;
};
