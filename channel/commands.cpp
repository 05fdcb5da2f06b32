#include "channel/laser_object.h"

void laser_object::laser_current_butt_clicked() {}
void laser_object::laser_temperature_butt_clicked() {}
void laser_object::laser_frequency_butt_clicked() {}
void laser_object::laser_tec_on_off_butt_clicked() {}
void laser_object::laser_las_on_off_butt_clicked() {}
void laser_object::laser_off() {}
void laser_object::laser_pulse_width_butt_clicked() {}
void laser_object::laser_voltage_butt_clicked() {}
void laser_object::laser_volt_on_off_butt_clicked() {}
void laser_object::laser_volt_on_off(bool) {}
void laser_object::mode_butt_clicked() {}
void laser_object::laser_pulse_gated_butt_clicked() {}
void laser_object::laser_pulse_cutted_butt_clicked() {}
void laser_object::config_button_clicked() {}
void laser_object::fail_detail_butt_clicked() {}
void laser_object::err_clr_butt_clicked() {}
void laser_object::sl_cw_mode_update(int) {}
void laser_object::sl_return_key_pressed_on_spinbox(QObject *) {}
