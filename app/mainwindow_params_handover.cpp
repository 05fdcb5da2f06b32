#include "app/mainwindow.h"

#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "params/laser_params.h"

// The window is opened many times in a run but each of its signals must
// reach its receiver once: a second frame connection would write every set
// command twice, a second close connection would apply the configuration
// twice. Unique connections make every opening after the first add nothing.
void MainWindow::connect_params_window()
{
    connect(laser_params_window, SIGNAL(sig_laser_conf_dialog_is_hided()), this,
            SLOT(sl_laser_conf_dialog_is_hided()), Qt::UniqueConnection);
    // Queued to the serial thread, which alone touches the port.
    connect(laser_params_window, &laser_params::sig_thread_serial_write, serial_obj, &serial_object::sl_write_to_port,
            Qt::UniqueConnection);
}

namespace {

// Nothing polls until the caller says which channels do.
void stop_all_polling(laser_object *const (&lasers)[MainWindow::channel_total])
{
    for (laser_object *channel : lasers) {
        channel->worker->main_poll.store(false);
        channel->worker->detail_poll.store(false);
    }
}

} // namespace

// Opening the parameters window on channel idx: only that channel's board is
// asked anything, and only for its stored parameters, so the window's set
// commands meet a quiet bus.
void MainWindow::show_laser_conf_dialog_slot(int idx)
{
    if (!laser_params_window || idx < 0 || idx >= laser_count)
        return;
    connect_params_window();
    laser_params_window->active = 1;
    stop_all_polling(lasers);
    laser_params_window->channel = lasers[idx];
    lasers[idx]->worker->detail_poll.store(true);
    note_polling();
    // The inputs start from the values last decoded for this channel.
    laser_params_window->load_spin_boxes();
    laser_params_window->show();
}

// The window has closed: every enabled channel returns to main polling, as
// the Settings page says now.
void MainWindow::sl_laser_conf_dialog_is_hided()
{
    stop_all_polling(lasers);
    apply_system_configuration();
}

// A connection made while the window is open (the link lost and found
// again, or a repeated answer for the port already open) has just applied
// the configuration, which sets main polling: the window's channel alone
// goes back to its parameter list, as the opening left it.
void MainWindow::keep_params_window_polling()
{
    if (!laser_params_window || !laser_params_window->isVisible() || !laser_params_window->channel)
        return;
    laser_object *const shown = laser_params_window->channel;
    stop_all_polling(lasers);
    for (laser_object *channel : lasers)
        if (channel == shown)
            channel->worker->detail_poll.store(true);
    note_polling();
}
