#include "app/mainwindow.h"

#include <QLabel>

#include "channel/driver_family.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "forms/mainwindow_form.h"

namespace {

// A channel with this address takes every frame.
constexpr uint32_t broadcast_address = 250;

} // namespace

void MainWindow::handle_rx_can_message(serial_message_struct sm)
{
    // Counted here, shown at the view tick with everything else: setting
    // the label's text for every frame cost more than routing the frame.
    ++rx_frame_counter;
    const bool mini_usb = lasers[0]->worker->mini_usb.load();
    // d1 is the replying board's address; a whole 32-bit comparison, so a
    // negative channel address never matches.
    const uint32_t address = sm.data[1];
    for (int i = 0; i < channel_total; ++i) {
        laser_object *channel = lasers[i];
        const bool takes = int64_t(address) == channel->can_address ||
                           channel->can_address == int32_t(broadcast_address) || (i == 0 && mini_usb);
        if (takes)
            channel->handle_rx_can_message(&sm);
    }
}

void MainWindow::sl_device_heartbeat_timer()
{
    for (int i = 0; i < channel_total; ++i) {
        laser_object *channel = lasers[i];
        laser_worker *w = channel->worker;
        const bool answered = w->heartbeat.load();
        if (!answered)
            w->device_type.store(-1);
        found_silent[i] = !answered && polled_since_check[i];
        polled_since_check[i] = channel_polled(i);
        w->heartbeat.store(false);
        channel->forget_unheard_outputs();
    }
}

bool MainWindow::channel_polled(int index) const
{
    const laser_worker *w = lasers[index]->worker;
    return connected && w->running.load() && (w->main_poll.load() || w->detail_poll.load());
}

void MainWindow::note_polling()
{
    for (int i = 0; i < channel_total; ++i) {
        if (!channel_polled(i))
            polled_since_check[i] = found_silent[i] = false;
    }
}

bool MainWindow::channel_output_on(int index) const
{
    // Every family's flag counts, whatever the current driver type: a flag
    // left set in an earlier type's record still means the output may be on.
    return any_output_flag(*lasers[index]->worker);
}

void MainWindow::view_update_timer_slot()
{
    ui->label->setText(QString::number(rx_frame_counter));
    bool output_on = false;
    for (int i = 0; i < channel_total; ++i) {
        lasers[i]->view_update();
        if (channel_output_on(i))
            output_on = true;
    }
    if (output_on) {
        ui->emitting_label->setText(QStringLiteral("Emission: ON"));
        ui->emit_on->show();
        ui->emit_off->hide();
    } else {
        ui->emitting_label->setText(QStringLiteral("Emission: OFF"));
        ui->emit_on->hide();
        ui->emit_off->show();
    }
}
