#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

// The readings the four pulsed pages show alike, copied out of whichever
// pulsed record the driver type selects (the records name them alike).
struct pulsed_view_values
{
    float voltage;
    float voltage_min;
    float voltage_max;
    float temperature;
    float temperature_min;
    float temperature_max;
    bool output_on;
    int32_t gated;
    int32_t cutted;
    int32_t mode;
    int32_t burst;
};

template <typename record_t>
pulsed_view_values pulsed_values_of(const record_t &r)
{
    return {r.voltage,     r.voltage_min, r.voltage_max, r.temperature, r.temperature_min, r.temperature_max,
            r.emission_on != 0, r.gated,  r.cutted,      r.mode,        r.burst};
}

// "Pulse on Demand": no rate of the driver's own.
inline constexpr int32_t pulse_on_demand_mode = 4;

// A duty limit to `decimals` decimals, rounded down: a limit rounded up
// would let width times rate pass 2 %, and a page that showed it would offer
// a value it then refuses. The quotient's own error (1999.9999999 for 2000)
// costs no unit.
inline double whole_within(double limit, int decimals = 0)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(limit * scale + 1e-6) / scale;
}

// Longest pulse (ns) that keeps a 2 % duty cycle at hz; none where the
// quotient is not finite and positive (0 Hz and below) or hz leaves 32 bits.
inline std::optional<int32_t> duty_width_limit(int64_t hz)
{
    if (hz <= 0 || hz > INT32_MAX)
        return std::nullopt;
    // At 1 Hz and more the quotient is at most 2e7: it fits.
    const auto w = static_cast<int32_t>(whole_within(0.02 / (static_cast<double>(hz) * 1e-9)));
    return w == 0 ? 1 : w;
}
