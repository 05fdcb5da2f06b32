#include "comm/ns_data.h"

#include "comm/pulsed_common.h"

ns_data::ns_data()
{
    pulsed_common::fill_mode_names(mode_names);
}

void ns_data::handle_rx(const serial_message_struct *msg)
{
    if (!msg || pulsed_common::decode_reply(*this, *msg))
        return;
    if (msg->data[0] == cmd_get_pulse_width) {
        pulse_width = value_encoding::reply_scaled(*msg, 10.0f);
        if (first_read_width == 1) {
            pulse_width_target = pulse_width;
            first_read_width = 2;
        }
    }
}
