#include "channel/laser_object.h"

void laser_object::cw_view_update() {}
