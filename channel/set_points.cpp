#include "channel/laser_object.h"

void laser_object::current_target_update(double) {}
void laser_object::temp_target_update(double) {}
void laser_object::volt_target_update(double) {}
void laser_object::freq_range_update(int) {}
void laser_object::freq_target_update(int) {}
void laser_object::freq_ps20_target_update(double) {}
void laser_object::dcdc_freq_target_update(double) {}
void laser_object::pulse_width_target_update(double) {}
void laser_object::mode_update(int) {}
void laser_object::pulse_gated_target_update(double) {}
void laser_object::pulse_cutted_target_update(double) {}
void laser_object::sl_single_step_change(int) {}
