#include "comm/driver_data.h"

namespace {

inline uint8_t hex_digit(uint32_t nibble)
{
    nibble &= 0xF;
    return static_cast<uint8_t>(nibble < 10 ? '0' + nibble : 'A' + (nibble - 10));
}

} // namespace

int driver_data::encode_frame(int32_t can_id,
                              uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3,
                              uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7,
                              uint8_t *buf, uint32_t *len)
{
    const uint32_t id = static_cast<uint32_t>(can_id);
    const uint8_t data[8] = {d0, d1, d2, d3, d4, d5, d6, d7};
    buf[0] = 't';
    buf[1] = hex_digit(id >> 8);
    buf[2] = hex_digit(id >> 4);
    buf[3] = hex_digit(id);
    buf[4] = '8';
    for (int i = 0; i < 8; ++i) {
        buf[5 + 2 * i] = hex_digit(data[i] >> 4);
        buf[6 + 2 * i] = hex_digit(data[i]);
    }
    buf[21] = '\r';
    *len = 22;
    return 0;
}
