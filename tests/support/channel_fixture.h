#pragma once

#include <QMainWindow>
#include <QWidget>

#include <memory>

#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "form_fixture.h"

// Channel controllers on the pages of the real main form. The program keeps
// its controllers and workers for the whole run; a test deletes both.
namespace channel_fixture {

struct controller_deleter {
    void operator()(laser_object *o) const
    {
        delete o->worker;
        delete o;
    }
};
using controller = std::unique_ptr<laser_object, controller_deleter>;

inline QWidget *page(const form_fixture::built_form &form, int index)
{
    return form.window->findChild<QWidget *>(form_fixture::page_widget_name(index));
}

inline controller make(QWidget *page_widget, int32_t address = 5)
{
    return controller(new laser_object(nullptr, address, page_widget));
}

} // namespace channel_fixture
