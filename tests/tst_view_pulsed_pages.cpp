// The pulsed pages (types 6, 13, 21, 7, 20) on a real channel page: what
// each shows, first readings one per tick with what the pulse inputs send,
// and limits that have no finite value.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "support/view_fixture.h"

namespace {

template <typename record_t>
void plausible(record_t &r, int32_t frequency, float width = 0.0f)
{
    r.voltage = r.voltage_target = 12.0f;
    r.temperature = 25.1f;
    r.temperature_target = 25.0f;
    r.frequency = r.frequency_target = frequency;
    if constexpr (std::is_same_v<record_t, ns_data> || std::is_same_v<record_t, ns_table_data>)
        r.pulse_width = width;
}

QStringList thrice(const char *frame) { return {frame, frame, frame}; }

} // namespace

class tst_view_pulsed_pages : public QObject, public view_fixture
{
    Q_OBJECT

    std::unique_ptr<QSignalSpy> sent;

    // A reply of the board at address 5, the value in d4..d7.
    void reply(uint32_t code, int32_t value)
    {
        serial_message_struct m;
        m.data[0] = code;
        for (int i = 0; i < 4; ++i)
            m.data[7 - i] = (static_cast<uint32_t>(value) >> (8 * i)) & 0xFF;
        ch->handle_rx_can_message(&m);
    }

    QStringList frames()
    {
        QStringList out;
        for (const QList<QVariant> &args : *sent)
            out << QString::fromLatin1(args.at(0).toByteArray());
        sent->clear();
        return out;
    }

    void tick_as(int32_t type)
    {
        reply(0xD0, type);
        ch->view_update();
    }

private slots:
    void initTestCase() { build_form(); }

    void init()
    {
        new_channel();
        // Values no first reading below has, so that each load is a change.
        for (QDoubleSpinBox *spin : {ch->dura_spin, ch->pulse_gated_spin, ch->pulse_cutted_spin})
            spin->setValue(5.0);
        sent = std::make_unique<QSignalSpy>(ch->worker, &laser_worker::thread_serial_write);
    }

    void cleanup() { ch.reset(); }

    void golden_state_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("rate_segment");
        QTest::addColumn<int>("table_items"); // -1: the free rate input
        QTest::addColumn<QString>("pd_max");  // empty: no width on the page
        QTest::addColumn<QString>("rr_max");
        QTest::addColumn<QString>("rr_min");
        QTest::addColumn<double>("spin_max"); // 2 MHz reachable, Hz chosen: 1 to 1000
        QTest::newRow("6") << 6 << "NS Driver@100/100 kHz  5.0/100.0 ns" << 41 << "200" << "200" << "1" << 0.0;
        QTest::newRow("13") << 13 << "SOA Driver@100/100 kHz  5.0/100.0 ns" << 41 << "200" << "200" << "1" << 0.0;
        QTest::newRow("21") << 21 << "NS Driver@1.5 MHz/1.5 MHz  5.0/10.0 ns" << -1 << "13" << "2.0MHz" << "0.1  MHz"
                            << 1000.0;
        QTest::newRow("7") << 7 << "PS Driver@1000 kHz/1000 kHz" << 43 << "" << "50 MHz" << "1" << 0.0;
        QTest::newRow("20") << 20 << "PS Driver@1.5 MHz/1.5 MHz" << -1 << "" << "30 MHz" << "1" << 0.0;
    }

    void golden_state()
    {
        QFETCH(int, type);
        QFETCH(QString, rate_segment);
        QFETCH(int, table_items);
        QFETCH(QString, pd_max);
        QFETCH(QString, rr_max);
        QFETCH(QString, rr_min);
        QFETCH(double, spin_max);
        laser_worker &w = *ch->worker;
        plausible(w.ns_table_record, 100, 100.0f);
        plausible(w.ns_record, 1500000, 10.0f);
        plausible(w.ps_table_record, 1000);
        plausible(w.ps_record, 1500000);
        change_type(type);
        ch->view_update();
        ch->view_update(); // the tab quotes the labels of the tick before
        const QStringList name_rate = rate_segment.split('@');
        QCOMPARE(ch->laser_name_label->text(), name_rate[0]);
        QCOMPARE(ch->laser_tab_button->text(), "Bench 1 (" + name_rate[0] + QString::fromUtf8(" 12.0/12.0 V  25.0/25.1 \xC2\xB0" "C  ")
                                                   + name_rate[1] + "  Int: Normal)");
        QCOMPARE(ch->freq_spin->isHidden(), table_items >= 0);
        if (table_items >= 0)
            QCOMPARE(ch->freq_combo->count(), table_items);
        QCOMPARE(ch->dura_widget->isHidden(), pd_max.isEmpty());
        if (!pd_max.isEmpty())
            QCOMPARE(ch->pd_max_label->text(), pd_max);
        QCOMPARE(ch->rr_max_label->text(), rr_max);
        QCOMPARE(ch->rr_min_label->text(), rr_min);
        if (spin_max > 0.0)
            QCOMPARE(ch->freq_spin->maximum(), spin_max);
    }

    void burst_withholds_the_last_table_rate()
    {
        ps_table_data &r = ch->worker->ps_table_record;
        r.frequency_target = 50000;
        r.burst = 1;
        tick_as(7);
        QCOMPARE(ch->freq_combo->count(), 42);
        QCOMPARE(ch->rr_max_label->text(), QStringLiteral("25 MHz"));
        r.burst = 0;
        ch->view_update();
        QCOMPARE(ch->freq_combo->itemText(42), QStringLiteral("50000"));
        QCOMPARE(ch->rr_max_label->text(), QStringLiteral("50 MHz"));
        QCOMPARE(r.frequency_target, 50000);
    }

    // A table page after a free-rate page offers the table alone, with its
    // unit shown and fixed.
    void table_page_hides_the_free_rate_input()
    {
        tick_as(21);
        tick_as(6);
        QVERIFY(!ch->freq_combo->isHidden());
        QVERIFY(ch->freq_spin->isHidden());
        QVERIFY(!ch->freq_range_combo->isHidden());
        QVERIFY(!ch->freq_range_combo->isEnabled());
        QCOMPARE(ch->freq_range_combo->currentText(), QStringLiteral("kHz"));
        tick_as(20);
        QVERIFY(!ch->freq_range_combo->isHidden());
    }

    // Each type-21 page keeps its own last rate.
    void equal_rates_on_two_pages()
    {
        channel_fixture::controller other = channel_fixture::make(channel_fixture::page(form, 1));
        for (laser_object *c : {ch.get(), other.get()}) {
            c->worker->device_type = 21;
            c->view_update();
        }
        QCOMPARE(other->rr_max_label->text(), QStringLiteral("20.0MHz"));
    }

    void one_first_reading_per_tick()
    {
        reply(0xD0, 6);
        for (auto [code, value] : {std::pair{0x98, 120}, {0x92, 251}, {0x99, 100}, {0xA3, 1000}, {0xB4, 3},
                                   {0xB5, 2}, {0xA4, 0}})
            reply(code, value);
        // voltage, temperature, rate, width, mode, N, M: a count goes back to
        // the board as it reported it, a width is not sent at all
        for (const QStringList &expected : {QStringList(), QStringList(), QStringList(), QStringList(),
                                            QStringList(), thrice("t00583400000000000003\r"),
                                            thrice("t00583500000000000002\r")}) {
            ch->view_update();
            QCOMPARE(frames(), expected);
        }
        QCOMPARE(ch->volt_spin->value(), 12.0);
        QCOMPARE(ch->dura_spin->value(), 100.0);
        QCOMPARE(ch->worker->ns_table_record.pulse_width_target, 100.0f);
        QCOMPARE(ch->pulse_temp_spin->value(), 25.1);
        QCOMPARE(ch->freq_combo->currentText(), QStringLiteral("100"));
        QCOMPARE(ch->mode_combo->currentText(), QStringLiteral("Int: Burst"));
    }

    // A count of 0 shows as the box's 1 but is not sent; an edit is.
    void clamped_first_reading_is_not_sent()
    {
        reply(0xD0, 21);
        reply(0xB5, 0);
        ch->view_update();
        QCOMPARE(ch->pulse_cutted_spin->value(), 1.0);
        QCOMPARE(frames(), QStringList());
        ch->pulse_cutted_spin->setValue(4.0);
        QCOMPARE(frames(), thrice("t00583500000000000004\r"));
    }

    // Shown in the unit that holds it whole: switching on sends the board's rate.
    void first_rate_loaded_exactly_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("hz");
        QTest::addColumn<double>("shown");
        QTest::newRow("21: 1.5 MHz") << 21 << 1500000 << 1500.0;
        QTest::newRow("20: 2.5 kHz") << 20 << 2500 << 2500.0;
    }

    void first_rate_loaded_exactly()
    {
        QFETCH(int, type);
        QFETCH(int, hz);
        QFETCH(double, shown);
        reply(0xD0, type);
        reply(0x99, hz);
        reply(0x98, 125); // the on-sequence sends the board's voltage too
        ch->view_update();
        ch->view_update();
        QCOMPARE(ch->freq_spin->value(), shown);
        ch->ps_ns_on_off_butt->click();
        QCOMPARE(frames().value(0), QString::asprintf("t005819000000%08X\r", hz));
    }

    void limits_shown_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("frequency"); // kHz for type 6, Hz for 21
        QTest::addColumn<float>("width");
        QTest::addColumn<QString>("pd_max");
        QTest::addColumn<QString>("rr_max");
        QTest::newRow("6: Hz beyond 32 bits") << 6 << 3000000 << 100.0f << "N/A" << "200";
        QTest::newRow("6: no width") << 6 << 100 << 0.0f << "200" << "N/A";
        QTest::newRow("21: below 0 Hz") << 21 << -1 << 100.0f << "N/A" << "200 kHz";
        QTest::newRow("21: rate beyond 32 bits") << 21 << 1000 << 1e-9f << "100" << "N/A";
        // Shown as the entries are limited, rounded down: 667 ns or 67 kHz
        // would offer what the page refuses.
        QTest::newRow("6 at 30 kHz: 666 ns") << 6 << 30 << 100.0f << "666" << "200";
        QTest::newRow("21 at 300 ns: 66 kHz") << 21 << 30000 << 300.0f << "100" << "66 kHz";
        QTest::newRow("21 at 7 ns: 2.8 MHz") << 21 << 1000 << 7.0f << "100" << "2.8MHz";
    }

    void limits_shown()
    {
        QFETCH(int, type);
        QFETCH(int, frequency);
        QFETCH(float, width);
        QFETCH(QString, pd_max);
        QFETCH(QString, rr_max);
        plausible(ch->worker->ns_table_record, frequency, width);
        plausible(ch->worker->ns_record, frequency, width);
        tick_as(type);
        // The box's range as it stands, whatever the change of type gave it.
        ch->freq_spin->setMaximum(555.0);
        ch->view_update();
        QCOMPARE(ch->pd_max_label->text(), pd_max);
        QCOMPARE(ch->rr_max_label->text(), rr_max);
        if (rr_max == "N/A")
            QCOMPARE(ch->freq_spin->maximum(), 555.0);
    }

    void first_mode_outside_the_table()
    {
        tick_as(6);
        ch->mode_combo->setCurrentIndex(2);
        ch->worker->ns_table_record.mode = 9;
        ch->first_read_mode = 2;
        ch->view_update();
        QCOMPARE(ch->mode_combo->currentIndex(), 2);
        QCOMPARE(ch->first_read_mode, 0);
    }
};

QTEST_MAIN(tst_view_pulsed_pages)
#include "tst_view_pulsed_pages.moc"
