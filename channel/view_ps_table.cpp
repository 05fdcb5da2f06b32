#include "channel/laser_object.h"

void laser_object::ps_table_view_update() {}
