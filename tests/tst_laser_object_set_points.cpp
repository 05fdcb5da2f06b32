// Set points: the 2 % duty limit of the NS boards on width and rate, the
// unit of the free-rate input, the pulsed mode sequences, and no value out
// of range or undefined on the way to the board.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QtTest>

#include <cmath>
#include <limits>

#include "app/resources.h"
#include "support/channel_fixture.h"

using namespace channel_fixture;

namespace {

QByteArray width_frame(double width_ns)
{
    const QByteArray value = QByteArray::number(qint64(std::round(width_ns * 10)), 16).toUpper();
    return sent(QByteArray("2300000000" + value.rightJustified(6, '0')).constData());
}

} // namespace

class tst_laser_object_set_points : public QObject {
    Q_OBJECT

    form_fixture::built_form form;

    // A controller on page 1 with its inputs back at their form values
    // (set while the type is 0, so no slot stores or sends anything).
    controller on_page(int type)
    {
        controller ch = make(page(form, 0));
        ch->dura_spin->setValue(1.0);
        ch->freq_spin->setRange(1, 30000000);
        ch->freq_spin->setDecimals(0);
        ch->freq_spin->setValue(1);
        ch->freq_range_combo->setCurrentIndex(0);
        ch->freq_combo->clear();
        for (const int32_t *f = ch->worker->ns_table_record.freq_table; *f != -1; ++f)
            ch->freq_combo->addItem(QString::number(*f));
        ch->worker->device_type = type;
        return ch;
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
    }

    void width_keeps_the_duty_limit_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rate"); // reported: kHz for 6, Hz for 21
        QTest::addColumn<int>("held"); // the rate set point, same unit
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("entered");
        QTest::addColumn<double>("expected");
        QTest::newRow("6 at 20 kHz capped") << 6 << 20 << 0 << 0 << 1200.0 << 1000.0;
        QTest::newRow("6 below the cap") << 6 << 20 << 0 << 0 << 800.0 << 800.0;
        QTest::newRow("6 external: 6500 whatever the rate") << 6 << 20 << 0 << 2 << 6400.0 << 6400.0;
        QTest::newRow("6 no rate: spin range only") << 6 << 0 << 0 << 0 << 1200.0 << 1200.0;
        QTest::newRow("21 odd tenth down") << 21 << 10000 << 0 << 0 << 12.3 << 12.2;
        QTest::newRow("21 even tenth kept") << 21 << 10000 << 0 << 0 << 12.4 << 12.4;
        QTest::newRow("21 at 10 kHz capped") << 21 << 10000 << 0 << 0 << 2500.0 << 2000.0;
        QTest::newRow("21 external: 100") << 21 << 10000 << 0 << 2 << 150.0 << 100.0;
        QTest::newRow("21 negative rate: spin range only") << 21 << -5 << 0 << 0 << 12.4 << 12.4;
        // A pick not reported yet, a rate held for output on: the stricter counts.
        QTest::newRow("6 held pick above the report") << 6 << 10 << 200 << 0 << 1000.0 << 100.0;
        QTest::newRow("6 report above the held pick") << 6 << 200 << 10 << 0 << 1000.0 << 100.0;
        QTest::newRow("21 held rate above the report") << 21 << 10000 << 200000 << 0 << 1000.0 << 100.0;
        // 666.7 ns allowed: 667 would pass 2 %.
        QTest::newRow("6 at 30 kHz: the limit rounds down") << 6 << 30 << 0 << 0 << 700.0 << 666.0;
        QTest::newRow("21 at 30 kHz: the limit rounds down") << 21 << 30000 << 0 << 0 << 700.0 << 666.0;
    }

    void width_keeps_the_duty_limit()
    {
        QFETCH(int, type);
        QFETCH(int, rate);
        QFETCH(int, held);
        QFETCH(int, mode);
        QFETCH(double, entered);
        QFETCH(double, expected);
        const controller ch = on_page(type);
        laser_worker &w = *ch->worker;
        w.ns_table_record.frequency = w.ns_record.frequency = rate;
        w.ns_table_record.frequency_target = w.ns_record.frequency_target = held;
        w.ns_table_record.mode = w.ns_record.mode = mode;
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->pulse_width_target_update(entered);
        const float stored = type == 6 ? w.ns_table_record.pulse_width_target : w.ns_record.pulse_width_target;
        QCOMPARE(stored, float(expected));
        QVERIFY(std::isfinite(stored));
        if (expected != entered)
            QCOMPARE(ch->dura_spin->value(), expected);
        // Sent once, corrected or not.
        const QByteArray once = width_frame(expected);
        QCOMPARE(frames(spy), (QList<QByteArray>{once, once, once}));
    }

    void table_rate_keeps_the_duty_limit_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("held"); // the width set point
        QTest::addColumn<int>("expected"); // kHz picked and sent
        QTest::newRow("1000 ns: 50 becomes 20") << 1000.0 << 0.0 << 20;
        QTest::newRow("100 ns: 50 stays") << 100.0 << 0.0 << 50;
        QTest::newRow("too long: the first item") << 100000.0 << 0.0 << 1;
        QTest::newRow("no width: no limit") << 0.0 << 0.0 << 50;
        QTest::newRow("1000 ns held, 100 reported: 20") << 100.0 << 1000.0 << 20;
        // 49.75 kHz allowed: 50 would pass 2 %.
        QTest::newRow("402 ns: 40, not 50") << 402.0 << 0.0 << 40;
    }

    void table_rate_keeps_the_duty_limit()
    {
        QFETCH(double, width);
        QFETCH(double, held);
        QFETCH(int, expected);
        const controller ch = on_page(6);
        ch->worker->ns_table_record.pulse_width = float(width);
        ch->worker->ns_table_record.pulse_width_target = float(held);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->freq_target_update(ch->freq_combo->findText(QStringLiteral("50")));
        QCOMPARE(ch->worker->ns_table_record.frequency_target, expected);
        if (expected != 50)
            QCOMPARE(ch->freq_combo->currentText(), QString::number(expected));
        const QByteArray khz = QByteArray::number(expected, 16).toUpper().rightJustified(4, '0');
        QCOMPARE(frames(spy), tripled({QByteArray("190000000000" + khz).constData()}));
    }

    // The limited rate is what stays, not the value the old unit's clamp
    // would feed back (40 Hz instead of 40 kHz), and the box shows it in the
    // unit it names, as a number that unit holds.
    void free_rate_above_the_limit_ends_at_the_limit_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("width"); // reported, ns
        QTest::addColumn<double>("held");  // the width set point, ns
        QTest::addColumn<int>("hz");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("unit_after");
        QTest::newRow("100000 Hz at 500 ns: 40 kHz") << 0 << 100000.0 << 500.0 << 0.0 << 40000 << "40" << 1;
        QTest::newRow("2.0 MHz at 500 ns: 40 kHz, not 2.0") << 2 << 2.0 << 500.0 << 0.0 << 40000 << "40" << 1;
        QTest::newRow("held width above the report") << 1 << 100.0 << 100.0 << 500.0 << 40000 << "40" << 1;
        QTest::newRow("15 ns: 1.3 MHz") << 2 << 5.0 << 15.0 << 0.0 << 1300000 << "1.3" << 2;
        QTest::newRow("300 ns: 66 kHz, as the box shows it") << 1 << 100.0 << 300.0 << 0.0 << 66000 << "66" << 1;
        QTest::newRow("30 us: 666 Hz") << 1 << 2.0 << 30000.0 << 0.0 << 666 << "666" << 0;
    }

    void free_rate_above_the_limit_ends_at_the_limit()
    {
        QFETCH(int, unit);
        QFETCH(double, value);
        QFETCH(double, width);
        QFETCH(double, held);
        QFETCH(int, hz);
        QFETCH(QString, shown);
        QFETCH(int, unit_after);
        const controller ch = on_page(21);
        ch->worker->ns_record.pulse_width = float(width);
        ch->worker->ns_record.pulse_width_target = float(held);
        ch->freq_range_combo->setCurrentIndex(unit);
        ch->freq_range_update(unit);
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->freq_spin->setValue(value);
        QCOMPARE(ch->worker->ns_record.frequency_target, hz);
        QCOMPARE(ch->freq_range_combo->currentIndex(), unit_after);
        QCOMPARE(ch->freq_spin->text(), shown);
        QCOMPARE(ch->freq_spin->maximum(), shown.toDouble());
        QVERIFY(spy.isEmpty());
        // Read back in its unit, the box gives the rate held.
        ch->freq_ps20_target_update(ch->freq_spin->value());
        QCOMPARE(ch->worker->ns_record.frequency_target, hz);
    }

    void free_rate_unit_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("hz");
        QTest::newRow("Hz") << 0 << 2500.0 << 2500;
        QTest::newRow("kHz") << 1 << 2.5 << 2500;
        QTest::newRow("MHz") << 2 << 0.1 << 100000;
        QTest::newRow("MHz clamped to 30 MHz") << 2 << 1e9 << 30000000;
    }

    void free_rate_unit()
    {
        QFETCH(int, unit);
        QFETCH(double, value);
        QFETCH(int, hz);
        const controller ch = on_page(20);
        ch->freq_range_combo->setCurrentIndex(unit);
        QSignalSpy adapter(ch.get(), &laser_object::sig_freq_ps20_target_update_adapter);
        ch->freq_ps20_target_update(value);
        QCOMPARE(adapter.size(), 1);
        QCOMPARE(adapter.at(0).at(0).toInt(), hz);
        QCOMPARE(ch->worker->ps_record.frequency_target, hz);
    }

    // On the table types the free-rate input is no index into the table,
    // and while a new type waits for its page, rate picks are dropped.
    void table_types_ignore_the_free_rate_input()
    {
        const controller ch = on_page(7);
        ch->worker->ps_table_record.frequency_target = 77;
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->freq_spin->setValue(3);
        ch->worker->type_changed = true;
        ch->freq_target_update(3);
        QCOMPARE(ch->worker->ps_table_record.frequency_target, 77);
        QVERIFY(spy.isEmpty());
    }

    void mode_sequences_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("type_changed");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::newRow("20 Ext: Burst: M and N from the inputs, twice")
            << 20 << 3 << false
            << tripled({"2400000000000002", "3500000000000004", "3400000000000005", "3500000000000004",
                        "3400000000000005"});
        QTest::newRow("7 Pulse on Demand: N 1, M 0")
            << 7 << 4 << false
            << tripled({"2400000000000001", "3400000000000001", "3500000000000000", "3500000000000000",
                        "3400000000000001"});
        QTest::newRow("21 no such index") << 21 << 5 << false << QList<QByteArray>();
        QTest::newRow("6 while the page refills") << 6 << 0 << true << QList<QByteArray>();
        QTest::newRow("8 not pulsed") << 8 << 0 << false << QList<QByteArray>();
    }

    void mode_sequences()
    {
        QFETCH(int, type);
        QFETCH(int, index);
        QFETCH(bool, type_changed);
        QFETCH(QList<QByteArray>, expected);
        const controller ch = on_page(0);
        ch->pulse_cutted_spin->setValue(4);
        ch->pulse_gated_spin->setValue(5);
        ch->worker->device_type = type;
        ch->worker->type_changed = type_changed;
        QSignalSpy spy(ch->worker, &laser_worker::thread_serial_write);
        ch->mode_update(index);
        QCOMPARE(frames(spy), expected);
    }

    void conversions_saturate()
    {
        const controller ch = on_page(16);
        ch->dcdc_freq_target_update(1e12);
        QCOMPARE(ch->worker->dcdc_record.frequency_set, std::numeric_limits<int32_t>::max());
        ch->dcdc_freq_target_update(std::nan(""));
        QCOMPARE(ch->worker->dcdc_record.frequency_set, 0);
        ch->worker->device_type = 7;
        ch->pulse_gated_target_update(-1e12);
        QCOMPARE(ch->worker->ps_table_record.gated_target, std::numeric_limits<int32_t>::min());
    }
};

QTEST_MAIN(tst_laser_object_set_points)
#include "tst_laser_object_set_points.moc"
