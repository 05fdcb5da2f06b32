#include "comm/ps_data.h"

#include "comm/pulsed_common.h"

ps_data::ps_data()
{
    pulsed_common::fill_mode_names(mode_names);
}

void ps_data::handle_rx(const serial_message_struct *msg)
{
    if (msg)
        pulsed_common::decode_reply(*this, *msg);
}
