#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <cstdint>

#include "comm/serial_structs.h"

class QCloseEvent;
class QEvent;
class QIntValidator;
class QSettings;
class QThread;
class QTimer;
class Ui_MainWindow;
class laser_object;
class laser_params;
class serial_object;

// The program's main window: it builds the form, applies the brand, reads
// and writes the settings file, runs the serial link on a thread of its own,
// creates the ten channel controllers, carries the Settings page into them,
// routes every received frame to the channels it addresses, watches device
// presence, redraws the pages twice a second and closes in order.
//
// One class, split by job over several files: construction and wiring
// (mainwindow.cpp), channels and system configuration (mainwindow_channels),
// connection (mainwindow_connection), mini-USB mode (mainwindow_mini_usb),
// routing and refresh (mainwindow_routing), settings (mainwindow_settings),
// branding (branding), close and the end of the threads (mainwindow_close),
// the parameters window (mainwindow_params_handover).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int channel_total = 10;
    static constexpr int view_update_period_ms = 500;
    static constexpr int reconnect_period_ms = 300;
    static constexpr int heartbeat_period_ms = 4000;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Set by main right after construction; nothing reads it earlier.
    laser_params *laser_params_window = nullptr;
    QString portname;
    QString portspeed;
    bool auto_connection = false;
    QThread *serial_thread = nullptr;
    serial_object *serial_obj = nullptr;
    serial_conf_struct serial_conf;
    bool connected = false;
    laser_object *lasers[channel_total] = {};
    int32_t laser_count = 0;
    QTimer *view_update_timer = nullptr;
    QTimer *reconnect_timer = nullptr;
    QTimer *heartbeat_timer = nullptr;
    Ui_MainWindow *ui = nullptr;
    QSettings *settings = nullptr;
    // The file was there at start but could not be read: the close leaves it be.
    bool settings_unreadable = false;

    // The "enabled" boxes as they stood when mini-USB mode was last switched on.
    bool saved_channel_enabled[channel_total] = {};
    // Frames received since start; 64 bits, so it cannot wrap in any run.
    uint64_t rx_frame_counter = 0;
    // What the system's serial devices looked like when the port list was
    // last built (empty: unknown, build it at the next tick).
    QByteArray listed_devices;

    // Replaces the file with these bytes in one step, every write and the
    // flush checked: whole, or not at all, and no temporary file left.
    static bool write_whole(const QString &path, const QByteArray &bytes);

    void add_laser_channel(int32_t address, QWidget *page);
    void apply_system_configuration();
    void refresh_serial_ports();
    void ask_turn_off_outputs(QString action);
    // After a Yes that the link's loss cut short: a box (and a debug line)
    // naming the channels whose outputs are still reported on.
    void report_outputs_left_on();

    // The orderly end, run by main once the event loop has returned (and by
    // the destructor if nobody did): stops and joins the ten workers, lets
    // the serial thread write what is queued, sends "C", closes the port and
    // joins that thread, then frees what the constructor made.
    void end_threads();

    // The close when nobody is there to answer (a quit signal): as every
    // close, but without the turn-off question; it also ends any box or wait
    // still open and the event loop, with exit code 0.
    void close_unattended();

    // True when any of the seven output flags of a channel's records is set.
    bool channel_output_on(int index) const;
    // The channel's board is asked for its type on the live link now.
    bool channel_polled(int index) const;
    // True while a command (a channel's sends, a set sequence of the
    // parameters window) is under way, in one of its waits.
    bool command_under_way() const;

signals:
    void sig_connect_serial();
    void sig_disconnect_serial();
    void sig_serial_conf(serial_conf_struct conf);
    void key_event(QObject *);

public slots:
    void laser_tab_button_click();
    void handle_rx_can_message(serial_message_struct sm);
    void view_update_timer_slot();
    void reconnect_timer_slot();
    void sl_device_heartbeat_timer();
    void sl_serial_connected();
    void sl_serial_disconnected();
    void on_connect_button_2_clicked();
    void show_laser_conf_dialog_slot(int idx);
    void sl_laser_conf_dialog_is_hided();
    // Carries out a close or a disconnect held back while a command was
    // being sent (or a close held while a disconnect ran), once nothing of
    // the kind is under way any more.
    void run_held_requests();

private slots:
    void on_main_menu_butt_2_clicked();
    void on_main_menu_butt_clicked();
    void on_connection_mode_clicked();
    void on_pushButton_clicked();
    void on_serial_refresh_button_clicked();
    void on_mini_usb_mode_checkbox_clicked();
    void on_main_menu_butt_3_clicked();
    // The seed-laser page's button: bound by name like the others, does nothing.
    void on_connect_button_clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void read_settings();
    void read_mini_usb_setting();
    void write_settings();
    // The new file composed in a temporary folder made in `folder`, from the
    // file's bytes now, and read back whole: its bytes, or empty.
    QByteArray composed_settings(const QString &folder, const QByteArray &before) const;
    // The 35 keys the close writes, in their order.
    void write_keys(QSettings &to) const;
    // The parameters window's close and frames, connected at its first
    // opening and never again.
    void connect_params_window();
    // After a connection: while the parameters window is open, only its
    // channel polls, and only its parameter list.
    void keep_params_window_polling();
    void start_connection_attempt();
    // The operator's disconnect: the turn-off question, then the link closed.
    void disconnect_by_user();
    // Auto-connection off, as the operator's disconnect leaves it.
    void end_auto_connection();
    // After the poll flags changed: a channel no longer polled has its
    // presence to prove afresh.
    void note_polling();
    void select_menu_page(int index);

    QIntValidator *can_id_validator = nullptr;
    QIntValidator *baud_validator = nullptr;
    bool threads_ended = false;
    bool unattended_close = false;
    // Requests held until the command under way has ended.
    bool close_held = false;
    bool disconnect_held = false;
    // The question or the turn-off passes of a close or a disconnect are running.
    bool closing = false;
    bool disconnecting = false;
    // The operator's disconnect has been sent to the link: a frame sent now
    // queues behind it and never reaches a board.
    bool link_closing = false;
    // Per channel: polled on the live link without a break since the last
    // presence check (or the connection); and found silent by a check that
    // ended such a period. Only the latter says that a board does not answer:
    // a "No device" left from a dead link, or of a channel nobody polls,
    // says nothing of its board.
    bool polled_since_check[channel_total] = {};
    bool found_silent[channel_total] = {};
};
