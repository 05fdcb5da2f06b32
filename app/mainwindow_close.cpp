#include "app/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIntValidator>
#include <QMessageBox>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <utility>

#include "channel/command_guard.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "params/laser_params.h"

namespace {

constexpr int max_turn_off_passes = 100;

} // namespace

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Asked for inside a command's waits, or while a disconnect asks and
    // switches off: carried out once that has finished. Run inside them, the
    // question would miss what the command is turning on, the command would
    // go on after the answer, and its next wait would drop the quit that the
    // closed window posts, leaving the program running without a window.
    if (!unattended_close && (command_under_way() || disconnecting)) {
        close_held = true;
        event->ignore();
        return;
    }
    // Otherwise left accepted: the window closes whatever the answer.
    close_held = false;
    closing = true;
    if (!unattended_close)
        ask_turn_off_outputs(QStringLiteral("quit"));
    closing = false;
    for (laser_object *channel : lasers)
        channel->worker->stop_polling();
    write_settings();
}

bool MainWindow::command_under_way() const
{
    return commands_under_way::instance().any();
}

void MainWindow::run_held_requests()
{
    if (command_under_way() || closing || disconnecting)
        return;
    if (close_held) {
        // The close asks its own question and closes the link: a disconnect
        // held with it has nothing left to do but end auto-connection.
        if (std::exchange(disconnect_held, false))
            end_auto_connection();
        close();
    } else if (disconnect_held) {
        disconnect_held = false;
        // The link went down meanwhile: nothing to ask or close, but the
        // operator asked for no more connections.
        if (connected)
            disconnect_by_user();
        else
            end_auto_connection();
        run_held_requests(); // a close asked for during the disconnect
    }
}

void MainWindow::close_unattended()
{
    unattended_close = true;
    // A close already under way (its question open) is not run twice: the
    // exit below ends its box, and it goes on from there.
    close();
    // Every event loop returns, nested ones (a box, a wait) at once, the
    // main one also while the parameters window is still shown.
    QCoreApplication::exit(0);
}

void MainWindow::ask_turn_off_outputs(QString action)
{
    // A close right after the operator's disconnect (held behind it) could
    // send nothing: no question, and no false "Connection lost" box.
    if (!connected || link_closing)
        return;
    bool any_on = false;
    for (int i = 0; i < channel_total && !any_on; ++i)
        any_on = lasers[i]->output_to_turn_off();
    if (!any_on)
        return;

    const QString question = QLatin1String("Do you want to turn off outputs before ") + action + QLatin1Char('?');
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, QStringLiteral("Confirmation"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    if (answer != QMessageBox::Yes) {
        qDebug("Yes was *not* clicked");
        return;
    }
    qDebug("Yes was clicked");
    // No wait between passes: a flag clears only when a board's reply is
    // decoded during the short waits inside laser_off. The link may go down
    // in those waits (or while the question was open): then nothing more can
    // reach the boards, and the passes stop.
    for (int pass = 0; pass < max_turn_off_passes && connected; ++pass) {
        bool sent = false;
        for (int i = 0; i < channel_total && connected; ++i) {
            if (lasers[i]->output_to_turn_off()) {
                lasers[i]->laser_off();
                // Sent on a live link: an output counted as on only until
                // its board reported it is not counted again.
                if (connected)
                    lasers[i]->outputs_switched_on = 0;
                sent = true;
            }
        }
        if (!sent)
            break;
    }
    if (!connected)
        report_outputs_left_on();
}

// The operator answered Yes and must not leave believing the lasers are off.
void MainWindow::report_outputs_left_on()
{
    QStringList left_on;
    for (int i = 0; i < channel_total; ++i) {
        if (!lasers[i]->output_to_turn_off())
            continue;
        QString channel = QStringLiteral("channel %1").arg(i + 1);
        if (!lasers[i]->channel_name.isEmpty())
            channel += QStringLiteral(" (%1)").arg(lasers[i]->channel_name);
        left_on << channel;
    }
    if (left_on.isEmpty())
        return;
    const QString text = QStringLiteral("Connection lost: the off command could not be sent to %1.")
                             .arg(left_on.join(QStringLiteral(", ")));
    qDebug().noquote() << text;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("WARNING"), text, QMessageBox::Ok, this);
    box.exec();
}

void MainWindow::end_threads()
{
    if (threads_ended)
        return;
    threads_ended = true;
    view_update_timer->stop();
    reconnect_timer->stop();
    heartbeat_timer->stop();

    // The destructor cuts a worker's sleeps short and joins its thread.
    for (laser_object *channel : lasers) {
        delete channel->worker;
        channel->worker = nullptr;
    }

    // Queued after every frame already sent, so the turn-off frames go out
    // first; then "C" and the close, on the thread that owns the port (the
    // disconnect drains what is queued before its "C", bounded in time).
    serial_object *link = serial_obj;
    QMetaObject::invokeMethod(
        link,
        [link] {
            link->sl_disconnect_serial();
            link->deleteLater();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    serial_thread->wait();
    delete serial_thread;
    serial_thread = nullptr;
    serial_obj = nullptr;
    // Answers the link queued for this window on its way out.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);

    // The parameters window must not refresh from a channel freed here.
    if (laser_params_window) {
        for (laser_object *channel : lasers) {
            if (laser_params_window->channel == channel) {
                laser_params_window->active = 0;
                laser_params_window->channel = nullptr;
            }
        }
    }
    for (laser_object *&channel : lasers) {
        delete channel;
        channel = nullptr;
    }
    delete view_update_timer;
    delete reconnect_timer;
    delete heartbeat_timer;
    view_update_timer = reconnect_timer = heartbeat_timer = nullptr;
    delete can_id_validator;
    delete baud_validator;
    can_id_validator = baud_validator = nullptr;
    delete settings;
    settings = nullptr;
}
