#include "comm/slcan_receiver.h"

#include <cstdint>

namespace {

struct hex_table
{
    int8_t v[256];
    constexpr hex_table() : v()
    {
        for (int i = 0; i < 256; ++i)
            v[i] = -1;
        for (int i = 0; i < 10; ++i)
            v['0' + i] = int8_t(i);
        for (int i = 0; i < 6; ++i) {
            v['a' + i] = int8_t(10 + i);
            v['A' + i] = int8_t(10 + i);
        }
    }
};

constexpr hex_table hex{};

inline int hex_value(char c)
{
    return hex.v[static_cast<unsigned char>(c)];
}

} // namespace

bool slcan_receiver::decode_frame(const char *text, int len, serial_message_struct &out)
{
    if (len != frame_length || text[0] != 't' || text[4] != '8' || text[21] != '\r')
        return false;
    serial_message_struct m;
    int id = 0;
    for (int i = 1; i <= 3; ++i) {
        const int v = hex_value(text[i]);
        if (v < 0)
            return false;
        id = (id << 4) | v;
    }
    for (int k = 0; k < 8; ++k) {
        const int hi = hex_value(text[5 + 2 * k]);
        const int lo = hex_value(text[6 + 2 * k]);
        if ((hi | lo) < 0)
            return false;
        m.data[k] = uint32_t((hi << 4) | lo);
    }
    m.can_id = uint32_t(id);
    out = m;
    return true;
}
