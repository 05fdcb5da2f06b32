#include "comm/fault_texts.h"

namespace fault_texts {

namespace {

// Bit 8 holds a line break of its own: two lines in the box.
const char *const low_voltage_margin =
    "Output voltage is higher than 80% of input voltage, \nSOLUTION: increase the input voltage";
const char *const power_near_max = "Output power is close to MAX";

} // namespace

QStringList cw_dcdc_texts()
{
    return {
        QStringLiteral("flag_NO_Load"),
        QStringLiteral("flag_ALARM_INTERLOCK"),
        QStringLiteral("flag_Overtemp"),
        QStringLiteral("flag_OverCurrent"),
        QStringLiteral("flag_UnderVoltage_IN"),
        QStringLiteral("flag_OverVoltage_IN"),
        QStringLiteral("flag_UnderVoltage_OUT"),
        QStringLiteral("flag_OverVoltage_OUT"),
        QString::fromLatin1(low_voltage_margin),
        QString::fromLatin1(power_near_max),
    };
}

QStringList power_texts()
{
    return {
        QStringLiteral("flag_Rebooted"),
        QStringLiteral("flag_ALARM_INTERLOCK"),
        QStringLiteral("flag_Overtemp"),
        QStringLiteral("flag_OverCurrent"),
        QStringLiteral("flag_UnderVoltage_IN"),
        QStringLiteral("flag_OverVoltage_IN"),
        QStringLiteral("flag_UnderVoltage_OUT"),
        QStringLiteral("flag_OverCurrent_IND"),
        QString::fromLatin1(low_voltage_margin),
        QString::fromLatin1(power_near_max),
    };
}

QString compose(const QStringList &texts, uint16_t word)
{
    QString out;
    for (int bit = 0; bit < 16; ++bit) {
        if ((word & (1u << bit)) && bit < texts.size()) {
            out += texts.at(bit);
            out += QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace fault_texts
