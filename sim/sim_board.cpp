#include "sim/sim_board.h"

#include <QMutexLocker>
#include <cmath>
#include <limits>

namespace {

enum family { fam_none, fam_cw, fam_cw_precise, fam_dcdc, fam_power, fam_ps, fam_ns };

family family_of(int32_t type)
{
    switch (type) {
    case 8: case 14: return fam_cw;
    case 10: case 15: return fam_cw_precise;
    case 11: case 16: return fam_dcdc;
    case 18: return fam_power;
    case 7: case 20: return fam_ps;
    case 6: case 13: case 21: return fam_ns;
    default: return fam_none;
    }
}

bool is_cw(family f) { return f == fam_cw || f == fam_cw_precise; }
bool is_pulsed(family f) { return f == fam_ps || f == fam_ns; }

int32_t saturate(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = std::round(v); // halves away from zero
    if (r >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (r <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

} // namespace

sim_board::sim_board(int32_t driver_type, int32_t address)
    : type(driver_type), addr(address), state(default_state(driver_type))
{
}

std::map<uint8_t, double> sim_board::default_state(int32_t driver_type)
{
    const family f = family_of(driver_type);
    std::map<uint8_t, double> s;
    if (is_cw(f)) {
        s = {{0x90, 0}, {0x91, 0}, {0x92, 25.0}, {0x94, 0}, {0x95, 3950}, {0x96, 10000},
             {0x97, 1.5}, {0xA1, 1}, {0xA4, 0}, {0xA5, 150.0}, {0xA6, 0}, {0xB0, 0},
             {0xB3, 1.5}, {0xB6, 15.0}, {0xB7, 35.0}};
        if (f == fam_cw_precise)
            s[0x92] = 25.125;
    } else if (f == fam_dcdc) {
        s = {{0x90, 0}, {0x91, 0}, {0x92, 30.0}, {0x94, 48.0}, {0xA6, 0}, {0xB0, 0},
             {0xA4, 0}, {0x99, 1000}, {0xA3, 100}};
    } else if (f == fam_power) {
        s = {{0x90, 0}, {0x91, 0}, {0x92, 31.5}, {0x94, 48.0}, {0xA4, 0}, {0xA5, 14.0},
             {0xA6, 0}, {0xB0, 0}};
    } else if (is_pulsed(f)) {
        s = {{0x92, 25.0}, {0x95, 3950}, {0x96, 10000}, {0x97, 1.5}, {0x98, 12.5},
             {0x99, f == fam_ns && driver_type != 21 ? 10 : 1000}, {0xA0, 0}, {0xA1, 1},
             {0xA2, 0}, {0xA4, 0}, {0xA5, 40.0}, {0xA6, 5.0}, {0xB3, 1.5}, {0xB4, 0},
             {0xB5, 0}, {0xB6, 15.0}, {0xB7, 35.0}};
        if (f == fam_ns)
            s[0xA3] = 20.0;
    }
    return s;
}

int32_t sim_board::driver_type() const { return type; }

int32_t sim_board::address() const
{
    QMutexLocker lock(&mutex);
    return addr;
}

void sim_board::set_address(int32_t address)
{
    QMutexLocker lock(&mutex);
    addr = address;
}

sim_board::reply_rule sim_board::rule(uint8_t read_code) const
{
    QMutexLocker lock(&mutex);
    return rule_locked(read_code);
}

sim_board::reply_rule sim_board::rule_locked(uint8_t code) const
{
    if (code == 0xD0 || code == 0xD1)
        return {kind_byte, 1};
    const family f = family_of(type);
    if (is_cw(f)) {
        const bool precise = f == fam_cw_precise;
        switch (code) {
        case 0x90: case 0xA1: return {kind_flag, 1};
        case 0x91: return {kind_scaled, precise ? 10000.0 : 10.0};
        case 0x92: return {kind_scaled, precise ? 10000.0 : 10.0};
        case 0x94: return {kind_scaled, 10};
        case 0x95: case 0x96: return {kind_raw, 1};
        case 0x97: return {kind_scaled, 100};
        case 0xA4: return {kind_byte, 1};
        // The current limits: tenths on the boards that answer the
        // temperature-limit requests (types 8 and 14), hundredths on 10, 15
        // and on the older 8 and 14 boards, which have no temperature limits.
        case 0xA5: case 0xA6: return {kind_scaled, precise || old ? 100.0 : 10.0};
        case 0xB0:
            if (type == 14 || type == 15)
                return {kind_byte, 1};
            return {};
        case 0xB3: return {kind_scaled, 10};
        case 0xB6: case 0xB7:
            if (old)
                return {};
            return {kind_scaled, precise ? 1000.0 : 10.0};
        default: return {};
        }
    }
    if (f == fam_dcdc) {
        switch (code) {
        case 0x90: return {kind_flag, 1};
        case 0x91: return {kind_scaled, 100};
        case 0x92: case 0x94: case 0xA6: return {kind_scaled, 10};
        case 0xB0: return {kind_byte, 1};
        case 0xA4: return type == 16 ? reply_rule{kind_byte, 1} : reply_rule{};
        case 0x99: case 0xA3: return type == 16 ? reply_rule{kind_raw, 1} : reply_rule{};
        default: return {};
        }
    }
    if (f == fam_power) {
        switch (code) {
        case 0x90: return {kind_flag, 1};
        case 0x91: case 0xA5: return {kind_scaled, 100};
        case 0x92: case 0x94: case 0xA6: return {kind_scaled, 10};
        case 0xA4: case 0xB0: return {kind_byte, 1};
        default: return {};
        }
    }
    if (is_pulsed(f)) {
        switch (code) {
        case 0x92: case 0x98: case 0xA5: case 0xA6: case 0xB3: case 0xB6: case 0xB7:
            return {kind_scaled, 10};
        case 0x97: return {kind_scaled, 100};
        case 0x95: case 0x96: case 0x99: case 0xB4: case 0xB5: return {kind_raw, 1};
        case 0xA0: case 0xA1: case 0xA2: return {kind_flag, 1};
        case 0xA4: return {kind_byte, 1};
        case 0xA3: return f == fam_ns ? reply_rule{kind_scaled, 10} : reply_rule{};
        default: return {};
        }
    }
    return {};
}

sim_board::set_rule sim_board::set_rule_of(uint8_t code) const
{
    const family f = family_of(type);
    if (code == 0x51)
        return {8, false, 1, 0xD1};
    if (is_cw(f)) {
        const bool precise = f == fam_cw_precise;
        switch (code) {
        case 0x10: return {8, false, 1, 0x90};
        case 0x11: return precise ? set_rule{32, true, 100, 0x91} : set_rule{16, false, 10, 0x91};
        case 0x12: return precise ? set_rule{32, true, 10000, 0x92} : set_rule{16, true, 10, 0x92};
        case 0x15: return {16, false, 1, 0x95};
        case 0x16: return {16, false, 1, 0x96};
        case 0x17: return {16, false, 100, 0x97};
        case 0x21: return {8, false, 1, 0xA1};
        case 0x24: return {8, false, 1, 0xA4};
        case 0x25: return {32, true, precise || old ? 100.0 : 10.0, 0xA5};
        case 0x26: return {32, true, precise || old ? 100.0 : 10.0, 0xA6};
        case 0x33: return {16, false, 10, 0xB3};
        case 0x36: return old ? set_rule{} : set_rule{16, true, precise ? 1000.0 : 10.0, 0xB6};
        case 0x37: return old ? set_rule{} : set_rule{16, true, precise ? 1000.0 : 10.0, 0xB7};
        default: return {};
        }
    }
    if (f == fam_dcdc) {
        switch (code) {
        case 0x10: return {16, false, 1, 0x90};
        case 0x11: return {16, false, 100, 0x91};
        case 0x29: return {-1, false, 1, 0xB0};
        case 0x19: return type == 16 ? set_rule{32, true, 1, 0x99} : set_rule{};
        case 0x23: return type == 16 ? set_rule{16, false, 1, 0xA3} : set_rule{};
        case 0x24: return type == 16 ? set_rule{8, false, 1, 0xA4} : set_rule{};
        default: return {};
        }
    }
    if (f == fam_power) {
        switch (code) {
        case 0x10: return {16, false, 1, 0x90};
        case 0x11: return {16, false, 100, 0x91};
        case 0x24: return {8, false, 1, 0xA4};
        case 0x25: return {16, false, 100, 0xA5};
        case 0x29: return {-1, false, 1, 0xB0};
        case 0x33: return {8, false, 1, 0};  // store the configuration
        default: return {};
        }
    }
    if (is_pulsed(f)) {
        switch (code) {
        case 0x12: return {16, true, 10, 0x92};
        case 0x15: return {16, false, 1, 0x95};
        case 0x16: return {16, false, 1, 0x96};
        case 0x17: return {16, false, 100, 0x97};
        case 0x18: return {16, false, 10, 0x98};
        case 0x19: return (type == 6 || type == 13) ? set_rule{16, false, 1, 0x99}
                                                    : set_rule{32, true, 1, 0x99};
        case 0x20: return {8, false, 1, 0xA0};
        case 0x21: return {8, false, 1, 0xA1};
        case 0x22: return {8, false, 1, 0xA2};
        case 0x23: return f == fam_ns ? set_rule{16, false, 10, 0xA3} : set_rule{};
        case 0x24: return {8, false, 1, 0xA4};
        case 0x25: return {16, false, 10, 0xA5};
        case 0x26: return {16, false, 10, 0xA6};
        case 0x34: return {16, false, 1, 0xB4};
        case 0x35: return {16, false, 1, 0xB5};
        case 0x36: return {16, true, 10, 0xB6};
        case 0x37: return {16, true, 10, 0xB7};
        default: return {};
        }
    }
    return {};
}

bool sim_board::handle_frame(const uint8_t data[8], uint8_t reply[8])
{
    QMutexLocker lock(&mutex);
    const uint8_t code = data[0];
    ++counts[code];
    ++total;
    if (data[1] || data[2] || data[3])
        ++bad_frames;

    if (code & 0x80) {
        // A request carries no value.
        if (data[4] || data[5] || data[6] || data[7])
            ++bad_frames;
        if (silent || (answer_turn >= 0 && counts[0xD0] % 2 != answer_turn))
            return false;
        const reply_rule r = rule_locked(code);
        if (r.kind == kind_none)
            return false;
        if (is_live && code == 0x92) {
            const double target = state[0x92];
            temperature_read += (target - temperature_read) * 0.3;
            if (std::fabs(target - temperature_read) < 0.01)
                temperature_read = target;
        }
        const uint32_t v = static_cast<uint32_t>(reply_integer_locked(code));
        reply[0] = code;
        reply[1] = static_cast<uint8_t>(addr);
        reply[2] = 0;
        reply[3] = 0;
        if (r.kind == kind_flag || r.kind == kind_byte) {
            reply[4] = reply[5] = reply[6] = 0;
            reply[7] = static_cast<uint8_t>(v);
        } else {
            reply[4] = static_cast<uint8_t>(v >> 24);
            reply[5] = static_cast<uint8_t>(v >> 16);
            reply[6] = static_cast<uint8_t>(v >> 8);
            reply[7] = static_cast<uint8_t>(v);
        }
        return true;
    }
    apply_set(code, data);
    return false; // commands are never acknowledged
}

void sim_board::apply_set(uint8_t code, const uint8_t data[8])
{
    const set_rule r = set_rule_of(code);
    if (r.width == 0)
        return;
    int32_t raw = 0;
    switch (r.width) {
    case -1:
        if (data[4] || data[5] || data[6] || data[7])
            ++bad_frames;
        break;
    case 8:
        if (data[4] || data[5] || data[6])
            ++bad_frames;
        raw = data[7];
        break;
    case 16: {
        // A 16-bit value never reaches into d4, d5, not even a negative one.
        if (data[4] || data[5])
            ++bad_frames;
        const uint16_t u = static_cast<uint16_t>((data[6] << 8) | data[7]);
        raw = r.is_signed ? static_cast<int16_t>(u) : static_cast<int32_t>(u);
        break;
    }
    case 32:
        raw = static_cast<int32_t>((uint32_t(data[4]) << 24) | (uint32_t(data[5]) << 16)
                                   | (uint32_t(data[6]) << 8) | uint32_t(data[7]));
        break;
    }
    last_sets[code] = raw;

    if (code == 0x51) {
        addr = raw;
        return;
    }
    if (code == 0x29) {
        state[0xB0] = 0;
        return;
    }
    if (r.target == 0) {
        ++save_count;
        return;
    }
    const reply_rule rr = rule_locked(r.target);
    if (rr.kind == kind_flag)
        state[r.target] = raw != 0 ? 1 : 0;
    else
        state[r.target] = raw / r.scale;
}

double sim_board::value(uint8_t read_code) const
{
    QMutexLocker lock(&mutex);
    if (read_code == 0xD0)
        return type;
    if (read_code == 0xD1)
        return addr;
    auto it = state.find(read_code);
    return it == state.end() ? 0.0 : it->second;
}

void sim_board::set_value(uint8_t read_code, double v)
{
    QMutexLocker lock(&mutex);
    state[read_code] = v;
}

int32_t sim_board::reply_integer(uint8_t read_code) const
{
    QMutexLocker lock(&mutex);
    return reply_integer_locked(read_code);
}

int32_t sim_board::reply_integer_locked(uint8_t code) const
{
    auto ov = overrides.find(code);
    if (ov != overrides.end())
        return ov->second;
    if (code == 0xD0)
        return type & 0xFF;
    if (code == 0xD1)
        return addr & 0xFF;
    const reply_rule r = rule_locked(code);
    const double v = reading_locked(code);
    switch (r.kind) {
    case kind_flag: return v != 0 ? 1 : 0;
    case kind_byte: return saturate(v) & 0xFF;
    case kind_scaled: return saturate(v * r.scale);
    case kind_raw: return saturate(v);
    default: return 0;
    }
}

double sim_board::reading_locked(uint8_t code) const
{
    auto stored = [this](uint8_t c) {
        auto it = state.find(c);
        return it == state.end() ? 0.0 : it->second;
    };
    if (!is_live)
        return stored(code);
    const family f = family_of(type);
    if (code == 0x92)
        return temperature_read;
    if (is_pulsed(f))
        return stored(code); // the voltage reads its set point; the host hides it while off
    const double current = stored(0x90) != 0 ? stored(0x91) : 0.0;
    if (code == 0x91)
        return current;
    if (is_cw(f) && code == 0x94)
        return current * live_power_per_ma;
    if (f == fam_dcdc && code == 0xA6)
        return current * live_dcdc_load_ohms;
    if (f == fam_power && code == 0xA6)
        return current * live_power_load_ohms;
    return stored(code);
}

void sim_board::set_live(bool l)
{
    QMutexLocker lock(&mutex);
    is_live = l;
    auto it = state.find(0x92);
    temperature_read = it == state.end() ? 0.0 : it->second;
}

bool sim_board::live() const
{
    QMutexLocker lock(&mutex);
    return is_live;
}

void sim_board::set_silent(bool s)
{
    QMutexLocker lock(&mutex);
    silent = s;
}

void sim_board::set_answer_turn(int turn)
{
    QMutexLocker lock(&mutex);
    answer_turn = turn;
}

bool sim_board::set_old_units(bool o)
{
    if (family_of(type) != fam_cw)
        return false;
    QMutexLocker lock(&mutex);
    old = o;
    return true;
}

bool sim_board::old_units() const
{
    QMutexLocker lock(&mutex);
    return old;
}

void sim_board::set_faults(uint8_t fault_byte)
{
    QMutexLocker lock(&mutex);
    state[0xB0] = fault_byte;
}

void sim_board::set_raw_override(uint8_t read_code, int32_t raw)
{
    QMutexLocker lock(&mutex);
    overrides[read_code] = raw;
}

void sim_board::clear_raw_overrides()
{
    QMutexLocker lock(&mutex);
    overrides.clear();
}

int sim_board::received(uint8_t code) const
{
    QMutexLocker lock(&mutex);
    auto it = counts.find(code);
    return it == counts.end() ? 0 : it->second;
}

int sim_board::received_total() const
{
    QMutexLocker lock(&mutex);
    return total;
}

int32_t sim_board::last_set_integer(uint8_t set_code) const
{
    QMutexLocker lock(&mutex);
    auto it = last_sets.find(set_code);
    return it == last_sets.end() ? 0 : it->second;
}

int sim_board::protocol_errors() const
{
    QMutexLocker lock(&mutex);
    return bad_frames;
}

int sim_board::saved_configs() const
{
    QMutexLocker lock(&mutex);
    return save_count;
}
