#include <QtTest>

#include <map>
#include <set>

#include "support/channel_stand_in.h"
#include "comm/laser_worker.h"
#include "support/link_stand_in.h"
#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"

// Polling workers, the serial link on its own thread and the simulated bench
// over a real pseudo-terminal: the boards answer the workers' requests, and
// their replies reach the GUI thread as frames carrying the values the
// boards hold.
namespace {

struct board_setup
{
    int type;
    int address;
    std::map<uint8_t, double> values;
};

// One board of each family (and both CW generations).
const QVector<board_setup> &bench()
{
    static const QVector<board_setup> boards = {
        {8, 0x05, {{0x91, 123.4}, {0x92, 24.5}, {0x94, 5.5}, {0xA5, 180.0}, {0xA6, 10.0}, {0xB7, 40.0}}},
        {15, 0x06, {{0x91, 1.2345}, {0x92, -1.5}, {0xB0, 0x81}, {0xA5, 2.5}, {0xB7, 35.5}}},
        {16, 0x07, {{0x91, 2.5}, {0xA6, 12.3}, {0x94, 48.0}, {0x99, 1000}, {0xA3, 100}, {0xB0, 0x04}, {0xA4, 1}}},
        {18, 0x08, {{0x90, 1}, {0x91, 12.34}, {0x92, -10.0}, {0x94, 48.0}, {0xA6, 24.2}, {0xB0, 0x81}, {0xA4, 2}}},
        {7, 0x09, {{0xA2, 1}, {0x98, 12.3}, {0x92, 26.5}, {0x99, 1000}, {0xB4, 5}, {0xB5, 3}}},
        {20, 0x0A, {{0xA2, 0}, {0x98, 15.5}, {0x99, 12500}, {0xB4, 5}, {0xB5, 3}, {0xA4, 0}}},
        {13, 0x0B, {{0xA3, 25.5}, {0x99, 20}, {0x92, 19.5}}},
        {21, 0x0C, {{0xA3, 12.5}, {0x99, 12500}, {0x92, -10.0}, {0xA4, 2}}},
    };
    return boards;
}

// The read codes of each type's main list.
std::set<uint32_t> main_codes(int type)
{
    switch (type) {
    case 8: case 10: return {0x90, 0xA4, 0x91, 0x92, 0x94, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    case 14: case 15: return {0x90, 0xA4, 0x91, 0x92, 0xB0, 0x94, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    case 16: return {0x90, 0x91, 0x92, 0xB0, 0xA6, 0x94, 0xA4, 0x99, 0xA3};
    case 18: return {0x91, 0xB0, 0xA4, 0x90, 0x92, 0x94, 0xA6};
    case 7: case 20: return {0xA4, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA5, 0xA6, 0xB7, 0xB6};
    default: return {0xA4, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA3, 0xA5, 0xA6, 0xB7, 0xB6};
    }
}

bool saw_every_code(const channel_stand_in &c, int type, int times)
{
    if (c.worker.device_type.load() != type || c.codes_seen(0xD1) < times)
        return false;
    for (uint32_t code : main_codes(type))
        if (c.codes_seen(code) < times)
            return false;
    return true;
}

int32_t value_of(const serial_message_struct &m)
{
    return int32_t(m.data[4] << 24 | m.data[5] << 16 | m.data[6] << 8 | m.data[7]);
}

template <typename F>
QByteArray built(F f)
{
    uint8_t buf[22];
    uint32_t len = 0;
    f(buf, &len);
    return QByteArray(reinterpret_cast<const char *>(buf), int(len));
}

// The line as a channel control sends a command: three times.
void send_thrice(channel_stand_in &c, const QByteArray &frame)
{
    for (int i = 0; i < 3; ++i)
        c.send(frame);
}

} // namespace

class tst_polling_end_to_end : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { register_serial_types(); }
    void boards_of_every_family_answer_through_the_link();
    void mini_usb_board_behind_no_adapter();
};

void tst_polling_end_to_end::boards_of_every_family_answer_through_the_link()
{
    sim_bus bus;
    for (const board_setup &b : bench()) {
        sim_board &board = bus.add_board(b.type, b.address);
        for (const auto &v : b.values)
            board.set_value(v.first, v.second);
    }
    slcan_adapter_thread adapter;
    adapter.adapter()->set_frame_handler([&bus](const QByteArray &line) { return bus.handle_frame_line(line); });
    adapter.start();
    QVERIFY(adapter.adapter()->is_ok());

    link_stand_in link;
    router_stand_in router;
    QVERIFY(QObject::connect(link.serial, SIGNAL(sig_serial_rx_can_message(serial_message_struct)), &router,
                             SLOT(handle_rx_can_message(serial_message_struct))));
    for (const board_setup &b : bench()) {
        router.channels.push_back(std::make_unique<channel_stand_in>(b.address));
        QVERIFY(QObject::connect(&router.channels.back()->worker, SIGNAL(thread_serial_write(QByteArray)),
                                 link.serial, SLOT(sl_write_to_port(QByteArray))));
    }

    link.request_connection(adapter.adapter()->port_path());
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    // As on connection: every worker starts, main polling for every channel.
    for (auto &c : router.channels) {
        c->worker.main_poll = true;
        c->worker.start_polling();
    }

    // Two whole main passes answered on every channel.
    for (int i = 0; i < bench().size(); ++i) {
        const channel_stand_in &c = *router.channels[size_t(i)];
        QTRY_VERIFY2_WITH_TIMEOUT(saw_every_code(c, bench()[i].type, 2),
                                  qPrintable(QString("board at %1").arg(bench()[i].address)), 30000);
    }
    QVERIFY(!router.frame_off_gui_thread);

    // Every frame came from the board at its d1 and carries what that board holds.
    for (auto &c : router.channels) {
        for (const serial_message_struct &m : c->frames) {
            const sim_board *b = bus.board_at(int(m.data[1]));
            QVERIFY(b);
            QCOMPARE(int(m.data[1]), c->can_address);
            QVERIFY(b->answers(uint8_t(m.data[0])));
            const sim_board::value_kind kind = b->rule(uint8_t(m.data[0])).kind;
            if (kind == sim_board::kind_flag || kind == sim_board::kind_byte)
                QCOMPARE(int32_t(m.data[7]), b->reply_integer(uint8_t(m.data[0])));
            else
                QCOMPARE(value_of(m), b->reply_integer(uint8_t(m.data[0])));
        }
        QCOMPARE(c->worker.device_address.load(), c->can_address);
        QVERIFY(c->worker.heartbeat);
    }

    // Decoded on the GUI thread into the records, in the records' units.
    const laser_worker &cw = router.channels[0]->worker;
    QCOMPARE(cw.cw_record.current, 123.4f);
    QCOMPARE(cw.cw_record.temperature, 24.5f);
    QCOMPARE(cw.cw_record.power, 5.5f);
    QCOMPARE(cw.cw_record.current_max, 180.0f); // tenths once the board answered its temperature limits
    QCOMPARE(cw.cw_record.temperature_max, 40.0f);
    const laser_worker &precise = router.channels[1]->worker;
    QCOMPARE(precise.cw_record.current, 1.2345f);
    QCOMPARE(precise.cw_record.temperature, -1.5f);
    QCOMPARE(precise.cw_record.faults, 0x81);
    QCOMPARE(precise.cw_record.current_max, 2.5f);
    QCOMPARE(precise.cw_record.temperature_max, 35.5f);
    const laser_worker &dcdc = router.channels[2]->worker;
    QCOMPARE(dcdc.dcdc_record.current, 2.5f);
    QCOMPARE(dcdc.dcdc_record.output_voltage, 12.3f);
    QCOMPARE(dcdc.dcdc_record.input_voltage, 48.0f);
    QCOMPARE(dcdc.dcdc_record.frequency, 1000);
    QCOMPARE(dcdc.dcdc_record.pulse_width, 100);
    QCOMPARE(int(dcdc.dcdc_record.faults), 0x04);
    QCOMPARE(dcdc.dcdc_record.mode, 1);
    const laser_worker &power = router.channels[3]->worker;
    QCOMPARE(int(power.power_record.output_on), 1);
    QCOMPARE(power.power_record.current, 12.34f);
    QCOMPARE(power.power_record.temperature, -10.0f);
    QCOMPARE(power.power_record.input_voltage, 48.0f);
    QCOMPARE(power.power_record.output_voltage, 24.2f);
    QCOMPARE(int(power.power_record.faults), 0x81);
    QCOMPARE(power.power_record.mode, 2);
    QCOMPARE(power.power_record.fault_text(power.power_record.faults),
             QString("flag_Rebooted\nflag_OverCurrent_IND\n"));
    const laser_worker &ps_table = router.channels[4]->worker;
    QCOMPARE(ps_table.ps_table_record.voltage, 12.3f);
    QCOMPARE(ps_table.ps_table_record.temperature, 26.5f);
    QCOMPARE(ps_table.ps_table_record.frequency, 1000);
    QCOMPARE(ps_table.ps_table_record.gated, 5);
    QCOMPARE(ps_table.ps_table_record.cutted, 3);
    const laser_worker &ps = router.channels[5]->worker;
    QCOMPARE(ps.ps_record.voltage, 0.0f); // emission off
    QCOMPARE(ps.ps_record.voltage_target, 15.5f);
    QCOMPARE(ps.ps_record.frequency, 12500);
    QCOMPARE(ps.ps_record.frequency_target, 12500);
    QCOMPARE(ps.ps_record.gated, 5);
    QCOMPARE(ps.ps_record.cutted, 3);
    QCOMPARE(ps.ps_record.mode, 1); // internal, burst
    const laser_worker &ns_table = router.channels[6]->worker;
    QCOMPARE(ns_table.ns_table_record.pulse_width, 25.5f);
    QCOMPARE(ns_table.ns_table_record.frequency, 20);
    QCOMPARE(ns_table.ns_table_record.temperature, 19.5f);
    const laser_worker &ns = router.channels[7]->worker;
    QCOMPARE(ns.ns_record.pulse_width, 12.5f);
    QCOMPARE(ns.ns_record.pulse_width_target, 12.5f);
    QCOMPARE(ns.ns_record.frequency, 12500);
    QCOMPARE(ns.ns_record.temperature, -10.0f);
    QCOMPARE(ns.ns_record.mode, 2);

    // Commands from the GUI thread share the line with the polling and
    // change the boards; later replies report the new values.
    auto &ch = router.channels;
    send_thrice(*ch[0], built([&](uint8_t *b, uint32_t *l) { ch[0]->worker.cw_record.frame_set_current(55.5f, b, l); }));
    send_thrice(*ch[1], built([&](uint8_t *b, uint32_t *l) { ch[1]->worker.cw_record.frame_set_temperature_precise(-2.25f, b, l); }));
    send_thrice(*ch[2], built([&](uint8_t *b, uint32_t *l) { ch[2]->worker.dcdc_record.frame_set_frequency(2000, b, l); }));
    send_thrice(*ch[3], built([&](uint8_t *b, uint32_t *l) { ch[3]->worker.power_record.frame_set_current(3.25f, b, l); }));
    send_thrice(*ch[4], built([&](uint8_t *b, uint32_t *l) { ch[4]->worker.ps_table_record.frame_set_temperature_trunc(-5.3f, b, l); }));
    send_thrice(*ch[5], built([&](uint8_t *b, uint32_t *l) { ch[5]->worker.ps_record.frame_set_gated(7, b, l); }));
    send_thrice(*ch[6], built([&](uint8_t *b, uint32_t *l) { ch[6]->worker.ns_table_record.frame_set_pulse_width(30.0f, b, l); }));
    send_thrice(*ch[7], built([&](uint8_t *b, uint32_t *l) { ch[7]->worker.ns_record.frame_set_frequency(20000.0f, b, l); }));
    QTRY_COMPARE_WITH_TIMEOUT(ch[0]->worker.cw_record.current, 55.5f, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[1]->worker.cw_record.temperature, -2.25f, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[2]->worker.dcdc_record.frequency, 2000, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[3]->worker.power_record.current, 3.25f, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[4]->worker.ps_table_record.temperature, -5.3f, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[5]->worker.ps_record.gated, 7, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[6]->worker.ns_table_record.pulse_width, 30.0f, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(ch[7]->worker.ns_record.frequency, 20000, 20000);

    // Every main pass switched the TEC on (not on DC/DC and type 18).
    for (int i = 0; i < bench().size(); ++i) {
        const int type = bench()[i].type;
        const sim_board *b = bus.board_at(bench()[i].address);
        if (type == 16 || type == 18)
            QCOMPARE(b->received(0x21), 0);
        else
            QCOMPARE(b->last_set_integer(0x21), 1);
    }

    // A board that falls silent gets only the type and address requests once
    // its type is given up (as the heartbeat check does).
    sim_board *silent = bus.board_at(0x05);
    silent->set_silent(true);
    // Let the replies already on their way arrive: the next pass has begun.
    const int d0_silent = silent->received(0xD0);
    QTRY_VERIFY_WITH_TIMEOUT(silent->received(0xD0) > d0_silent, 20000);
    QTest::qWait(100);
    ch[0]->worker.device_type = -1;
    const int before = silent->received(0x91);
    const int d0_before = silent->received(0xD0);
    QTRY_VERIFY_WITH_TIMEOUT(silent->received(0xD0) >= d0_before + 3, 20000);
    QVERIFY(silent->received(0x91) <= before + 1); // at most the pass under way
    QCOMPARE(ch[0]->worker.device_type.load(), -1);

    // Nothing malformed or mis-encoded reached the bus.
    for (int i = 0; i < bus.board_count(); ++i)
        QCOMPARE(bus.board(i)->protocol_errors(), 0);
    QCOMPARE(bus.malformed_lines(), 0);

    for (auto &c : router.channels)
        c->worker.stop_polling();
    router.channels.clear();
}

void tst_polling_end_to_end::mini_usb_board_behind_no_adapter()
{
    // A board's own USB port: no adapter set-up, the board takes every frame
    // whatever its identifier, and the first channel takes every reply.
    sim_bus bus;
    sim_board &board = bus.add_board(21, 0x33);
    board.set_value(0x99, 5000);
    board.set_value(0xA3, 8.5);
    bus.set_direct_mode(true);
    slcan_adapter_thread adapter;
    adapter.adapter()->set_direct_mode(true);
    adapter.adapter()->set_frame_handler([&bus](const QByteArray &line) { return bus.handle_frame_line(line); });
    adapter.start();

    link_stand_in link;
    router_stand_in router;
    router.mini_usb = true;
    QVERIFY(QObject::connect(link.serial, SIGNAL(sig_serial_rx_can_message(serial_message_struct)), &router,
                             SLOT(handle_rx_can_message(serial_message_struct))));
    router.channels.push_back(std::make_unique<channel_stand_in>(1));
    channel_stand_in &c = *router.channels.back();
    QVERIFY(QObject::connect(&c.worker, SIGNAL(thread_serial_write(QByteArray)), link.serial,
                             SLOT(sl_write_to_port(QByteArray))));

    link.request_connection(adapter.adapter()->port_path(), true, 57600);
    QTRY_COMPARE_WITH_TIMEOUT(link.connected_count, 1, 20000);
    c.worker.mini_usb = true;
    c.worker.main_poll = true;
    c.worker.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(saw_every_code(c, 21, 2), 30000);

    QCOMPARE(c.worker.device_address.load(), 0x33);
    QCOMPARE(c.worker.ns_record.frequency, 5000);
    QCOMPARE(c.worker.ns_record.pulse_width, 8.5f);
    QCOMPARE(board.protocol_errors(), 0);

    // No adapter commands on the line, only frames to address 1, about 50 ms apart.
    const QList<slcan_adapter::log_entry> log = adapter.adapter()->log();
    QVector<qint64> gaps;
    for (int i = 0; i < log.size(); ++i) {
        QCOMPARE(log[i].line.left(5), QByteArray("t0018"));
        if (i > 0 && log[i].usecs - log[i - 1].usecs < 200000)
            gaps << log[i].usecs - log[i - 1].usecs;
    }
    std::sort(gaps.begin(), gaps.end());
    QVERIFY(!gaps.isEmpty());
    QVERIFY2(gaps[gaps.size() / 2] >= 40000, qPrintable(QString::number(gaps[gaps.size() / 2])));

    c.worker.stop_polling();
    router.channels.clear();
}

QTEST_GUILESS_MAIN(tst_polling_end_to_end)
#include "tst_polling_end_to_end.moc"
