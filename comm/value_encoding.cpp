#include "comm/value_encoding.h"

#include "comm/serial_structs.h"

#include <cmath>
#include <limits>

namespace value_encoding {

namespace {

// Integer part of an already whole (or truncated) double, clamped to T.
template <typename T>
T saturate(double whole)
{
    if (std::isnan(whole))
        return 0;
    // The bounds are exact powers of two in double: -2^(n-1) and 2^(n-1).
    const double lo = static_cast<double>(std::numeric_limits<T>::min());
    const double hi = -lo;
    if (whole >= hi)
        return std::numeric_limits<T>::max();
    if (whole < lo)
        return std::numeric_limits<T>::min();
    return static_cast<T>(whole);
}

} // namespace

int32_t rounded_32(float value, double k)
{
    // std::round takes halves away from zero (qRound would take -52.5 to -52).
    return saturate<int32_t>(std::round(static_cast<double>(value) * k));
}

int64_t rounded_64(float value, double k)
{
    return saturate<int64_t>(std::round(static_cast<double>(value) * k));
}

int32_t truncated_scaled(float value, float k)
{
    // The product is rounded to single precision before truncation (the
    // cast forces that rounding even where float math runs wider).
    const float product = static_cast<float>(value * k);
    return saturate<int32_t>(std::trunc(static_cast<double>(product)));
}

int32_t truncated(float value)
{
    return saturate<int32_t>(std::trunc(static_cast<double>(value)));
}

int32_t reply_int(const serial_message_struct &msg)
{
    const uint32_t raw = ((msg.data[4] & 0xFFu) << 24) | ((msg.data[5] & 0xFFu) << 16)
                         | ((msg.data[6] & 0xFFu) << 8) | (msg.data[7] & 0xFFu);
    return static_cast<int32_t>(raw);
}

float reply_scaled(const serial_message_struct &msg, float k)
{
    return static_cast<float>(reply_int(msg)) / k;
}

bool reply_flag(const serial_message_struct &msg)
{
    return (msg.data[7] & 0xFFu) != 0;
}

uint8_t reply_byte(const serial_message_struct &msg)
{
    return static_cast<uint8_t>(msg.data[7] & 0xFFu);
}

} // namespace value_encoding
