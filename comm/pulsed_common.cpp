#include "comm/pulsed_common.h"

#include <algorithm>
#include <iterator>

namespace pulsed_common {

namespace {

// The PS table in Hz; the NS table in kHz is the same list up to 20000.
const int32_t ps_frequencies[] = {
    1, 2, 3, 4, 5, 6, 7, 8, 9,
    10, 20, 30, 40, 50, 60, 70, 80, 90,
    100, 200, 300, 400, 500, 600, 700, 800, 900,
    1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000,
    10000, 11000, 12500, 16000, 20000, 25000, 50000,
};
const int ps_count = int(std::size(ps_frequencies)); // 43
const int ns_count = ps_count - 2;                    // 41, up to 20000

void fill_table(int32_t (&table)[100], int count)
{
    std::fill(std::begin(table), std::end(table), 0);
    std::copy(ps_frequencies, ps_frequencies + count, table);
    table[count] = -1;
}

} // namespace

void fill_mode_names(QString (&names)[6])
{
    names[0] = QStringLiteral("Int: Normal");
    names[1] = QStringLiteral("Int: Burst");
    names[2] = QStringLiteral("Ext: Normal");
    names[3] = QStringLiteral("Ext: Burst");
    names[4] = QStringLiteral("Pulse on Demand");
    names[5] = QStringLiteral("nullptr");
}

void fill_ps_table(int32_t (&table)[100])
{
    fill_table(table, ps_count);
}

void fill_ns_table(int32_t (&table)[100])
{
    fill_table(table, ns_count);
}

int32_t mode_index(uint32_t mode_byte, int32_t burst)
{
    switch (mode_byte) {
    case 0:
        return burst ? 1 : 0;
    case 2:
        return burst ? 3 : 2;
    case 1:
        return 4;
    default:
        return -1;
    }
}

} // namespace pulsed_common
