#include <QtTest>

#include "comm/power_data.h"
#include "comm/ns_data.h"
#include "comm/ps_data.h"
#include "comm/serial_structs.h"

#include <functional>
#include <type_traits>
#include <vector>

// The own reply decoders of types 18, 20 and 21. Each row presets some
// fields, feeds one reply and names the fields that must change; every other
// numeric field of the record must keep its value, so a decoder that writes
// a wrong field, or reacts to a code it should ignore, fails.

namespace {

struct field_ref
{
    QString name;
    std::function<QVariant()> get;
    std::function<void(const QVariant &)> set;
};

#define FIELD(r, f) \
    field_ref{QStringLiteral(#f), [&r] { return QVariant::fromValue(r.f); }, \
              [&r](const QVariant &v) { r.f = v.value<std::decay_t<decltype(r.f)>>(); }}
#define ADDRESS(r) \
    field_ref{QStringLiteral("can_address"), [&r] { return QVariant(r.can_address.load()); }, \
              [&r](const QVariant &v) { r.can_address = v.toInt(); }}

std::vector<field_ref> fields(power_data &r)
{
    return {FIELD(r, output_on), FIELD(r, current), FIELD(r, current_max), FIELD(r, current_min),
            FIELD(r, current_set), FIELD(r, current_target), FIELD(r, temperature),
            FIELD(r, temperature_max), FIELD(r, temperature_min), FIELD(r, warnings),
            FIELD(r, faults), FIELD(r, mode), FIELD(r, input_voltage), FIELD(r, output_voltage),
            FIELD(r, first_read_mode), FIELD(r, first_read_current), FIELD(r, mode_target),
            ADDRESS(r)};
}

template <typename record_t>
std::vector<field_ref> pulsed_fields(record_t &r)
{
    return {FIELD(r, mode), FIELD(r, mode_set), FIELD(r, burst), FIELD(r, voltage),
            FIELD(r, voltage_min), FIELD(r, voltage_max), FIELD(r, voltage_set),
            FIELD(r, voltage_target), FIELD(r, temperature), FIELD(r, temperature_max),
            FIELD(r, temperature_min), FIELD(r, temperature_set), FIELD(r, temperature_target),
            FIELD(r, emission_on), FIELD(r, tec_on), FIELD(r, voltage_on), FIELD(r, frequency),
            FIELD(r, frequency_target), FIELD(r, gated), FIELD(r, gated_target), FIELD(r, cutted),
            FIELD(r, cutted_target), FIELD(r, resistance), FIELD(r, beta), FIELD(r, responsivity),
            FIELD(r, first_read_voltage), FIELD(r, first_read_temperature),
            FIELD(r, first_read_frequency), FIELD(r, first_read_gated), FIELD(r, first_read_cutted),
            FIELD(r, first_read_mode), FIELD(r, tec_current_max), ADDRESS(r)};
}

std::vector<field_ref> fields(ps_data &r)
{
    return pulsed_fields(r);
}

std::vector<field_ref> fields(ns_data &r)
{
    auto all = pulsed_fields(r);
    for (auto &&f : {FIELD(r, pulse_width), FIELD(r, pulse_width_max), FIELD(r, pulse_width_min),
                     FIELD(r, pulse_width_target), FIELD(r, duty_limit), FIELD(r, first_read_width)})
        all.push_back(f);
    return all;
}

serial_message_struct reply(const QByteArray &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    serial_message_struct m;
    m.can_id = 0x7FF;
    for (int i = 0; i < 8 && i < bytes.size(); ++i)
        m.data[i] = uint8_t(bytes[i]);
    return m;
}

bool same_value(const QVariant &actual, const QVariant &expected)
{
    // Float fields hold single-precision quotients: compare in float.
    if (actual.userType() == QMetaType::Float)
        return actual.toFloat() == float(expected.toDouble());
    return actual.toDouble() == expected.toDouble();
}

template <typename record_t>
void run_row(const QVariantMap &preset, const QByteArray &hex, const QVariantMap &changes,
             void (*feed)(record_t &, const serial_message_struct &))
{
    record_t r;
    auto f = fields(r);
    for (auto it = preset.begin(); it != preset.end(); ++it) {
        auto hit = std::find_if(f.begin(), f.end(), [&](const field_ref &x) { return x.name == it.key(); });
        QVERIFY2(hit != f.end(), qPrintable("no field " + it.key()));
        hit->set(it.value());
    }
    for (const QString &name : changes.keys())
        QVERIFY2(std::any_of(f.begin(), f.end(), [&](const field_ref &x) { return x.name == name; }),
                 qPrintable("no field " + name));
    QVariantMap before;
    for (const auto &x : f)
        before[x.name] = x.get();

    const serial_message_struct m = reply(hex);
    feed(r, m);

    for (const auto &x : f) {
        const QVariant expected = changes.contains(x.name) ? changes[x.name] : before[x.name];
        const QVariant actual = x.get();
        QVERIFY2(same_value(actual, expected),
                 qPrintable(QStringLiteral("%1: got %2, expected %3")
                                .arg(x.name, actual.toString(), expected.toString())));
    }
}

using vm = QVariantMap;

} // namespace

class tst_record_decoders : public QObject
{
    Q_OBJECT
private slots:
    void power_replies_data();
    void power_replies();
    void pulsed_replies_data();
    void pulsed_replies();
    void marker_cycle_of_power_current();
    void address_byte_and_identifier_are_not_examined();
    void null_frame_changes_nothing();
};

void tst_record_decoders::power_replies_data()
{
    QTest::addColumn<vm>("preset");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<vm>("changes");

    QTest::newRow("0x90 on") << vm{} << QByteArray("9001000000000001") << vm{{"output_on", 1}};
    QTest::newRow("0x90 any non-zero byte") << vm{} << QByteArray("9001000000000080") << vm{{"output_on", 1}};
    QTest::newRow("0x90 off") << vm{{"output_on", 1}} << QByteArray("9001000000000000") << vm{{"output_on", 0}};
    QTest::newRow("0x90 looks at d7 only") << vm{} << QByteArray("90010000FFFFFF00") << vm{};
    QTest::newRow("0x91 /100, marker idle")
        << vm{} << QByteArray("91010000000004D2") << vm{{"current", 12.34}};
    QTest::newRow("0x91 armed copies into target")
        << vm{{"first_read_current", 1}} << QByteArray("91010000000004D2")
        << vm{{"current", 12.34}, {"current_target", 12.34}, {"first_read_current", 2}};
    QTest::newRow("0x91 marker 2 leaves target")
        << vm{{"first_read_current", 2}, {"current_target", 5.0}} << QByteArray("91010000000004D2")
        << vm{{"current", 12.34}};
    QTest::newRow("0x91 negative") << vm{} << QByteArray("9101000080000000")
                                   << vm{{"current", -2147483648.0f / 100.0f}};
    QTest::newRow("0x91 largest") << vm{} << QByteArray("910100007FFFFFFF")
                                  << vm{{"current", float(2147483647) / 100.0f}};
    QTest::newRow("0x92 FF FF FF 9C is -10.0")
        << vm{} << QByteArray("92010000FFFFFF9C") << vm{{"temperature", -10.0}};
    QTest::newRow("0x94 input voltage /10") << vm{} << QByteArray("94010000000001F4") << vm{{"input_voltage", 50.0}};
    QTest::newRow("0xA6 output voltage /10") << vm{} << QByteArray("A60100000000007B") << vm{{"output_voltage", 12.3}};
    QTest::newRow("0xA5 current limit /100") << vm{} << QByteArray("A501000000000578") << vm{{"current_max", 14.0}};
    QTest::newRow("0xA5 lowers the limit") << vm{} << QByteArray("A5010000000000FA") << vm{{"current_max", 2.5}};
    QTest::newRow("0xB0 fault byte, d4..d6 ignored")
        << vm{} << QByteArray("B0010000FFFFFF81") << vm{{"faults", 0x81}};
    QTest::newRow("0xB0 clears") << vm{{"faults", 0x81}} << QByteArray("B001000000000000") << vm{{"faults", 0}};
    QTest::newRow("0xA4 mode, marker idle") << vm{} << QByteArray("A401000000000002") << vm{{"mode", 2}};
    QTest::newRow("0xA4 armed: marker 2, mode target")
        << vm{{"first_read_mode", 1}} << QByteArray("A401000000000002")
        << vm{{"mode", 2}, {"first_read_mode", 2}, {"mode_target", 2}};
    QTest::newRow("0xA4 marker 2 leaves mode target")
        << vm{{"first_read_mode", 2}, {"mode_target", 1}} << QByteArray("A401000000000000") << vm{{"mode", 0}};
    QTest::newRow("0xA4 no range check") << vm{} << QByteArray("A401000000000007") << vm{{"mode", 7}};
    QTest::newRow("0xD0 ignored") << vm{} << QByteArray("D001000000000012") << vm{};
    QTest::newRow("0xD1 ignored") << vm{} << QByteArray("D101000000000005") << vm{};
    QTest::newRow("0xB6 ignored") << vm{} << QByteArray("B601000000000096") << vm{};
    QTest::newRow("0x99 ignored") << vm{} << QByteArray("99010000000030D4") << vm{};
    QTest::newRow("0xB3 ignored") << vm{} << QByteArray("B301000000000019") << vm{};
    QTest::newRow("0x29 ignored") << vm{} << QByteArray("2901000000000000") << vm{};
    QTest::newRow("code 0 ignored") << vm{{"first_read_current", 1}} << QByteArray("0001000000000001") << vm{};
}

void tst_record_decoders::power_replies()
{
    QFETCH(vm, preset);
    QFETCH(QByteArray, hex);
    QFETCH(vm, changes);
    run_row<power_data>(preset, hex, changes,
                        [](power_data &r, const serial_message_struct &m) { r.handle_rx(&m); });
}

void tst_record_decoders::pulsed_replies_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<vm>("preset");
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<vm>("changes");

    struct row { const char *name; vm preset; const char *hex; vm changes; };
    // The markers start at 1; rows that test a measured field alone idle them.
    const vm idle{{"first_read_voltage", 0}, {"first_read_temperature", 0}, {"first_read_frequency", 0},
                  {"first_read_gated", 0}, {"first_read_cutted", 0}, {"first_read_mode", 0}};
    auto with = [](vm a, const vm &b) { for (auto it = b.begin(); it != b.end(); ++it) a[it.key()] = it.value(); return a; };

    const std::vector<row> common = {
        {"0xA2 emission on", idle, "A201000000000001", {{"emission_on", 1}}},
        {"0xA2 emission off", with(idle, {{"emission_on", 1}}), "A201000000000000", {{"emission_on", 0}}},
        {"0xA0 voltage on", idle, "A001000000000001", {{"voltage_on", 1}}},
        {"0xA1 TEC on", idle, "A1010000000000FF", {{"tec_on", 1}}},
        {"0x98 emission off, armed: target only", {}, "980100000000007B",
         {{"voltage_target", 12.3}, {"first_read_voltage", 2}}},
        {"0x98 emission off, marker 2: voltage stays 0", with(idle, {{"first_read_voltage", 2}, {"voltage", 5.0}}),
         "980100000000007B", {{"voltage", 0.0}}},
        {"0x98 emission on, armed", {{"emission_on", 1}}, "980100000000007B",
         {{"voltage", 12.3}, {"voltage_target", 12.3}, {"first_read_voltage", 2}}},
        {"0x98 emission on, idle", with(idle, {{"emission_on", 1}}), "98010000000004D2", {{"voltage", 123.4}}},
        {"0x92 -10.0, armed", {}, "92010000FFFFFF9C",
         {{"temperature", -10.0}, {"temperature_target", -10.0}, {"first_read_temperature", 2}}},
        {"0x92 idle", idle, "92010000000000FA", {{"temperature", 25.0}}},
        {"0x99 raw, armed", {}, "99010000000030D4",
         {{"frequency", 12500}, {"frequency_target", 12500}, {"first_read_frequency", 2}}},
        {"0x99 marker 2", with(idle, {{"first_read_frequency", 2}}), "99010000000186A0", {{"frequency", 100000}}},
        {"0x99 negative raw", idle, "99010000FFFFFFFE", {{"frequency", -2}}},
        {"0xB4 armed: gated and mode markers", {}, "B401000000000005",
         {{"gated", 5}, {"gated_target", 5}, {"first_read_gated", 2}, {"first_read_mode", 2}}},
        {"0xB4 gated marker 0 leaves mode marker", with(idle, {{"first_read_mode", 1}}), "B401000000000005",
         {{"gated", 5}}},
        {"0xB5 armed", {}, "B501000000000003",
         {{"cutted", 3}, {"cutted_target", 3}, {"first_read_cutted", 2}}},
        {"0xB5 idle", idle, "B501000000010000", {{"cutted", 65536}}},
        {"0xA4 byte 0 with counts: burst, index 1", with(idle, {{"gated", 5}, {"cutted", 3}}),
         "A401000000000000", {{"burst", 1}, {"mode", 1}}},
        {"0xA4 byte 0 without counts: index 0", with(idle, {{"gated", 5}, {"mode", 3}, {"burst", 1}}),
         "A401000000000000", {{"burst", 0}, {"mode", 0}}},
        {"0xA4 byte 2 without gated: index 2", with(idle, {{"cutted", 3}}), "A401000000000002", {{"mode", 2}}},
        {"0xA4 byte 2 with counts: index 3", with(idle, {{"gated", 5}, {"cutted", 3}}), "A401000000000002",
         {{"burst", 1}, {"mode", 3}}},
        {"0xA4 byte 1: index 4 whatever the counts", with(idle, {{"gated", 5}, {"cutted", 3}}),
         "A401000000000001", {{"burst", 1}, {"mode", 4}}},
        {"0xA4 byte 7: burst updated, mode kept", with(idle, {{"gated", 5}, {"cutted", 3}, {"mode", 2}}),
         "A401000000000007", {{"burst", 1}}},
        {"0xA4 negative counts: no burst", with(idle, {{"gated", -1}, {"cutted", -1}, {"burst", 1}}),
         "A401000000000000", {{"burst", 0}}},
        {"0xA4 armed: mode marker 2", {}, "A401000000000002", {{"mode", 2}, {"first_read_mode", 2}}},
        {"0xA4 marker 0 stays", idle, "A401000000000001", {{"mode", 4}}},
        {"0x97 responsivity /100", idle, "9701000000000E4B", {{"responsivity", 36.59}}},
        {"0x96 resistance raw", idle, "9601000000002710", {{"resistance", 10000}}},
        {"0x96 resistance negative", idle, "96010000FFFFFFFF", {{"resistance", -1}}},
        {"0x95 beta raw", idle, "9501000000000F6E", {{"beta", 3950}}},
        {"0xA6 voltage min /10", idle, "A601000000000064", {{"voltage_min", 10.0}}},
        {"0xA5 voltage max /10", idle, "A501000000001964", {{"voltage_max", 650.0}}},
        {"0xB6 temperature min /10", idle, "B601000000000064", {{"temperature_min", 10.0}}},
        {"0xB7 temperature max /10", idle, "B7010000000001C2", {{"temperature_max", 45.0}}},
        {"0xB7 negative", idle, "B7010000FFFFFF9C", {{"temperature_max", -10.0}}},
        {"0xB3 TEC current max /10", idle, "B301000000000019", {{"tec_current_max", 2.5}}},
        {"0xD0 ignored", {}, "D001000000000014", {}},
        {"0xD1 ignored", {}, "D101000000000005", {}},
        {"0x90 ignored", {}, "9001000000000001", {}},
        {"0x91 ignored", {}, "91010000000004D2", {}},
        {"0xB0 ignored", {}, "B001000000000081", {}},
        {"0x94 ignored", {}, "94010000000001F4", {}},
        {"set code 0x18 ignored", {}, "180100000000007B", {}},
    };
    for (const char *rec : {"ps_data", "ns_data"})
        for (const auto &r : common)
            QTest::newRow((QByteArray(rec) + ": " + r.name).constData())
                << QString(rec) << r.preset << QByteArray(r.hex) << r.changes;

    QTest::newRow("ps_data: 0xA3 belongs to the other family")
        << QString("ps_data") << vm{} << QByteArray("A301000000000019") << vm{};
    QTest::newRow("ns_data: 0xA3 /10, armed")
        << QString("ns_data") << vm{} << QByteArray("A301000000000019")
        << vm{{"pulse_width", 2.5}, {"pulse_width_target", 2.5}, {"first_read_width", 2}};
    QTest::newRow("ns_data: 0xA3 marker 2")
        << QString("ns_data") << vm{{"first_read_width", 2}, {"pulse_width_target", 7.0}}
        << QByteArray("A3010000000003E8") << vm{{"pulse_width", 100.0}};
    QTest::newRow("ns_data: 0xA3 negative, marker 0")
        << QString("ns_data") << vm{{"first_read_width", 0}} << QByteArray("A3010000FFFFFFF6")
        << vm{{"pulse_width", -1.0}};
}

void tst_record_decoders::pulsed_replies()
{
    QFETCH(QString, record);
    QFETCH(vm, preset);
    QFETCH(QByteArray, hex);
    QFETCH(vm, changes);
    if (record == "ps_data")
        run_row<ps_data>(preset, hex, changes,
                         [](ps_data &r, const serial_message_struct &m) { r.handle_rx(&m); });
    else
        run_row<ns_data>(preset, hex, changes,
                         [](ns_data &r, const serial_message_struct &m) { r.handle_rx(&m); });
}

void tst_record_decoders::marker_cycle_of_power_current()
{
    // Armed once: the first reading is copied, later ones are not, until
    // the marker is armed again.
    power_data p;
    p.first_read_current = 1;
    const auto first = reply("91010000000004D2");
    const auto second = reply("9101000000000064");
    p.handle_rx(&first);
    QCOMPARE(p.current_target, 12.34f);
    QCOMPARE(p.first_read_current, 2);
    p.handle_rx(&second);
    QCOMPARE(p.current, 1.0f);
    QCOMPARE(p.current_target, 12.34f);
    p.first_read_current = 0; // the page loaded it
    p.handle_rx(&first);
    QCOMPARE(p.first_read_current, 0);
    QCOMPARE(p.current_target, 12.34f);
    p.first_read_current = 1; // a new driver type arms it again
    p.handle_rx(&second);
    QCOMPARE(p.current_target, 1.0f);
    QCOMPARE(p.first_read_current, 2);
    p.handle_rx(nullptr); // no reply: nothing happens
    QCOMPARE(p.current, 1.0f);
}

void tst_record_decoders::address_byte_and_identifier_are_not_examined()
{
    ns_data a, b;
    auto m1 = reply("9201000000000064");
    auto m2 = reply("92FFAABB00000064");
    m2.can_id = 0;
    a.handle_rx(&m1);
    b.handle_rx(&m2);
    QCOMPARE(a.temperature, 10.0f);
    QCOMPARE(b.temperature, 10.0f);
    QCOMPARE(b.temperature_target, 10.0f);
}

template <typename record_t>
void expect_null_frame_ignored()
{
    record_t r;
    auto f = fields(r);
    QVariantMap before;
    for (const auto &x : f)
        before[x.name] = x.get();
    r.handle_rx(nullptr);
    for (const auto &x : f)
        QVERIFY2(same_value(x.get(), before[x.name]), qPrintable(x.name));
}

void tst_record_decoders::null_frame_changes_nothing()
{
    // The channel control hands all three decoders the same frame pointer.
    expect_null_frame_ignored<power_data>();
    expect_null_frame_ignored<ps_data>();
    expect_null_frame_ignored<ns_data>();
}

QTEST_APPLESS_MAIN(tst_record_decoders)
#include "tst_record_decoders.moc"
