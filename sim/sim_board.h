#pragma once

#include <QMutex>
#include <cstdint>
#include <map>

// One simulated laser-diode driver board on the CAN bus.
//
// The board keeps its state in physical units (mA, A, V, °C, Hz, ns ...),
// keyed by the read code that reports the quantity. A set command is decoded
// with the width and scale the host encodes it with and stored under the read
// code of the same quantity, so the next read reports it. Replies are encoded
// here from the command catalogue's rules, independently of the program's
// records: d0 the read code, d1 the board's address, d2 = d3 = 0, the value
// as a signed 32-bit big-endian integer in d4..d7 (scaled by the quantity's
// power of ten), or d7 alone for flags, enumerations and the fault byte.
//
// A live board (set_live) reads back like a board at work rather than a
// store of values: the driven current of the CW, DC/DC and power types
// follows its set point while the output is on and reads 0 while it is
// off; the CW optical power and the DC/DC and power output voltage follow
// that current; the temperature read moves three tenths of the way to its
// set point at every request (the last hundredth of a degree at once), so a
// new set point is reached over some ten to twenty passes.
// The stored values stay the set points. A board is not live by default:
// the polling and end-to-end tests compare what the pages show with what
// the board holds.
//
// Every public operation locks the board, so a test may change the board
// while the adapter's thread talks to it.
class sim_board
{
public:
    enum value_kind { kind_none, kind_flag, kind_byte, kind_scaled, kind_raw };

    struct reply_rule
    {
        value_kind kind = kind_none;
        double scale = 1.0;
    };

    sim_board(int32_t driver_type, int32_t address);

    int32_t driver_type() const;
    int32_t address() const;
    void set_address(int32_t address);

    // How this board's family reports a read code; kind_none if it does not
    // answer it. 0xD0 and 0xD1 are answered by every board.
    reply_rule rule(uint8_t read_code) const;
    bool answers(uint8_t read_code) const { return rule(read_code).kind != kind_none; }

    // Handles one frame that reached the board. Returns true and fills reply
    // (eight data bytes) when the board answers it.
    bool handle_frame(const uint8_t data[8], uint8_t reply[8]);

    // The board's state, in physical units, by read code (flags are 0 or 1,
    // enumerations and the fault byte their integer).
    double value(uint8_t read_code) const;
    void set_value(uint8_t read_code, double v);

    // The signed integer the board sends in d4..d7 (or d7) for a read code:
    // the value (what a live board reads) times the scale, rounded half away from zero, saturated to
    // the 32-bit range; an override if one is set.
    int32_t reply_integer(uint8_t read_code) const;

    // Readings that follow the set points (see above). Turning it on starts
    // the temperature read at the temperature set point.
    void set_live(bool live);
    bool live() const;

    // Optical power per mA of read current on a live CW board (mW/mA), and
    // the load a live DC/DC or power board drives (ohms).
    static constexpr double live_power_per_ma = 0.4;
    static constexpr double live_dcdc_load_ohms = 2.5;
    static constexpr double live_power_load_ohms = 1.8;

    // Test faults.
    void set_silent(bool silent);                   // answers nothing at all
    // One of two boards that share an address and win the bus in turn: it
    // answers only in the poll passes (each opened by a device-type
    // request) whose count is odd (turn 1) or even (turn 0); -1 always.
    void set_answer_turn(int turn);
    void set_faults(uint8_t fault_byte);            // reported by 0xB0
    void set_raw_override(uint8_t read_code, int32_t raw); // e.g. out-of-range values
    void clear_raw_overrides();
    // An older CW board (types 8 and 14 only; false and no change for any
    // other type): its current limits travel in hundredths of a mA instead of
    // tenths, and it knows no temperature limits, so 0xB6/0xB7 go unanswered
    // and 0x36/0x37 are ignored.
    bool set_old_units(bool old);
    bool old_units() const;

    // What reached the board.
    int received(uint8_t code) const;               // frames with this d0
    int received_total() const;
    int32_t last_set_integer(uint8_t set_code) const; // last value integer of a set code
    int protocol_errors() const;                    // frames with bytes that must be 0 not 0
    int saved_configs() const;                      // type-18 store-configuration commands

    // Initial values for a family, in physical units (used by the constructor).
    static std::map<uint8_t, double> default_state(int32_t driver_type);

private:
    struct set_rule
    {
        int width = 0;          // 0: unknown code, 8, 16 or 32 bits; -1: no value
        bool is_signed = false; // 16-bit values of quantities that may be negative
        double scale = 1.0;
        uint8_t target = 0;     // read code of the quantity it sets
    };

    set_rule set_rule_of(uint8_t set_code) const;
    reply_rule rule_locked(uint8_t read_code) const;
    int32_t reply_integer_locked(uint8_t read_code) const;
    double reading_locked(uint8_t read_code) const; // the value a request reports
    void apply_set(uint8_t code, const uint8_t data[8]);

    mutable QMutex mutex;
    const int32_t type;
    int32_t addr;
    std::map<uint8_t, double> state;
    std::map<uint8_t, int32_t> overrides;
    std::map<uint8_t, int> counts;
    std::map<uint8_t, int32_t> last_sets;
    bool silent = false;
    int answer_turn = -1;
    bool old = false;
    bool is_live = false;
    double temperature_read = 0; // live boards only
    int total = 0;
    int bad_frames = 0;
    int save_count = 0;
};
