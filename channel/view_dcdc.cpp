#include "channel/laser_object.h"

void laser_object::dcdc_view_update() {}
