#include "channel/laser_object.h"

void laser_object::view_update() {}
