#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>

class sim_bus;

// The boards of the demonstration bench, one per channel: `make demo` runs
// the program against them and the README's pictures are drawn from them,
// so what a newcomer starts is what the README shows.
struct demo_board
{
    const char *name; // the channel's name in the program's settings
    int32_t type;
    int32_t address;
    bool output_on;   // output (emission, on the pulsed types) on at start
    // Set points and fixed readings at start, in physical units by read code.
    std::initializer_list<std::pair<uint8_t, double>> state;
};

// Ten boards of every driver family at addresses 1 to 10, channel 1 first.
const demo_board *demo_boards(int *count);
// The board of the mini-USB demonstration, alone on its own port.
const demo_board &demo_mini_board();

// Puts the board on the bus with its starting state, live (see sim_board).
void add_demo_board(sim_bus &bus, const demo_board &board);
