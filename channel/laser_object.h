#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>

#include "comm/serial_structs.h"

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;
class laser_worker;
struct pulsed_view_values;

// The controller of one channel page. It binds the page's widgets by object
// name (so one class serves all ten pages, whatever their name suffix), owns
// the channel's polling worker and its seven device records, decodes the
// replies routed to the channel, turns the operator's edits and clicks into
// set commands, and redraws the page from the record of the board's driver
// type on every view tick. Everything here runs on the GUI thread.
class laser_object : public QObject
{
    Q_OBJECT

public:
    laser_object(QObject *parent, int32_t address, QWidget *page);
    ~laser_object() override;

    // Made by the constructor, never started or deleted here: the main
    // window starts and stops its polling.
    laser_worker *worker = nullptr;
    int32_t can_address = 0;
    // The frame of the command being sent.
    QByteArray tx_data;
    QWidget *page = nullptr;
    QWidget *cw_widget = nullptr;
    QWidget *ps_ns_widget = nullptr;
    QPushButton *laser_tab_button = nullptr;
    QGroupBox *laser_group = nullptr;
    QString channel_name;
    QWidget *cw_curr_widget = nullptr;
    QWidget *cw_temp_widget = nullptr;
    QWidget *pulse_temp_widget = nullptr;
    QWidget *volt_widget = nullptr;
    QWidget *freq_widget = nullptr;
    QWidget *dura_widget = nullptr;
    QWidget *alt_but_widget = nullptr;
    QWidget *cw_mode_widget = nullptr;
    QWidget *qcw_header_widget = nullptr;
    QWidget *cw_freq_widget = nullptr;
    QWidget *cw_width_widget = nullptr;
    QLabel *laser_name_label = nullptr;
    QLabel *curr_label = nullptr;
    QLabel *curr_min_label = nullptr;
    QLabel *curr_max_label = nullptr;
    QLabel *temp_label = nullptr;
    QLabel *pulse_temp_label = nullptr;
    QLabel *temp_min_label = nullptr;
    QLabel *temp_max_label = nullptr;
    QLabel *temp_pulse_min_label = nullptr;
    QLabel *temp_pulse_max_label = nullptr;
    QLabel *pulse_volt_label = nullptr;
    QLabel *volt_max_label = nullptr;
    QLabel *volt_min_label = nullptr;
    QLabel *freq_label = nullptr;
    QLabel *rr_max_label = nullptr;
    QLabel *rr_min_label = nullptr;
    QLabel *dura_label = nullptr;
    QLabel *dura_text = nullptr;
    QLabel *pd_max_label = nullptr;
    QLabel *pd_min_label = nullptr;
    QLabel *N_label = nullptr;
    QLabel *M_label = nullptr;
    QLabel *power_label = nullptr;
    QLabel *power_state_label = nullptr;
    QLabel *pulse_power_state_label = nullptr;
    QLabel *fail_title = nullptr;
    QLabel *power_title = nullptr;
    QLabel *input_volt_title = nullptr;
    QLabel *input_volt_label = nullptr;
    QLabel *cw_mode_title = nullptr;
    QLabel *cw_mode_label = nullptr;
    QLabel *cw_freq_title = nullptr;
    QLabel *cw_freq_label = nullptr;
    QLabel *cw_width_title = nullptr;
    QLabel *cw_width_label = nullptr;
    QLabel *mode_label = nullptr;
    QPushButton *ps_ns_on_off_butt = nullptr;
    QPushButton *cw_on_off_button = nullptr;
    QPushButton *start_stop_button_alt = nullptr;
    QPushButton *config_button = nullptr;
    QPushButton *err_clr_butt = nullptr;
    QPushButton *fail_butt = nullptr;
    QDoubleSpinBox *curr_spin = nullptr;
    // The board's lowest current; the current button raises the set point to it.
    double min_current = 0.0;
    QDoubleSpinBox *temp_spin = nullptr;
    QDoubleSpinBox *pulse_temp_spin = nullptr;
    QDoubleSpinBox *volt_spin = nullptr;
    QDoubleSpinBox *dura_spin = nullptr;
    QDoubleSpinBox *pulse_gated_spin = nullptr;
    QDoubleSpinBox *pulse_cutted_spin = nullptr;
    QDoubleSpinBox *cw_freq_spin = nullptr;
    QDoubleSpinBox *cw_width_spin = nullptr;
    QDoubleSpinBox *freq_spin = nullptr;
    QComboBox *freq_combo = nullptr;
    QComboBox *freq_range_combo = nullptr;
    QComboBox *mode_combo = nullptr;
    QComboBox *step_size_combo = nullptr;
    QComboBox *cw_mode_combo = nullptr;
    QProgressBar *curr_indicator = nullptr;
    QProgressBar *volt_indicator = nullptr;
    QProgressBar *temp_indicator = nullptr;
    QProgressBar *pulse_temp_indicator = nullptr;
    QProgressBar *dura_indicator = nullptr;
    QProgressBar *freq_indicator = nullptr;
    // 0 to 9, written by the main window right after construction.
    int32_t channel_index = 0;
    bool auto_send = true;
    // First-read markers of the families whose records carry none:
    // 1 armed by a new driver type, 2 first reading copied into the held
    // set point, 0 loaded into the page's input.
    int32_t first_read_current = 0;
    int32_t first_read_voltage = 0;
    int32_t first_read_temperature = 0;
    int32_t first_read_frequency = 0;
    int32_t first_read_width = 0;
    int32_t first_read_mode = 0;
    int32_t first_read_gated = 0;
    int32_t first_read_cutted = 0;

    // Per channel, so that one channel's state never decides for another:
    // 1 once the fault box opened by itself and the words have not been
    // clear since (DC/DC and power pages).
    int32_t dcdc_fail_latch = 0;
    int32_t power_fail_latch = 0;
    // A DC/DC board's input voltage has been reported since its type was:
    // until then the record holds 0 V, which is no reading, and the page
    // must not warn of an output above 80 % of it.
    bool dcdc_input_voltage_read = false;
    // The record families (bits by driver_family, the CW ones as one) that
    // type replies named since the last presence check.
    uint32_t families_heard = 0;
    // Highest reachable rate (Hz) of the last refresh of this type-21 page;
    // -1 while the width gives none, so the next valid rate rebuilds.
    float ns_last_max_rate = 0.0f;

    // The families whose output the switch turned on and whose board has
    // neither reported it on since nor been sent an off: a board slow to
    // report its output on (a ramp, an interlock check) still counts as on
    // for the turn-off at a close or a Disconnect.
    uint32_t outputs_switched_on = 0;
    // An output on or counted as on: what the close and Disconnect turn off.
    bool output_to_turn_off() const;

    // Decodes one reply routed to this channel into the worker's records.
    void handle_rx_can_message(const serial_message_struct *msg);
    // Redraws the page for the board's driver type ("No device" otherwise).
    void view_update();
    void laser_volt_on_off(bool on);
    // At the presence check: the output flags of the families that no type
    // reply named since the last check are cleared when some type reply
    // came; then the count starts again.
    void forget_unheard_outputs();
    // The channel was given another address, or the link came back: what
    // answers may be another board of the same type, so nothing the page
    // holds counts as its own until its first readings are loaded.
    void forget_board();

signals:
    void show_conf_dialog_signal(int idx);
    void sig_freq_ps20_target_update_adapter(int);

public slots:
    void laser_current_butt_clicked();
    void laser_temperature_butt_clicked();
    void laser_frequency_butt_clicked();
    void laser_tec_on_off_butt_clicked();
    void laser_las_on_off_butt_clicked();
    void laser_off();
    void laser_pulse_width_butt_clicked();
    void laser_voltage_butt_clicked();
    void laser_volt_on_off_butt_clicked();
    void mode_butt_clicked();
    void laser_pulse_gated_butt_clicked();
    void laser_pulse_cutted_butt_clicked();
    void config_button_clicked();
    void fail_detail_butt_clicked();
    void err_clr_butt_clicked();
    void current_target_update(double);
    void temp_target_update(double);
    void volt_target_update(double);
    void freq_range_update(int);
    void freq_target_update(int);
    void freq_ps20_target_update(double);
    void dcdc_freq_target_update(double);
    void pulse_width_target_update(double);
    void mode_update(int);
    void pulse_gated_target_update(double);
    void pulse_cutted_target_update(double);
    void sl_single_step_change(int index);
    void sl_cw_mode_update(int cw_mode_index);
    void sl_return_key_pressed_on_spinbox(QObject *);

private:
    // Binds the widget members to the widgets of page and connects their
    // signals (channel/page_binding.cpp).
    void bind_page();
    // Emits this one frame three times on the worker's transmit signal,
    // serving events for 1 ms after each emission.
    void triple_send(const uint8_t *frame, uint32_t len);
    // Commands sent so far: tells whether an input's own set-point slot
    // has already sent what it took.
    uint32_t commands_sent = 0;
    // Sends begun so far, by command code (d0): a send that a newer send of
    // the same command overtook inside its waits stops repeating its frame.
    std::array<uint32_t, 256> sends_by_code{};
    // The output switch: clicks so far, switch operations under way (a
    // click can run inside another's waits), and the direction of the
    // latest click, which the next click inside them reverses.
    uint32_t switch_clicks = 0;
    uint32_t switches_running = 0;
    bool switch_turns_on = false;
    // The worker's output polls when a switch last set the flag: a status
    // reply decoded while the count still stands was asked for before the
    // switch's command and would undo the flag (an output just turned on
    // missed by a close's turn-off).
    std::optional<uint32_t> output_polls_at_switch;
    // A switch operation under way is turning the output on.
    bool output_going_on() const { return switches_running > 0 && switch_turns_on; }
    // Before an output goes on: every input of the page that holds an
    // operator's entry goes out as Return sends it.
    void send_unsent_entries();
    // The inputs the operator typed into or stepped for the board now at
    // the channel, unsent since. What the program puts into a box itself (a
    // load, a clamp, a value left by another board) is no entry.
    QSet<const QDoubleSpinBox *> operator_entries;
    // The set points, by command code, that the page has from the board now
    // at the channel: loaded from it or sent to it. Cleared when a board
    // reports another type; before the first report no board is there.
    std::bitset<256> board_values = std::bitset<256>().set();
    // The free rate (Hz, types 20 and 21) the board holds: the last sent to
    // it or its first reading.
    std::optional<int32_t> free_rate_held;
    // Watches the inputs for the operator's keystrokes and steps.
    void watch_operator_entries();
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A decimal mark typed into a box of whole numbers: no entry, nothing
    // sent, the box's value shown again. False for any other text.
    bool refuse_decimal_mark(QDoubleSpinBox *spin);
    // code: the command just sent; its quantity's inputs hold no entry now.
    void note_entries_sent(int code);
    // The board's own value loaded into spin.
    void note_entry_loaded(const QDoubleSpinBox *spin);
    // Another board or type at the channel: nothing on the page is its.
    void forget_board_values();
    // As when a board reports a new type: the page refills for type and
    // takes that board's first readings.
    void take_new_board(int32_t type);
    // code: the command just sent; no older first reading is loaded over it.
    void drop_first_readings(int code);
    // The rate and voltage the pulsed on-sequence sends are each the
    // board's own or the operator's entry.
    bool sequence_values_known() const;
    // The off sequence's rate: the one the board holds, none if unknown.
    void send_held_rate();
    // Limits of the NS boards (channel/set_points.cpp): the rate about to
    // be sent held to the width the board holds, and a limited type-21
    // rate shown in freq_spin in its unit (returns the rate held, Hz).
    void keep_rate_within_duty();
    int32_t show_limited_free_rate(double limit_hz);
    // Runs change and reports whether spin emitted valueChanged meanwhile,
    // that is whether the input's set-point slot took the new value.
    bool tells_value_changed(QDoubleSpinBox *spin, const std::function<void()> &change);

    // Family views, one per driver family; view_update picks one.
    void cw_view_update();
    void dcdc_view_update();
    void power_view_update();
    void ns_table_view_update();
    void ns_view_update();
    void ps_table_view_update();
    void ps_view_update();

    // The rules every family view shares.
    // "No device": both containers, the configuration button and the
    // switch strip hidden; the tab shows the channel name alone.
    void show_no_device_page();
    // Shows the family's container, hides the other one and shows the
    // switch strip.
    void switch_container(QWidget *shown, QWidget *hidden);
    // channel_name + opening + segments joined by two blanks + closing.
    void set_tab_text(const QString &opening, const QStringList &segments, const QString &closing);
    // Fixed notation with the given decimals, the unit appended.
    static QString number_text(double value, int decimals, const QString &unit = QString());
    // Percentage of value between min and max, in single precision; a result
    // outside 0..100 or not finite leaves the bar as it was.
    static void set_bar(QProgressBar *bar, float value, float min, float max);
    // Configuration button, on/off switches and state label from the output flag.
    void show_output_state(bool on, QPushButton *on_off_button, QLabel *state_label);
    // Minimum first; a bound the box already has is not set again.
    static void set_spin_range(QDoubleSpinBox *spin, double min, double max);
    // A first reading after a change of type: the input gets the board's
    // range before the reading, so no other family's range clamps it, and
    // shows it without its slot running, for a load is no operator's edit:
    // nothing is limited again or sent. The reading becomes the held set
    // point whether or not the number shown changed.
    void show_first_reading(QDoubleSpinBox *spin, double min, double max, double reading);
    template <typename T>
    void load_first_reading(QDoubleSpinBox *spin, double min, double max, T reading, T &held)
    {
        show_first_reading(spin, min, max, static_cast<double>(reading));
        held = reading;
    }

    // Helpers of the views.
    // Applies a style sheet only when it differs from the one set.
    static void set_style_sheet(QWidget *widget, const QString &sheet);
    static const QString &red_text();
    static const QString &black_text();
    // " °C".
    static QString degrees_unit();
    void set_qcw_rows_visible(bool visible);
    void show_temperature(float temperature, float min, float max, int decimals);
    void set_current_range(float current_min, double maximum);
    void show_voltages(float output_voltage, float input_voltage);
    void show_failure(bool fault);
    void open_fault_box_once(bool words_clear, int32_t &latch);

    // The CW view: the current limits of types 8 and 14 are decoded in the
    // old units until the board proves the new ones, so the first current
    // reading loaded into the spin box keeps the spin box's maximum at least
    // that high until a limit decoded in proven units reaches it, or the
    // operator sends a current of their own.
    double cw_current_ceiling(int32_t type);
    bool cw_current_floor_held = false;
    float cw_current_floor = 0.0f;

    // Pieces the four pulsed views share.
    struct first_read_load {
        int32_t *marker;
        std::function<void()> load;
    };
    // Serves the first marker at 2, in the order given, and clears it.
    void serve_first_read(std::initializer_list<first_read_load> loads);
    // First readings of the pulsed records, within the board's own limits.
    template <typename record_t>
    void load_voltage(record_t &r)
    {
        load_first_reading(volt_spin, r.voltage_min, r.voltage_max, r.voltage_target, r.voltage_set);
    }
    template <typename record_t>
    void load_pulse_temperature(record_t &r)
    {
        load_first_reading(pulse_temp_spin, r.temperature_min, r.temperature_max, r.temperature_target,
                           r.temperature_set);
    }
    // The width as the board reported it: the duty limit and the even tenths
    // are for what the operator enters.
    void load_width(float pulse_width, float &held);
    // Loads a first pulse count, which its slot stores and sends back.
    void load_held(QDoubleSpinBox *spin, double value);
    void load_mode(const QString (&names)[6], int32_t mode);
    void load_table_rate(int32_t khz);
    void load_free_rate(int32_t hz, int32_t &held_hz);
    void fill_mode_combo(const QString (&names)[6]);
    void fill_freq_combo(const int32_t (&table)[100], int32_t frequency);
    void show_table_rate_input();
    void show_free_rate_input();
    void reset_free_rate_input();
    // Driver label and tab text; label texts are still the last tick's.
    void show_pulsed_title(const QString &driver, float voltage_target, float temperature_target,
                           const QString &rate_held, bool with_width);
    // Everything the pulsed pages draw alike, from the record's readings.
    void show_pulsed_page(const pulsed_view_values &v, bool with_width);
    // Pulse-width maximum W; none when the frequency gives no finite limit.
    void show_width_limit(std::optional<int32_t> w, float &pulse_width_max, float pulse_width_min);
    static QString free_rate_text(int32_t hz);
    void show_table_reach(double reach_khz, int32_t frequency);
    void show_free_reach(double reach_hz, int32_t frequency);
};
