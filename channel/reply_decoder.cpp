#include "channel/laser_object.h"

void laser_object::handle_rx_can_message(const serial_message_struct *) {}
