#include "channel/laser_object.h"

#include "comm/laser_worker.h"

// Placeholder until the page binding lands: makes the worker and hands the
// address to the seven records, binds nothing.
laser_object::laser_object(QObject *parent, int32_t address, QWidget *page_widget)
    : QObject(parent), page(page_widget)
{
    worker = new laser_worker();
    can_address = address;
    worker->cw_record.can_address = address;
    worker->ps_table_record.can_address = address;
    worker->ns_table_record.can_address = address;
    worker->dcdc_record.can_address = address;
    worker->power_record.can_address = address;
    worker->ps_record.can_address = address;
    worker->ns_record.can_address = address;
}

laser_object::~laser_object() = default;
