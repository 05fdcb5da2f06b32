#pragma once

#include <cstdint>

// Common base of the seven device records. It owns the SLCAN frame encoder
// that every frame builder goes through.
class driver_data
{
public:
    driver_data() = default;

    // Writes the 22-byte SLCAN text of one standard frame with eight data
    // bytes ("t", 3 hex digits of the identifier's bits 11..0, "8", 16 hex
    // digits, CR) into buf and 22 into *len. Keeps no state: safe on any
    // thread at once. Returns 0.
    static int encode_frame(int32_t can_id,
                            uint8_t d0, uint8_t d1, uint8_t d2, uint8_t d3,
                            uint8_t d4, uint8_t d5, uint8_t d6, uint8_t d7,
                            uint8_t *buf, uint32_t *len);
};
