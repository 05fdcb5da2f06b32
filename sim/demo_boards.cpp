#include "sim/demo_boards.h"

#include "sim/sim_bus.h"

namespace {

const demo_board boards[] = {
    {"Pump A", 8, 1, true, {{0x91, 120.4}, {0x92, 25.1}}},
    {"Seed", 15, 2, false, {{0x91, 85.25}, {0x92, 24.98}}},
    {"Booster", 11, 3, true, {{0x91, 8.2}, {0x92, 41.5}, {0x94, 30.0}}},
    {"QCW stack", 16, 4, true, {{0x91, 10.5}, {0x92, 39.0}, {0x94, 48.0}, {0xA4, 1}, {0x99, 500}, {0xA3, 200}}},
    {"Power bar", 18, 5, true, {{0x91, 7.0}, {0x92, 35.2}, {0x94, 48.0}}},
    {"PS table", 7, 6, true, {{0x98, 30.0}, {0x99, 2000}, {0xB4, 5}, {0xB5, 2}}},
    {"NS table", 6, 7, true, {{0x98, 18.5}, {0x99, 100}, {0xA3, 50.0}}},
    {"SOA", 13, 8, false, {{0x98, 15.0}, {0x99, 1000}, {0xA3, 12.0}}},
    {"PS", 20, 9, true, {{0x98, 12.0}, {0x99, 1500000}}},
    {"NS", 21, 10, true, {{0x98, 22.0}, {0x99, 250000}, {0xA3, 20.0}, {0xA4, 2}}},
};

const demo_board mini_board = {"NS", 21, 51, true, {{0x98, 22.0}, {0x99, 250000}, {0xA3, 20.0}, {0xA4, 2}}};

} // namespace

const demo_board *demo_boards(int *count)
{
    *count = int(sizeof boards / sizeof boards[0]);
    return boards;
}

const demo_board &demo_mini_board()
{
    return mini_board;
}

void add_demo_board(sim_bus &bus, const demo_board &d)
{
    sim_board &b = bus.add_board(d.type, d.address);
    for (const auto &s : d.state)
        b.set_value(s.first, s.second);
    b.set_value(b.answers(0xA2) ? 0xA2 : 0x90, d.output_on ? 1 : 0);
    b.set_live(true);
}
