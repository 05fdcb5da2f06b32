#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>

class QCloseEvent;
class QTimer;
class laser_object;
class laser_worker;
class Ui_laser_params;

// The device-parameters window: shows and sets the stored parameters of one
// channel's board. One instance for the whole run, made hidden at start-up;
// the main window hands it a channel (active, channel) and shows it. From the
// first hand-over on it refreshes itself every 40 ms from that channel's
// record, shown or hidden. Everything here runs on the GUI thread.
class laser_params : public QMainWindow
{
    Q_OBJECT

public:
    explicit laser_params(QWidget *parent = nullptr);
    ~laser_params() override;

    // Written by the main window's hand-over.
    int32_t active = 0;
    laser_object *channel = nullptr;

    // Copies the board's parameters of the shown channel into the inputs.
    void load_spin_boxes();
    // Waits ms milliseconds while the GUI thread goes on serving events.
    void delay_ms(int ms);

signals:
    void sig_laser_conf_dialog_is_hided();
    void sig_thread_serial_write(QByteArray data);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void on_write_button_clicked();
    void view_update_timer_slot();
    void on_res_set_but_clicked();
    void on_bet_set_but_clicked();
    void on_mon_set_but_clicked();
    void on_cur_max_set_but_clicked();
    void on_cur_min_set_but_clicked();
    void on_vol_max_set_but_clicked();
    void on_vol_min_set_but_clicked();
    void on_temp_max_set_but_clicked();
    void on_temp_min_set_but_clicked();
    void on_can_set_but_clicked();
    void on_max_tec_curr_set_but_clicked();
    void on_TEC_checkbox_clicked(bool checked);
    void on_save_btn_clicked();

private:
    QTimer *view_timer = nullptr;
    // What the last refresh wrote to the window, shared by all driver types:
    // a difference from the record means the board changed a value.
    int32_t last_res = 0;
    int32_t last_beta = 0;
    float last_mon = 0.0f;
    float last_cur_min = 0.0f;
    float last_cur_max = 0.0f;
    float last_vol_min = 0.0f;
    float last_vol_max = 0.0f;
    float last_temp_min = 0.0f;
    float last_temp_max = 0.0f;
    float last_max_tec_curr = 0.0f;
    Ui_laser_params *ui = nullptr;
    // Counts the closes, so that a set sequence can tell whether the window
    // was closed (and the poll flags taken back) while it was sending.
    uint32_t close_count = 0;

    // Per-type views of the refresh.
    void cw_view_update();
    void power_view_update();
    void ns_table_view_update();
    void ns_view_update();
    void ps_table_view_update();
    void ps_view_update();
    // The four pulsed views differ only in record and title.
    template <typename record_t>
    void pulsed_view_update(const record_t &record, const char *title_suffix);
    // Value labels, inputs and cache fields that the CW and pulsed records share.
    template <typename record_t>
    void show_shared(const record_t &record);
    template <typename record_t>
    void store_shared(const record_t &record);
    template <typename record_t>
    void load_shared(const record_t &record);
    template <typename record_t>
    void load_pulsed(const record_t &record);
    // The TEC check box from the board's TEC limit, and the limit's input
    // when the box is checked.
    void load_tec_limit(float tec_current_max);
    // Sets only the inputs whose board value differs from the cache: an
    // unsent edit in any other input stays.
    template <typename record_t>
    void reload_changed_shared(const record_t &record);

    // Which parameter rows a view shows; the TEC row follows the check box.
    enum row_set : int { cw_rows, power_rows, pulsed_rows, dcdc_rows };
    void show_rows(row_set rows);
    void set_title(const QString &suffix);

    // Builds the command's frame for the channel's driver type into buf/len;
    // false when the type is not served or the value does not fit its field.
    using frame_builder = std::function<bool(laser_worker *worker, int32_t device_type, uint8_t *buf, uint32_t *len)>;
    // The triple send: detail polling paused, 50 ms, build, three frames 50 ms
    // apart, then the box (Save) if given, detail polling resumed.
    void send_sequence(const frame_builder &build, bool saved_box = false);
};
