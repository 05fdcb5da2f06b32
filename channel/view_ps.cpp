#include "channel/laser_object.h"

void laser_object::ps_view_update() {}
