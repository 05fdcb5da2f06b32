#pragma once

#include <array>
#include <cstdint>

#include "comm/laser_worker.h"

// The driver types grouped by the record that serves them. Every operation
// of the channel control picks its family here, from the type read at that
// moment, so a type reported in the middle of a command counts from the next
// operation on.
enum class driver_family {
    none,       // 0, -1 and every type without a record
    cw,         // 8, 14
    cw_precise, // 10, 15
    dcdc,       // 11, 16
    power,      // 18
    ps_table,   // 7
    ns_table,   // 6, 13
    ps,         // 20
    ns,         // 21
};

inline driver_family family_of(int32_t type)
{
    switch (type) {
    case 8:
    case 14:
        return driver_family::cw;
    case 10:
    case 15:
        return driver_family::cw_precise;
    case 11:
    case 16:
        return driver_family::dcdc;
    case 18:
        return driver_family::power;
    case 7:
        return driver_family::ps_table;
    case 6:
    case 13:
        return driver_family::ns_table;
    case 20:
        return driver_family::ps;
    case 21:
        return driver_family::ns;
    default:
        return driver_family::none;
    }
}

// A family's bit in a set of families.
constexpr uint32_t family_bit(driver_family f)
{
    return 1u << uint32_t(f);
}

inline bool is_cw(driver_family f)
{
    return f == driver_family::cw || f == driver_family::cw_precise;
}

// Runs fn on the pulsed record of family f (types 7, 6, 13, 20, 21); false,
// and nothing run, for the other families.
template <typename fn_t>
bool visit_pulsed(laser_worker &w, driver_family f, fn_t &&fn)
{
    switch (f) {
    case driver_family::ps_table:
        fn(w.ps_table_record);
        return true;
    case driver_family::ns_table:
        fn(w.ns_table_record);
        return true;
    case driver_family::ps:
        fn(w.ps_record);
        return true;
    case driver_family::ns:
        fn(w.ns_record);
        return true;
    default:
        return false;
    }
}

// The same for the two NS records, the pulsed ones with a pulse width.
template <typename fn_t>
bool visit_ns(laser_worker &w, driver_family f, fn_t &&fn)
{
    if (f == driver_family::ns_table)
        fn(w.ns_table_record);
    else if (f == driver_family::ns)
        fn(w.ns_record);
    return f == driver_family::ns_table || f == driver_family::ns;
}

// The record family whose output flag a family's replies write: the two CW
// families share theirs.
inline driver_family flag_family(driver_family f)
{
    return f == driver_family::cw_precise ? driver_family::cw : f;
}

struct family_output_flag {
    driver_family family;
    uint8_t *flag;
};

// Every family's output flag in the worker's records.
inline std::array<family_output_flag, 7> family_output_flags(laser_worker &w)
{
    return {{{driver_family::cw, &w.cw_record.output_on},
             {driver_family::dcdc, &w.dcdc_record.output_on},
             {driver_family::power, &w.power_record.output_on},
             {driver_family::ps_table, &w.ps_table_record.emission_on},
             {driver_family::ps, &w.ps_record.emission_on},
             {driver_family::ns_table, &w.ns_table_record.emission_on},
             {driver_family::ns, &w.ns_record.emission_on}}};
}

// Some family's output flag is set, whatever the board's type now.
inline bool any_output_flag(laser_worker &w)
{
    for (const family_output_flag &r : family_output_flags(w))
        if (*r.flag)
            return true;
    return false;
}

// The output flag of family f; none for the types without an output.
inline uint8_t *output_flag_of(laser_worker &w, driver_family f)
{
    for (const family_output_flag &r : family_output_flags(w))
        if (r.family == flag_family(f))
            return r.flag;
    return nullptr;
}
