#include "channel/laser_object.h"

void laser_object::ns_view_update() {}
