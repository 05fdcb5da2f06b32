// Replies routed to a channel land in the record of the board's driver type
// at that type's scale, arm the first-read markers on a change of type only,
// and decode the same however often one frame is offered.

#include <QtTest>

#include <functional>

#include "support/channel_fixture.h"

using namespace channel_fixture;

using probe_t = std::function<double(const laser_worker &)>;
Q_DECLARE_METATYPE(probe_t)

namespace {

#define FIELD(record, field) probe_t([](const laser_worker &w) { return double(w.record.field); })

// The markers of the controller as bits: current, voltage, temperature,
// frequency, width, mode, gated, cutted.
int marker_bits(const laser_object &ch)
{
    const int32_t m[] = {ch.first_read_current, ch.first_read_voltage, ch.first_read_temperature,
                         ch.first_read_frequency, ch.first_read_width, ch.first_read_mode,
                         ch.first_read_gated, ch.first_read_cutted};
    int bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= (m[i] == 1) << i;
    return bits;
}

} // namespace

class tst_laser_object_replies : public QObject {
    Q_OBJECT

private slots:
    void stores_at_the_scale_of_the_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("v");
        QTest::addColumn<probe_t>("probe");
        QTest::addColumn<double>("expected");
        QTest::newRow("8 current /10") << 8 << 0x91 << 1234 << FIELD(cw_record, current) << 123.4;
        QTest::newRow("10 current /10000") << 10 << 0x91 << 1234567 << FIELD(cw_record, current) << 123.4567;
        QTest::newRow("15 temperature /10000") << 15 << 0x92 << 250000 << FIELD(cw_record, temperature) << 25.0;
        QTest::newRow("10 temperature min /1000") << 10 << 0xB6 << 15000 << FIELD(cw_record, temperature_min) << 15.0;
        QTest::newRow("10 current max /100") << 10 << 0xA5 << 1500 << FIELD(cw_record, current_max) << 15.0;
        QTest::newRow("8 current min /100 before new units") << 8 << 0xA6 << 1500 << FIELD(cw_record, current_min) << 15.0;
        QTest::newRow("14 power /10") << 14 << 0x94 << 75 << FIELD(cw_record, power) << 7.5;
        QTest::newRow("8 beta negative") << 8 << 0x95 << -3435 << FIELD(cw_record, beta) << -3435.0;
        QTest::newRow("14 faults d7") << 14 << 0xB0 << 0x305 << FIELD(cw_record, faults) << 5.0;
        QTest::newRow("8 faults ignored") << 8 << 0xB0 << 5 << FIELD(cw_record, faults) << 0.0;
        QTest::newRow("14 mode 3 ignored") << 14 << 0xA4 << 3 << FIELD(cw_record, mode) << 0.0;
        QTest::newRow("11 current /100 signed") << 11 << 0x91 << -250 << FIELD(dcdc_record, current) << -2.5;
        QTest::newRow("16 input voltage /10") << 16 << 0x94 << 241 << FIELD(dcdc_record, input_voltage) << 24.1;
        QTest::newRow("11 output voltage /10") << 11 << 0xA6 << 121 << FIELD(dcdc_record, output_voltage) << 12.1;
        QTest::newRow("16 width unscaled") << 16 << 0xA3 << 150 << FIELD(dcdc_record, pulse_width) << 150.0;
        QTest::newRow("11 faults d7") << 11 << 0xB0 << 0x1FF << FIELD(dcdc_record, faults) << 255.0;
        QTest::newRow("6 width /10") << 6 << 0xA3 << 150 << FIELD(ns_table_record, pulse_width) << 15.0;
        QTest::newRow("13 voltage max /10") << 13 << 0xA5 << 4005 << FIELD(ns_table_record, voltage_max) << 400.5;
        QTest::newRow("7 rate as integer") << 7 << 0x99 << 50000 << FIELD(ps_table_record, frequency) << 50000.0;
        QTest::newRow("7 responsivity /100") << 7 << 0x97 << 123 << FIELD(ps_table_record, responsivity) << 1.23;
        QTest::newRow("7 voltage 0 while emission off") << 7 << 0x98 << 125 << FIELD(ps_table_record, voltage) << 0.0;
        QTest::newRow("7 no width") << 7 << 0xA3 << 150 << FIELD(ns_table_record, pulse_width) << 1.0;
        QTest::newRow("18 to its record") << 18 << 0x91 << 250 << FIELD(power_record, current) << 2.5;
        QTest::newRow("20 to its record") << 20 << 0x99 << 70000 << FIELD(ps_record, frequency) << 70000.0;
        QTest::newRow("21 to its record") << 21 << 0xA3 << 55 << FIELD(ns_record, pulse_width) << 5.5;
        QTest::newRow("21 not into the table record") << 21 << 0xA3 << 55 << FIELD(ns_table_record, pulse_width) << 1.0;
        QTest::newRow("9 no record") << 9 << 0x91 << 1234 << FIELD(cw_record, current) << 0.0;
        QTest::newRow("own address any type")
            << 9 << 0xD1 << 0x2A << probe_t([](const laser_worker &w) { return double(w.device_address); }) << 42.0;
    }

    void stores_at_the_scale_of_the_type()
    {
        QFETCH(int, type);
        QFETCH(int, code);
        QFETCH(int, v);
        QFETCH(probe_t, probe);
        QFETCH(double, expected);
        const auto ch = make(nullptr);
        ch->worker->device_type = type;
        feed(*ch, uint8_t(code), v);
        QCOMPARE(float(probe(*ch->worker)), float(expected));
        feed(*ch, uint8_t(code), v); // routed twice: the same state
        QCOMPARE(float(probe(*ch->worker)), float(expected));
    }

    void arms_the_markers_of_the_new_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("own");     // marker_bits
        QTest::addColumn<int>("records"); // power, ps, ns markers armed
        QTest::newRow("8") << 8 << 0b00100101 << 0;
        QTest::newRow("16") << 16 << 0b00111101 << 0;
        QTest::newRow("7") << 7 << 0b11101110 << 0;
        QTest::newRow("13") << 13 << 0b11111110 << 0;
        QTest::newRow("18") << 18 << 0 << 2;
        QTest::newRow("20") << 20 << 0 << 6;
        QTest::newRow("21") << 21 << 0 << 7;
        QTest::newRow("9") << 9 << 0 << 0;
    }

    void arms_the_markers_of_the_new_type()
    {
        QFETCH(int, type);
        QFETCH(int, own);
        QFETCH(int, records);
        const auto ch = make(nullptr);
        laser_worker &w = *ch->worker;
        w.cw_record.new_units = 1;
        power_data &p = w.power_record;
        ps_data &ps = w.ps_record;
        ns_data &ns = w.ns_record;
        int32_t *const record_markers[] = {
            &p.first_read_current, &p.first_read_mode, &ps.first_read_voltage, &ps.first_read_temperature,
            &ps.first_read_frequency, &ps.first_read_gated, &ps.first_read_cutted, &ps.first_read_mode,
            &ns.first_read_voltage, &ns.first_read_temperature, &ns.first_read_frequency, &ns.first_read_gated,
            &ns.first_read_cutted, &ns.first_read_mode, &ns.first_read_width};
        for (int32_t *m : record_markers)
            *m = 0; // armed at construction; cleared to see what arms
        feed(*ch, 0xD0, type);
        QCOMPARE(w.device_type.load(), type);
        QVERIFY(w.heartbeat && w.type_changed);
        QCOMPARE(w.cw_record.new_units, 0);
        QCOMPARE(marker_bits(*ch), own);
        int armed = 0;
        for (int32_t *m : record_markers)
            armed += *m;
        QCOMPARE(armed, records);
    }

    // The output flags of a family that no type reply named while others
    // did are cleared at the presence check; a silent channel keeps every
    // flag, and two families answering at one address keep both.
    void unheard_family_loses_its_flag_at_the_check_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<QList<int>>("steps"); // 0: a presence check, else a reported type
        QTest::addColumn<QStringList>("kept");
        const QStringList all{"cw", "dcdc", "power", "ps_table", "ps", "ns_table", "ns"};
        QTest::newRow("CW replaced by DC/DC, no check yet") << 8 << QList<int>{16} << all;
        QTest::newRow("CW replaced by DC/DC, one check") << 8 << QList<int>{16, 0} << QStringList{"dcdc"};
        QTest::newRow("PS replaced by CW, one check") << 20 << QList<int>{8, 0} << QStringList{"cw"};
        QTest::newRow("silent: every flag kept") << 20 << QList<int>{0, 0} << all;
        QTest::newRow("lost, then CW, one check") << 20 << QList<int>{0, 8, 0} << QStringList{"cw"};
        QTest::newRow("8 and 10 share a record") << 8 << QList<int>{10, 0} << QStringList{"cw"};
        QTest::newRow("NS table replaced by NS") << 13 << QList<int>{21, 0} << QStringList{"ns"};
        QTest::newRow("CW and PS table at one address") << 8 << QList<int>{7, 8, 7, 0, 8, 7, 0}
                                                        << QStringList{"cw", "ps_table"};
        QTest::newRow("a type without a record answers") << 20 << QList<int>{9, 0} << QStringList{};
    }

    void unheard_family_loses_its_flag_at_the_check()
    {
        QFETCH(int, first);
        QFETCH(QList<int>, steps);
        QFETCH(QStringList, kept);
        const auto ch = make(nullptr);
        laser_worker &w = *ch->worker;
        // What the main window's presence check does for the channel.
        const auto check = [&] {
            if (!w.heartbeat)
                w.device_type = -1;
            w.heartbeat = false;
            ch->forget_unheard_outputs();
        };
        feed(*ch, 0xD0, first);
        check();
        const QList<QPair<QString, uint8_t *>> named = output_flags(w);
        for (const auto &n : named)
            *n.second = 1;
        for (int step : steps) {
            if (step == 0)
                check();
            else
                feed(*ch, 0xD0, step);
        }
        QStringList on;
        for (const auto &n : named)
            if (*n.second)
                on << n.first;
        QCOMPARE(on, kept);
    }

    // Armed by a new type, the first reading becomes the held copy once;
    // markers move 1 to 2 only, and the same type reported again re-arms nothing.
    void first_reading_is_held_once()
    {
        const auto ch = make(nullptr);
        laser_worker &w = *ch->worker;
        feed(*ch, 0xD0, 7);
        feed(*ch, 0x98, 125); // emission off: shown 0, held the reading
        QCOMPARE(w.ps_table_record.voltage, 0.0f);
        QCOMPARE(w.ps_table_record.voltage_target, 12.5f);
        feed(*ch, 0xB4, 4);
        QCOMPARE(ch->first_read_mode, 2);
        feed(*ch, 0xB4, 9);
        QCOMPARE(w.ps_table_record.gated, 9);
        QCOMPARE(w.ps_table_record.gated_target, 4);
        QCOMPARE(ch->first_read_gated, 2);
        ch->first_read_temperature = 0; // loaded by the page
        feed(*ch, 0xD0, 7);
        feed(*ch, 0x92, 300);
        QCOMPARE(ch->first_read_temperature, 0);
        QCOMPARE(w.ps_table_record.temperature_target, 0.0f);

        // Type 11 holds no temperature: its marker stays armed.
        feed(*ch, 0xD0, 11);
        feed(*ch, 0x92, 300);
        QCOMPARE(ch->first_read_temperature, 1);
        feed(*ch, 0xA4, 3);
        QCOMPARE(w.dcdc_record.mode_target, 3);
        QCOMPARE(ch->first_read_mode, 2);
    }

    void current_limits_follow_new_units()
    {
        const auto ch = make(nullptr);
        cw_data &r = ch->worker->cw_record;
        feed(*ch, 0xD0, 8);
        feed(*ch, 0xA5, 1500);
        QCOMPARE(r.current_max, 15.0f);
        feed(*ch, 0xB7, 350);
        QCOMPARE(r.new_units, 1);
        QCOMPARE(r.temperature_max, 35.0f);
        feed(*ch, 0xA5, 1500);
        QCOMPARE(r.current_max, 150.0f);
        feed(*ch, 0xD0, 14);
        QCOMPARE(r.new_units, 0);
    }

    void pulsed_mode_mapping_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("counts"); // gated and cutted
        QTest::addColumn<int>("mode_byte");
        QTest::addColumn<int>("expected");
        QTest::newRow("7 internal burst") << 7 << 1 << 0 << 1;
        QTest::newRow("7 3 as internal") << 7 << 0 << 3 << 0;
        QTest::newRow("6 3 keeps the mode") << 6 << 1 << 3 << 4;
        QTest::newRow("13 external burst") << 13 << 1 << 2 << 3;
        QTest::newRow("6 external normal") << 6 << 0 << 2 << 2;
        QTest::newRow("7 on demand") << 7 << 1 << 1 << 4;
        QTest::newRow("7 unknown keeps") << 7 << 1 << 9 << 4;
    }

    void pulsed_mode_mapping()
    {
        QFETCH(int, type);
        QFETCH(int, counts);
        QFETCH(int, mode_byte);
        QFETCH(int, expected);
        const auto ch = make(nullptr);
        laser_worker &w = *ch->worker;
        w.device_type = type;
        auto check = [&](auto &r) {
            r.mode = 4;
            r.gated = counts;
            r.cutted = counts;
            feed(*ch, 0xA4, mode_byte);
            QCOMPARE(r.mode, expected);
            QCOMPARE(r.burst, counts);
        };
        if (type == 7)
            check(w.ps_table_record);
        else
            check(w.ns_table_record);
    }

    // Handed-over types are still dispatched here: the type reply and the
    // controller's mode marker.
    void handed_over_frames_still_set_the_type()
    {
        const auto ch = make(nullptr);
        feed(*ch, 0xD0, 20);
        ch->first_read_mode = 1;
        feed(*ch, 0xA4, 2);
        QCOMPARE(ch->first_read_mode, 2);
        QCOMPARE(ch->worker->ps_record.mode, 2);
        feed(*ch, 0xD0, 21);
        QCOMPARE(ch->worker->device_type.load(), 21);
        ch->handle_rx_can_message(nullptr);
    }
};

QTEST_MAIN(tst_laser_object_replies)
#include "tst_laser_object_replies.moc"
