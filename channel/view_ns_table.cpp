#include "channel/laser_object.h"

void laser_object::ns_table_view_update() {}
