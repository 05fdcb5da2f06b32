#include "channel/laser_object.h"

void laser_object::view_update() {}

void laser_object::show_no_device_page() {}
void laser_object::switch_container(QWidget *, QWidget *) {}
void laser_object::set_tab_text(const QString &, const QStringList &, const QString &) {}
QString laser_object::number_text(double, int, const QString &) { return QString(); }
void laser_object::set_bar(QProgressBar *, float, float, float) {}
void laser_object::show_output_state(bool, QPushButton *, QLabel *) {}
