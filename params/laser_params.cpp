#include "params/laser_params.h"

laser_params::laser_params(QWidget *parent) : QMainWindow(parent) {}

laser_params::~laser_params() = default;

void laser_params::load_spin_boxes() {}
