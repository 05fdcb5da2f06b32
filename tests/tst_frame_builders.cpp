#include <QtTest>

#include "comm/cw_data.h"
#include "comm/dcdc_data.h"
#include "comm/ns_data.h"
#include "comm/ns_table_data.h"
#include "comm/power_data.h"
#include "comm/ps_data.h"
#include "comm/ps_table_data.h"

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

// Golden frames of every builder. The expected data bytes are written out by
// hand from the catalogue's rules; the identifier is checked separately on
// several addresses and, for the shared builders, on each of the five records
// that carry them.

namespace {

enum record_kind { on_cw, on_ps_table, on_ns_table, on_ps, on_ns, on_dcdc, on_power };
const char *const kind_names[] = {"cw_data", "ps_table_data", "ns_table_data", "ps_data",
                                  "ns_data", "dcdc_data", "power_data"};

// The records live for the whole run, so each case also checks that a
// changed can_address reaches the next frame of the same record.
cw_data cw_rec;
ps_table_data ps_table_rec;
ns_table_data ns_table_rec;
ps_data ps_rec;
ns_data ns_rec;
dcdc_data dcdc_rec;
power_data power_rec;

template <typename F>
void with_shared(record_kind kind, int32_t address, F &&f)
{
    switch (kind) {
    case on_cw: cw_rec.can_address = address; f(cw_rec); break;
    case on_ps_table: ps_table_rec.can_address = address; f(ps_table_rec); break;
    case on_ns_table: ns_table_rec.can_address = address; f(ns_table_rec); break;
    case on_ps: ps_rec.can_address = address; f(ps_rec); break;
    case on_ns: ns_rec.can_address = address; f(ns_rec); break;
    default: QFAIL("not a record with shared builders");
    }
}

using build_fn = std::function<void(record_kind, int32_t, uint8_t *, uint32_t *)>;

struct builder_case
{
    std::string builder;   // the builder's name, for the coverage count
    std::string label;     // argument, for the row name
    record_kind family;    // on_cw stands for all five records with shared builders
    build_fn build;
    const char *data;      // d0..d7 as 16 hex digits
};

#define SHARED(name, args, label, data) \
    builder_case{#name, label, on_cw, \
                 [](record_kind k, int32_t a, uint8_t *b, uint32_t *l) { \
                     with_shared(k, a, [&](auto &r) { r.name(args b, l); }); \
                 }, data}
#define DCDC(name, args, label, data) \
    builder_case{#name, label, on_dcdc, \
                 [](record_kind, int32_t a, uint8_t *b, uint32_t *l) { \
                     dcdc_rec.can_address = a; dcdc_rec.name(args b, l); \
                 }, data}
#define POWER(name, args, label, data) \
    builder_case{#name, label, on_power, \
                 [](record_kind, int32_t a, uint8_t *b, uint32_t *l) { \
                     power_rec.can_address = a; power_rec.name(args b, l); \
                 }, data}
#define ARG(x) x,

const float nan_f = std::numeric_limits<float>::quiet_NaN();
const float inf_f = std::numeric_limits<float>::infinity();

const std::vector<builder_case> &cases()
{
    static const std::vector<builder_case> all = {
        // Requests shared by the CW and pulsed records: code, then seven zero bytes.
        SHARED(frame_get_output, , "", "9000000000000000"),
        SHARED(frame_get_current, , "", "9100000000000000"),
        SHARED(frame_get_temperature, , "", "9200000000000000"),
        SHARED(frame_get_power, , "", "9400000000000000"),
        SHARED(frame_get_beta, , "", "9500000000000000"),
        SHARED(frame_get_resistance, , "", "9600000000000000"),
        SHARED(frame_get_responsivity, , "", "9700000000000000"),
        SHARED(frame_get_voltage, , "", "9800000000000000"),
        SHARED(frame_get_frequency, , "", "9900000000000000"),
        SHARED(frame_get_emission, , "", "A200000000000000"),
        SHARED(frame_get_pulse_width, , "", "A300000000000000"),
        SHARED(frame_get_mode, , "", "A400000000000000"),
        SHARED(frame_get_max, , "", "A500000000000000"),
        SHARED(frame_get_min, , "", "A600000000000000"),
        SHARED(frame_get_faults, , "", "B000000000000000"),
        SHARED(frame_get_tec_current_max, , "", "B300000000000000"),
        SHARED(frame_get_gated, , "", "B400000000000000"),
        SHARED(frame_get_cutted, , "", "B500000000000000"),
        SHARED(frame_get_temperature_min, , "", "B600000000000000"),
        SHARED(frame_get_temperature_max, , "", "B700000000000000"),
        SHARED(frame_get_device_type, , "", "D000000000000000"),
        SHARED(frame_get_address, , "", "D100000000000000"),

        // 8-bit bytes in d7.
        SHARED(frame_set_output, ARG(uint8_t(1)), "1", "1000000000000001"),
        SHARED(frame_set_output, ARG(uint8_t(0)), "0", "1000000000000000"),
        SHARED(frame_set_output, ARG(uint8_t(0xFF)), "255", "10000000000000FF"),
        SHARED(frame_set_voltage_on, ARG(uint8_t(1)), "1", "2000000000000001"),
        SHARED(frame_set_tec_on, ARG(uint8_t(1)), "1", "2100000000000001"),
        SHARED(frame_set_tec_on, ARG(uint8_t(0)), "0", "2100000000000000"),
        SHARED(frame_set_emission, ARG(uint8_t(1)), "1", "2200000000000001"),
        SHARED(frame_set_mode, ARG(uint8_t(2)), "2", "2400000000000002"),
        SHARED(frame_set_address, ARG(uint8_t(7)), "7", "5100000000000007"),
        SHARED(frame_set_address, ARG(uint8_t(250)), "250", "51000000000000FA"),

        // 16 bits, rounded x10: halves away from zero, negatives without sign
        // extension into d4, d5; single-precision arguments widened first.
        SHARED(frame_set_current, ARG(1.25f), "1.25", "110000000000000D"),
        SHARED(frame_set_current, ARG(1.15f), "1.15", "110000000000000B"),
        SHARED(frame_set_current, ARG(-1.25f), "-1.25", "110000000000FFF3"),
        SHARED(frame_set_current, ARG(150.0f), "150", "11000000000005DC"),
        SHARED(frame_set_temperature, ARG(-5.25f), "-5.25", "120000000000FFCB"),
        SHARED(frame_set_temperature, ARG(25.0f), "25", "12000000000000FA"),
        SHARED(frame_set_temperature, ARG(-0.05f), "-0.05", "120000000000FFFF"),
        SHARED(frame_set_voltage, ARG(12.25f), "12.25", "180000000000007B"),
        SHARED(frame_set_voltage, ARG(-0.25f), "-0.25", "180000000000FFFD"),
        SHARED(frame_set_pulse_width, ARG(2.25f), "2.25", "2300000000000017"),
        SHARED(frame_set_pulse_width, ARG(2.45f), "2.45", "2300000000000019"),
        SHARED(frame_set_voltage_max, ARG(650.0f), "650", "2500000000001964"),
        SHARED(frame_set_voltage_max, ARG(-5.25f), "-5.25", "250000000000FFCB"),
        SHARED(frame_set_voltage_min, ARG(10.0f), "10", "2600000000000064"),
        SHARED(frame_set_voltage_min, ARG(-0.35f), "-0.35", "260000000000FFFD"),
        SHARED(frame_set_tec_current_max, ARG(1.55f), "1.55", "330000000000000F"),
        SHARED(frame_set_tec_current_max, ARG(2.5f), "2.5", "3300000000000019"),
        SHARED(frame_set_temperature_min, ARG(15.0f), "15", "3600000000000096"),
        SHARED(frame_set_temperature_min, ARG(-10.25f), "-10.25", "360000000000FF99"),
        SHARED(frame_set_temperature_max, ARG(35.0f), "35", "370000000000015E"),
        SHARED(frame_set_temperature_max, ARG(-0.15f), "-0.15", "370000000000FFFE"),

        // 32 bits, rounded: the low 32 bits of the integer in d4..d7.
        SHARED(frame_set_current_precise, ARG(1.5f), "1.5", "1100000000000096"),
        SHARED(frame_set_current_precise, ARG(0.125f), "0.125", "110000000000000D"),
        SHARED(frame_set_current_precise, ARG(-0.125f), "-0.125", "11000000FFFFFFF3"),
        SHARED(frame_set_temperature_precise, ARG(-1.5f), "-1.5", "12000000FFFFC568"),
        SHARED(frame_set_temperature_precise, ARG(12.34567f), "12.34567", "120000000001E241"),
        SHARED(frame_set_current_max, ARG(1500.0f), "1500", "2500000000003A98"),
        SHARED(frame_set_current_max, ARG(-0.05f), "-0.05", "25000000FFFFFFFF"),
        SHARED(frame_set_current_min, ARG(0.25f), "0.25", "2600000000000003"),
        SHARED(frame_set_current_min, ARG(-0.25f), "-0.25", "26000000FFFFFFFD"),

        // 16 bits, to the nearest hundredth: the hundredths typed are stored.
        SHARED(frame_set_responsivity, ARG(36.6f), "36.6", "1700000000000E4C"),
        SHARED(frame_set_responsivity, ARG(0.57f), "0.57", "1700000000000039"),
        SHARED(frame_set_responsivity, ARG(0.53f), "0.53", "1700000000000035"),
        SHARED(frame_set_responsivity, ARG(1.05f), "1.05", "1700000000000069"),
        SHARED(frame_set_responsivity, ARG(2.10f), "2.10", "17000000000000D2"),
        SHARED(frame_set_responsivity, ARG(655.35f), "655.35", "170000000000FFFF"),
        SHARED(frame_set_responsivity, ARG(-0.125f), "-0.125", "170000000000FFF3"),

        // Truncated, single-precision product where scaled.
        SHARED(frame_set_temperature_trunc, ARG(25.3f), "25.3", "12000000000000FD"),
        SHARED(frame_set_temperature_trunc, ARG(-2.57f), "-2.57", "120000000000FFE7"),
        SHARED(frame_set_temperature_trunc, ARG(25.39f), "25.39", "12000000000000FD"),
        SHARED(frame_set_beta, ARG(3950.9f), "3950.9", "1500000000000F6E"),
        SHARED(frame_set_beta, ARG(-1.9f), "-1.9", "150000000000FFFF"),
        SHARED(frame_set_resistance, ARG(10000.7f), "10000.7", "1600000000002710"),
        SHARED(frame_set_resistance, ARG(70000.0f), "70000", "1600000000001170"),
        SHARED(frame_set_frequency, ARG(12500.9f), "12500.9", "19000000000030D4"),
        SHARED(frame_set_frequency, ARG(100000.0f), "100000", "19000000000186A0"),
        SHARED(frame_set_frequency, ARG(-1.5f), "-1.5", "19000000FFFFFFFF"),
        SHARED(frame_set_frequency_16, ARG(70000.0f), "70000", "1900000000001170"),
        SHARED(frame_set_frequency_16, ARG(20000.0f), "20000", "1900000000004E20"),

        // 16-bit integers, low 16 bits only.
        SHARED(frame_set_gated, ARG(1000), "1000", "34000000000003E8"),
        SHARED(frame_set_gated, ARG(-1), "-1", "340000000000FFFF"),
        SHARED(frame_set_gated, ARG(70000), "70000", "3400000000001170"),
        SHARED(frame_set_cutted, ARG(5), "5", "3500000000000005"),
        SHARED(frame_set_cutted, ARG(-2), "-2", "350000000000FFFE"),

        // Out of range and not a number: saturated at the integer the
        // encoding produces (then its low bits), NaN as 0.
        SHARED(frame_set_current, ARG(nan_f), "NaN", "1100000000000000"),
        SHARED(frame_set_current, ARG(1e10f), "1e10", "110000000000FFFF"),
        SHARED(frame_set_current, ARG(-1e10f), "-1e10", "1100000000000000"),
        SHARED(frame_set_current_precise, ARG(nan_f), "NaN", "1100000000000000"),
        SHARED(frame_set_current_precise, ARG(inf_f), "inf", "11000000FFFFFFFF"),
        SHARED(frame_set_current_precise, ARG(-inf_f), "-inf", "1100000000000000"),
        SHARED(frame_set_current_precise, ARG(3e7f), "3e7", "11000000B2D05E00"),
        SHARED(frame_set_temperature_trunc, ARG(nan_f), "NaN", "1200000000000000"),
        SHARED(frame_set_temperature_trunc, ARG(3e9f), "3e9", "120000000000FFFF"),
        SHARED(frame_set_responsivity, ARG(-inf_f), "-inf", "1700000000000000"),
        SHARED(frame_set_frequency, ARG(3e9f), "3e9", "190000007FFFFFFF"),
        SHARED(frame_set_frequency, ARG(-3e9f), "-3e9", "1900000080000000"),
        SHARED(frame_set_frequency, ARG(nan_f), "NaN", "1900000000000000"),
        SHARED(frame_set_frequency_16, ARG(nan_f), "NaN", "1900000000000000"),
        SHARED(frame_set_frequency, ARG(2147483520.0f), "2^31-128", "190000007FFFFF80"),
        SHARED(frame_set_frequency, ARG(2147483648.0f), "2^31", "190000007FFFFFFF"),
        SHARED(frame_set_frequency, ARG(-2147483648.0f), "-2^31", "1900000080000000"),
        SHARED(frame_set_beta, ARG(inf_f), "inf", "150000000000FFFF"),

        // The DC/DC record's own builders.
        DCDC(frame_clear_faults, , "", "2900000000000000"),
        DCDC(frame_get_output, , "", "9000000000000000"),
        DCDC(frame_get_current, , "", "9100000000000000"),
        DCDC(frame_get_temperature, , "", "9200000000000000"),
        DCDC(frame_get_input_voltage, , "", "9400000000000000"),
        DCDC(frame_get_frequency, , "", "9900000000000000"),
        DCDC(frame_get_pulse_width, , "", "A300000000000000"),
        DCDC(frame_get_mode, , "", "A400000000000000"),
        DCDC(frame_get_output_voltage, , "", "A600000000000000"),
        DCDC(frame_get_faults, , "", "B000000000000000"),
        DCDC(frame_set_output, ARG(1), "1", "1000000000000001"),
        DCDC(frame_set_output, ARG(0), "0", "1000000000000000"),
        DCDC(frame_set_current, ARG(2.5f), "2.5", "11000000000000FA"),
        DCDC(frame_set_current, ARG(0.125f), "0.125", "110000000000000D"),
        DCDC(frame_set_current, ARG(-0.125f), "-0.125", "110000000000FFF3"),
        DCDC(frame_set_current, ARG(nan_f), "NaN", "1100000000000000"),
        DCDC(frame_set_frequency, ARG(100000), "100000", "19000000000186A0"),
        DCDC(frame_set_frequency, ARG(-1), "-1", "19000000FFFFFFFF"),
        DCDC(frame_set_pulse_width, ARG(500), "500", "23000000000001F4"),
        DCDC(frame_set_pulse_width, ARG(70000), "70000", "2300000000001170"),
        DCDC(frame_set_pulse_width, ARG(-2), "-2", "230000000000FFFE"),
        DCDC(frame_set_mode, ARG(uint8_t(5)), "5", "2400000000000005"),

        // The power record's own builders.
        POWER(frame_clear_faults, , "", "2900000000000000"),
        POWER(frame_get_output, , "", "9000000000000000"),
        POWER(frame_get_current, , "", "9100000000000000"),
        POWER(frame_get_temperature, , "", "9200000000000000"),
        POWER(frame_get_input_voltage, , "", "9400000000000000"),
        POWER(frame_get_mode, , "", "A400000000000000"),
        POWER(frame_get_current_max, , "", "A500000000000000"),
        POWER(frame_get_output_voltage, , "", "A600000000000000"),
        POWER(frame_get_faults, , "", "B000000000000000"),
        POWER(frame_set_output, ARG(1), "1", "1000000000000001"),
        POWER(frame_set_output, ARG(0), "0", "1000000000000000"),
        POWER(frame_set_current, ARG(2.5f), "2.5", "11000000000000FA"),
        POWER(frame_set_current, ARG(1.005f), "1.005", "1100000000000064"),
        POWER(frame_set_current, ARG(-0.125f), "-0.125", "110000000000FFF3"),
        POWER(frame_set_mode, ARG(uint8_t(2)), "2", "2400000000000002"),
        POWER(frame_set_current_max, ARG(14.0f), "14", "2500000000000578"),
        POWER(frame_set_current_max, ARG(-0.125f), "-0.125", "250000000000FFF3"),
        POWER(frame_save_config, ARG(uint8_t(0)), "0", "3300000000000000"),
    };
    return all;
}

QByteArray build(const builder_case &c, record_kind kind, int32_t address, uint32_t *len)
{
    uint8_t buf[40];
    memset(buf, 0xAA, sizeof buf);
    *len = 0;
    c.build(kind, address, buf, len);
    // Nothing is written past the 22 bytes (no terminating zero).
    for (size_t i = 22; i < sizeof buf; ++i)
        if (buf[i] != 0xAA)
            return QByteArray("written past the frame");
    return QByteArray(reinterpret_cast<const char *>(buf), 22);
}

QByteArray expected_frame(int32_t address, const char *data)
{
    return "t" + QByteArray::number(address & 0xFFF, 16).toUpper().rightJustified(3, '0') + "8"
           + QByteArray(data) + "\r";
}

} // namespace

class tst_frame_builders : public QObject
{
    Q_OBJECT
private slots:
    void golden_frames_data();
    void golden_frames();
    void every_builder_covered();
    void worked_examples_data();
    void worked_examples();
    void identifier_is_read_at_every_build();
};

void tst_frame_builders::golden_frames_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("kind");
    const auto &all = cases();
    for (int i = 0; i < int(all.size()); ++i) {
        const auto &c = all[size_t(i)];
        const std::vector<record_kind> kinds = c.family == on_cw
            ? std::vector<record_kind>{on_cw, on_ps_table, on_ns_table, on_ps, on_ns}
            : std::vector<record_kind>{c.family};
        for (record_kind k : kinds) {
            const QByteArray name = QByteArray(kind_names[k]) + "::" + c.builder.c_str()
                                    + "(" + c.label.c_str() + ")";
            QTest::newRow(name.constData()) << i << int(k);
        }
    }
}

void tst_frame_builders::golden_frames()
{
    QFETCH(int, index);
    QFETCH(int, kind);
    const builder_case &c = cases()[size_t(index)];
    QCOMPARE(int(strlen(c.data)), 16);
    // The identifier is the record's can_address, whatever it is.
    for (int32_t address : {0, 5, 0x12, 250, 255}) {
        uint32_t len = 0;
        const QByteArray frame = build(c, record_kind(kind), address, &len);
        QCOMPARE(frame, expected_frame(address, c.data));
        QCOMPARE(len, 22u);
    }
}

void tst_frame_builders::every_builder_covered()
{
    std::set<std::string> shared, dcdc, power;
    for (const auto &c : cases())
        (c.family == on_cw ? shared : c.family == on_dcdc ? dcdc : power).insert(c.builder);
    // 22 requests and 27 commands shared; 10 + 5 on dcdc_data; 9 + 5 on power_data.
    QCOMPARE(int(shared.size()), 49);
    QCOMPARE(int(dcdc.size()), 15);
    QCOMPARE(int(power.size()), 14);
}

void tst_frame_builders::worked_examples_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    uint8_t b[22];
    uint32_t l = 0;
    auto text = [&] { return QByteArray(reinterpret_cast<const char *>(b), int(l)); };

    cw_data cw;
    cw.can_address = 5;
    cw.frame_get_current(b, &l);
    QTest::newRow("current request to 5") << text() << QByteArray("t00589100000000000000\r");

    power_data power;
    power.can_address = 0x12;
    power.frame_set_current(2.5f, b, &l);
    QTest::newRow("type 18 current 2.5 to 0x12") << text() << QByteArray("t012811000000000000FA\r");

    ns_data ns;
    ns.can_address = 3;
    ns.frame_set_temperature(-5.25f, b, &l);
    QTest::newRow("temperature -5.25 to 3") << text() << QByteArray("t0038120000000000FFCB\r");

    cw.can_address = 0x0A;
    cw.frame_set_temperature_precise(-1.5f, b, &l);
    QTest::newRow("precise temperature -1.5 to 0x0A") << text() << QByteArray("t00A812000000FFFFC568\r");

    cw.can_address = 250;
    cw.frame_set_address(7, b, &l);
    QTest::newRow("new address 7 on 250") << text() << QByteArray("t0FA85100000000000007\r");
}

void tst_frame_builders::worked_examples()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame, expected);
}

void tst_frame_builders::identifier_is_read_at_every_build()
{
    // One record, its address changed between two frames (as the GUI thread
    // does when the channel is configured while the worker polls).
    ps_data ps;
    uint8_t b[22];
    uint32_t l = 0;
    ps.can_address = 1;
    ps.frame_get_voltage(b, &l);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(b), 4), QByteArray("t001"));
    ps.can_address = 0x2C;
    ps.frame_get_voltage(b, &l);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(b), 4), QByteArray("t02C"));

    // Building changes nothing in the record.
    dcdc_data dcdc;
    dcdc.can_address = 9;
    dcdc.current_set = 3.0f;
    dcdc.frame_set_current(dcdc.current_set, b, &l);
    QCOMPARE(dcdc.current_set, 3.0f);
    QCOMPARE(dcdc.can_address.load(), 9);
}

QTEST_APPLESS_MAIN(tst_frame_builders)
#include "tst_frame_builders.moc"
