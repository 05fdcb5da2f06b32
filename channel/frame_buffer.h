#pragma once

#include <cstdint>

// Room for the one SLCAN frame a record builder writes; len stays 0 when
// the board's type has no such command, and then nothing is sent.
struct frame_buffer {
    uint8_t buf[22];
    uint32_t len = 0;
};
