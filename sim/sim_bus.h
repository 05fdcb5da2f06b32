#pragma once

#include <QByteArray>
#include <QMutex>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/sim_board.h"

// The CAN bus behind the simulated adapter: routes each frame by its
// identifier to the board at that address and returns the boards' replies
// as SLCAN text. Identifier 250 reaches every board. In direct mode (a
// board's own USB port, no adapter) the one board on the line takes every
// frame whatever its identifier.
class sim_bus
{
public:
    static constexpr int32_t broadcast_address = 250;

    // The bus owns its boards; the returned board lives as long as the bus.
    sim_board &add_board(int32_t driver_type, int32_t address);
    // Another board put in place of the one at this address (a board swap):
    // the new one answers from now on, in the old one's place in the list;
    // the old one stays alive, off the bus, so a test may still read it.
    // Added at the end when no board has the address.
    sim_board &replace_board(int32_t address, int32_t driver_type);
    sim_board *board_at(int32_t address) const;
    sim_board *board(int index) const;
    int board_count() const;

    void set_direct_mode(bool direct);
    bool direct_mode() const;

    // One received "t" frame line (22 bytes with its CR, hex digits of
    // either case). Returns the reply lines (possibly none). A line that is
    // not a well-formed frame is counted and gets no reply.
    QByteArray handle_frame_line(const QByteArray &line);
    int malformed_lines() const;
    int frames_seen() const;

    // The SLCAN text of one frame (upper-case digits), written here rather
    // than through the program's encoder.
    static QByteArray format_frame(uint32_t can_id, const uint8_t data[8]);
    // Parses a 22-byte "t" line; false if it is not one.
    static bool parse_frame(const QByteArray &line, uint32_t *can_id, uint8_t data[8]);

private:
    mutable QMutex mutex;
    std::vector<std::unique_ptr<sim_board>> boards;
    std::vector<std::unique_ptr<sim_board>> removed;
    bool direct = false;
    int malformed = 0;
    int seen = 0;
};
