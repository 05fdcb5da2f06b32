#pragma once

#include <QByteArray>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "comm/cw_data.h"
#include "comm/dcdc_data.h"
#include "comm/ns_data.h"
#include "comm/ns_table_data.h"
#include "comm/power_data.h"
#include "comm/ps_data.h"
#include "comm/ps_table_data.h"

// The polling thread of one channel and the owner of the channel's seven
// device records and poll flags. Pass after pass it asks the board for its
// driver type, its address and the readings of its family, one frame every
// 15 ms (50 ms in mini-USB mode), then sleeps 300 ms. It only sends: the
// replies are decoded on the GUI thread into the records and flags below.
//
// The flags, the type and the address are written by one thread and read by
// another, so each is atomic at the width the rest of the program expects.
// The worker thread has no event loop; it builds and emits its frames itself.
class laser_worker : public QThread
{
    Q_OBJECT

public:
    explicit laser_worker(QObject *parent = nullptr);
    // Stops the loop and waits for it, so a worker may be destroyed at any time.
    ~laser_worker() override;

    // Sets running and starts the thread unless it is already looping. A start
    // that arrives while the loop is ending still leaves the worker polling.
    void start_polling();
    // Clears running; the loop ends after the pass under way and its sleep.
    void stop_polling();
    // The channel's CAN address into all seven records: the identifier of
    // every frame they build. Written on the GUI thread, one atomic store each.
    void set_records_address(int32_t address);

    std::atomic<bool> running{false};
    std::atomic<bool> detail_poll{false};
    std::atomic<bool> main_poll{false};
    std::atomic<bool> mini_usb{false};
    std::atomic<int32_t> device_type{0};
    std::atomic<bool> type_changed{false};
    std::atomic<bool> heartbeat{false};
    std::atomic<int32_t> device_address{0};
    // Output and emission status requests sent so far. A status reply
    // decoded before the next one answers a request that went out before
    // the page's last switch.
    std::atomic<uint32_t> output_polls{0};

    cw_data cw_record;
    ps_table_data ps_table_record;
    ns_table_data ns_table_record;
    dcdc_data dcdc_record;
    power_data power_record;
    ps_data ps_record;
    ns_data ns_record;

    static constexpr int start_delay_ms = 2000;
    static constexpr int frame_gap_ms = 15;
    static constexpr int mini_usb_frame_gap_ms = 50;
    static constexpr int pass_sleep_ms = 300;

signals:
    void thread_serial_write(QByteArray data);

protected:
    void run() override;

private:
    // Loop states, for the hand-over between a loop that is ending and a
    // start_polling that arrives meanwhile.
    enum loop_state_t : int { loop_idle, loop_live, loop_ending, loop_restart };

    bool keep_running();
    void poll_pass(int gap_ms);
    void pause_ms(int ms);

    template <typename build_t>
    void send(int gap_ms, const build_t &build);
    template <typename record_t, typename builder_t>
    void request(int gap_ms, const record_t &record, builder_t builder);
    template <typename record_t>
    void send_parameter_list(int gap_ms, const record_t &record, bool with_tec_current_max);
    template <typename record_t>
    void send_tec_on(int gap_ms, const record_t &record);
    void send_cw_main(int gap_ms);
    template <typename record_t>
    void send_pulsed_main(int gap_ms, const record_t &record, int width_position);
    void send_dcdc_main(int gap_ms);
    void send_power_main(int gap_ms);

    std::atomic<int> loop_state{loop_idle};
    // Only the destructor sets it: cuts the sleeps short and ends the loop.
    std::atomic<bool> quitting{false};
    std::mutex sleep_mutex;
    std::condition_variable sleep_wake;
};
