#include "channel/laser_object.h"

void laser_object::power_view_update() {}
