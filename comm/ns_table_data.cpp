#include "comm/ns_table_data.h"

#include "comm/pulsed_common.h"

ns_table_data::ns_table_data()
{
    pulsed_common::fill_ns_table(freq_table);
    pulsed_common::fill_mode_names(mode_names);
}
