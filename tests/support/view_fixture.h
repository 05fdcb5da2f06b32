#pragma once

#include <QString>

#include "app/resources.h"
#include "support/channel_fixture.h"
#include "support/modal_answer.h"

// A channel controller on the first page of the real main form, for the
// page-view tests: the form is built once per test program, the controller
// anew for every test function.
struct view_fixture {
    form_fixture::built_form form;
    channel_fixture::controller ch;
    // A box opened by a page in the middle of a tick must not hang a test.
    modal_answer boxes;

    void build_form()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
    }

    void new_channel()
    {
        ch = channel_fixture::make(channel_fixture::page(form, 0));
        ch->channel_name = QStringLiteral("Bench 1");
    }

    // As the reply decoder leaves a change of driver type.
    void change_type(int32_t type)
    {
        ch->worker->device_type = type;
        ch->worker->type_changed = true;
    }
};
