#include "channel/laser_object.h"

#include <QWidget>

#include "comm/laser_worker.h"

laser_object::laser_object(QObject *parent, int32_t address, QWidget *page_widget)
    : QObject(parent), page(page_widget)
{
    // A missing page (or a widget missing from it) leaves its members null.
    bind_page();

    // Not started here: the main window starts polling once the link is up.
    worker = new laser_worker();

    can_address = address;
    worker->set_records_address(address);

    // The first view tick shows the container of the reported driver type.
    if (cw_widget)
        cw_widget->hide();
    if (ps_ns_widget)
        ps_ns_widget->hide();
}

// The worker outlives its controller: the main window owns its polling.
laser_object::~laser_object() = default;
