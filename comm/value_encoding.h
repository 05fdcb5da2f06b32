#pragma once

#include <cstdint>

struct serial_message_struct;

// Conversions between the values the program holds and the integers on the
// wire. Float-to-integer conversions saturate at the range of the integer
// they produce and turn NaN into 0, so no operator or board value can reach
// an undefined conversion; a value inside that range but wider than its
// field is still sent as its low 8, 16 or 32 bits.
namespace value_encoding {

// Widened to double, multiplied by k, rounded half away from zero.
// For 16-bit fields: result as a signed 32-bit integer.
int32_t rounded_32(float value, double k);
// For 32-bit fields: result as a signed 64-bit integer (its low 32 bits go out).
int64_t rounded_64(float value, double k);
// Multiplied by k in single precision, then truncated toward zero.
int32_t truncated_scaled(float value, float k);
// Truncated toward zero, no multiplication.
int32_t truncated(float value);

// The reply integer: d4..d7 big-endian, taken as signed 32-bit.
int32_t reply_int(const serial_message_struct &msg);
// The reply integer converted to float and divided by k in single precision.
float reply_scaled(const serial_message_struct &msg, float k);
// d7 not 0.
bool reply_flag(const serial_message_struct &msg);
// d7 alone (enumerations, the fault byte).
uint8_t reply_byte(const serial_message_struct &msg);

} // namespace value_encoding
