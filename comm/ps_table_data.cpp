#include "comm/ps_table_data.h"

#include "comm/pulsed_common.h"

ps_table_data::ps_table_data()
{
    pulsed_common::fill_ps_table(freq_table);
    pulsed_common::fill_mode_names(mode_names);
}
