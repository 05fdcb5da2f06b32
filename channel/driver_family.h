#pragma once

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
