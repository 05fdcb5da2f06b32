#include <QtTest>

#include "comm/cw_data.h"
#include "comm/dcdc_data.h"
#include "comm/ns_data.h"
#include "comm/ns_table_data.h"
#include "comm/power_data.h"
#include "comm/ps_data.h"
#include "comm/ps_table_data.h"

#include <type_traits>

// What a freshly built record holds: the values the pages and the first
// frames start from, the frequency tables with their end mark and the mode
// list with its "nullptr" end entry.

namespace {

template <typename record_t>
QList<int> walk_table(const record_t &r)
{
    QList<int> out;
    for (int i = 0; i < 100 && r.freq_table[i] != -1; ++i)
        out << r.freq_table[i];
    return out;
}

template <typename record_t>
QStringList walk_modes(const record_t &r)
{
    QStringList out;
    for (int i = 0; i < 6 && r.mode_names[i] != "nullptr"; ++i)
        out << r.mode_names[i];
    return out;
}

template <typename record_t>
void check_pulsed_block(const record_t &r)
{
    QCOMPARE(r.mode_names[5], QString("nullptr"));
    QCOMPARE(walk_modes(r), QStringList({"Int: Normal", "Int: Burst", "Ext: Normal",
                                         "Ext: Burst", "Pulse on Demand"}));
    QCOMPARE(r.mode, 0);
    QCOMPARE(r.mode_set, 0);
    QCOMPARE(r.burst, 0);
    QCOMPARE(r.voltage, 0.0f);
    QCOMPARE(r.voltage_min, 0.0f);
    QCOMPARE(r.voltage_max, 1000000.0f);
    QCOMPARE(r.voltage_set, 0.0f);
    QCOMPARE(r.voltage_target, 0.0f);
    QCOMPARE(r.temperature, 0.0f);
    QCOMPARE(r.temperature_max, 35.0f);
    QCOMPARE(r.temperature_min, 15.0f);
    QCOMPARE(r.temperature_set, 0.0f);
    QCOMPARE(r.temperature_target, 0.0f);
    QCOMPARE(r.emission_on, uint8_t(0));
    QCOMPARE(r.tec_on, uint8_t(0));
    QCOMPARE(r.voltage_on, uint8_t(0));
    QCOMPARE(r.frequency, 1);
    QCOMPARE(r.frequency_target, 1);
    QCOMPARE(r.gated, 0);
    QCOMPARE(r.gated_target, 0);
    QCOMPARE(r.cutted, 0);
    QCOMPARE(r.cutted_target, 0);
    QCOMPARE(r.resistance, 0);
    QCOMPARE(r.beta, 0);
    QCOMPARE(r.responsivity, 0.0f);
    QCOMPARE(r.tec_current_max, 0.0f);
}

template <typename record_t>
void check_ns_part(const record_t &r)
{
    QCOMPARE(r.pulse_width, 1.0f);
    QCOMPARE(r.pulse_width_max, 1000.0f);
    QCOMPARE(r.pulse_width_min, 1.0f);
    QCOMPARE(r.pulse_width_target, 0.0f);
    QCOMPARE(r.duty_limit, 0.02);
}

template <typename record_t>
void check_markers_armed(const record_t &r)
{
    QCOMPARE(r.first_read_voltage, 1);
    QCOMPARE(r.first_read_temperature, 1);
    QCOMPARE(r.first_read_frequency, 1);
    QCOMPARE(r.first_read_gated, 1);
    QCOMPARE(r.first_read_cutted, 1);
    QCOMPARE(r.first_read_mode, 1);
}

} // namespace

class tst_record_start_values : public QObject
{
    Q_OBJECT
private slots:
    void cw_record();
    void dcdc_record();
    void power_record();
    void table_records();
    void short_pulsed_records();
    void address_is_atomic_32_bit();
};

void tst_record_start_values::cw_record()
{
    cw_data r;
    QCOMPARE(r.can_address.load(), 0);
    QCOMPARE(r.current_max, 150.0f);
    QCOMPARE(r.temperature_max, 35.0f);
    QCOMPARE(r.temperature_min, 15.0f);
    for (float v : {r.current_min, r.current, r.current_set, r.current_target, r.temperature,
                    r.temperature_set, r.temperature_target, r.power, r.responsivity, r.tec_current_max})
        QCOMPARE(v, 0.0f);
    for (int v : {r.new_units, r.resistance, r.beta, r.mode, r.faults, r.mode_target, int(r.output_on),
                  int(r.tec_on)})
        QCOMPARE(v, 0);
}

void tst_record_start_values::dcdc_record()
{
    dcdc_data r;
    QCOMPARE(r.current_max, 14.0f);
    QCOMPARE(r.temperature_max, 70.0f);
    for (float v : {r.current, r.current_min, r.current_set, r.current_target, r.temperature,
                    r.temperature_min, r.output_voltage, r.input_voltage})
        QCOMPARE(v, 0.0f);
    for (int v : {int(r.output_on), int(r.warnings), r.frequency_set, r.frequency, r.pulse_width_set,
                  r.pulse_width, r.mode, int(r.faults), r.mode_target, r.frequency_target,
                  r.pulse_width_target})
        QCOMPARE(v, 0);
    QCOMPARE(r.fault_texts.size(), 10);
}

void tst_record_start_values::power_record()
{
    power_data r;
    QCOMPARE(r.label, QString("Torvex-1000"));
    QCOMPARE(r.mode_names, QStringList({"Mode CW", "External TTL", "External Analog"}));
    QCOMPARE(r.current_max, 14.0f);
    QCOMPARE(r.current_min, 0.1f);
    QCOMPARE(r.temperature_max, 70.0f);
    QCOMPARE(r.temperature_min, 0.0f);
    for (float v : {r.current, r.current_set, r.current_target, r.temperature, r.input_voltage,
                    r.output_voltage})
        QCOMPARE(v, 0.0f);
    for (int v : {int(r.output_on), int(r.warnings), int(r.faults), r.mode, r.first_read_mode,
                  r.first_read_current, r.mode_target})
        QCOMPARE(v, 0);
    QCOMPARE(r.fault_text(uint16_t(r.faults + r.warnings)), QString());
}

void tst_record_start_values::table_records()
{
    ps_table_data ps;
    const QList<int> ps_list = walk_table(ps);
    QCOMPARE(ps_list.size(), 43);
    QCOMPARE(ps_list.first(), 1);
    QCOMPARE(ps_list.last(), 50000);
    QCOMPARE(ps_list.mid(36), QList<int>({10000, 11000, 12500, 16000, 20000, 25000, 50000}));
    QCOMPARE(ps.freq_table[43], -1);
    for (int i = 44; i < 100; ++i)
        QCOMPARE(ps.freq_table[i], 0);
    for (int i = 1; i < ps_list.size(); ++i)
        QVERIFY(ps_list[i] > ps_list[i - 1]);
    check_pulsed_block(ps);

    ns_table_data ns;
    const QList<int> ns_list = walk_table(ns);
    QCOMPARE(ns_list.size(), 41);
    QCOMPARE(ns_list.last(), 20000);
    QCOMPARE(ns_list, ps_list.mid(0, 41));
    QCOMPARE(ns.freq_table[41], -1);
    for (int i = 42; i < 100; ++i)
        QCOMPARE(ns.freq_table[i], 0);
    check_pulsed_block(ns);
    check_ns_part(ns);
}

void tst_record_start_values::short_pulsed_records()
{
    ps_data ps;
    check_pulsed_block(ps);
    check_markers_armed(ps);

    ns_data ns;
    check_pulsed_block(ns);
    check_ns_part(ns);
    check_markers_armed(ns);
    QCOMPARE(ns.first_read_width, 1);
}

void tst_record_start_values::address_is_atomic_32_bit()
{
    // The worker thread reads it while the GUI thread writes it.
    static_assert(std::is_same_v<decltype(cw_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(dcdc_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(power_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(ps_table_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(ns_table_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(ps_data::can_address), std::atomic<int32_t>>);
    static_assert(std::is_same_v<decltype(ns_data::can_address), std::atomic<int32_t>>);
    QVERIFY(std::atomic<int32_t>::is_always_lock_free);
}

QTEST_APPLESS_MAIN(tst_record_start_values)
#include "tst_record_start_values.moc"
