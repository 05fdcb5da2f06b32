// The four pulsed pages (types 6, 13, 21, 7, 20) on a real channel page:
// what each shows, the duty-cycle limits of the NS pages, the type-7 table
// with burst, and limits that have no finite value.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "app/resources.h"
#include "support/channel_fixture.h"

namespace {

template <typename record_t>
void plausible(record_t &r, int32_t frequency)
{
    r.voltage = r.voltage_target = 12.0f;
    r.voltage_max = 24.0f;
    r.temperature = 25.1f;
    r.temperature_target = 25.0f;
    r.frequency = r.frequency_target = frequency;
}

const QString degrees = QString::fromUtf8(" 12.0/12.0 V  25.0/25.1 \xC2\xB0" "C  ");

} // namespace

class tst_view_pulsed_pages : public QObject
{
    Q_OBJECT

    form_fixture::built_form form;
    channel_fixture::controller ch;

    void change_type(int32_t type)
    {
        ch->worker->device_type = type;
        ch->worker->type_changed = true;
    }

    // Readings of the record of the given type, as the decoder leaves them.
    void set_readings(int type, int32_t frequency, float width)
    {
        laser_worker &w = *ch->worker;
        if (type == 6 || type == 13) {
            plausible(w.ns_table_record, frequency);
            w.ns_table_record.pulse_width = width;
        } else if (type == 21) {
            plausible(w.ns_record, frequency);
            w.ns_record.pulse_width = width;
        } else if (type == 7) {
            plausible(w.ps_table_record, frequency);
        } else {
            plausible(w.ps_record, frequency);
        }
    }

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
    }

    void init()
    {
        ch = channel_fixture::make(channel_fixture::page(form, 0));
        ch->channel_name = QStringLiteral("Ch1");
    }

    void cleanup() { ch.reset(); }

    void golden_state_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<float>("width");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("table_items"); // -1: the free rate input
        QTest::addColumn<QString>("pd_max");
        QTest::addColumn<QString>("rr_max");
        QTest::addColumn<QString>("rr_min");
        QTest::addColumn<QString>("rate");

        QTest::newRow("6") << 6 << 100 << 100.0f << "Ch1 (NS Driver" + degrees + "100/100 kHz  1.0/100.0 ns  Int: Normal)"
                           << 41 << "200" << "200" << "1" << "100 kHz";
        QTest::newRow("13") << 13 << 100 << 100.0f
                            << "Ch1 (SOA Driver" + degrees + "100/100 kHz  1.0/100.0 ns  Int: Normal)" << 41 << "200"
                            << "200" << "1" << "100 kHz";
        QTest::newRow("21") << 21 << 1500000 << 10.0f
                            << "Ch1 (NS Driver" + degrees + "1.5 MHz/1.5 MHz  1.0/10.0 ns  Int: Normal)" << -1 << "13"
                            << "2.0MHz" << "0.1  MHz" << "1.5 MHz";
        QTest::newRow("7") << 7 << 1000 << 0.0f << "Ch1 (PS Driver" + degrees + "1000 kHz/1000 kHz  Int: Normal)" << 43
                           << "" << "50 MHz" << "1" << "1000 kHz";
        QTest::newRow("20") << 20 << 1500000 << 0.0f << "Ch1 (PS Driver" + degrees + "1.5 MHz/1.5 MHz  Int: Normal)"
                            << -1 << "" << "30 MHz" << "1" << "1.5 MHz";
    }

    void golden_state()
    {
        QFETCH(int, type);
        QFETCH(int, frequency);
        QFETCH(float, width);
        QFETCH(QString, tab);
        QFETCH(int, table_items);
        QFETCH(QString, pd_max);
        QFETCH(QString, rr_max);
        QFETCH(QString, rr_min);
        QFETCH(QString, rate);

        set_readings(type, frequency, width);
        change_type(type);
        ch->view_update();
        ch->view_update(); // the tab quotes the labels of the tick before
        QCOMPARE(ch->laser_tab_button->text(), tab);
        QCOMPARE(ch->freq_spin->isHidden(), table_items >= 0);
        if (table_items >= 0)
            QCOMPARE(ch->freq_combo->count(), table_items);
        QCOMPARE(ch->dura_widget->isHidden(), pd_max.isEmpty());
        if (!pd_max.isEmpty())
            QCOMPARE(ch->pd_max_label->text(), pd_max);
        QCOMPARE(ch->rr_max_label->text(), rr_max);
        QCOMPARE(ch->rr_min_label->text(), rr_min);
        QCOMPARE(ch->freq_label->text(), rate);
        QCOMPARE(ch->mode_combo->count(), 5);
    }

    // A table page after a free-rate page offers the table alone; the
    // free-rate page brings its unit choice back.
    void rate_inputs_follow_the_type()
    {
        change_type(21);
        ch->view_update();
        change_type(6);
        ch->view_update();
        QVERIFY(!ch->freq_combo->isHidden());
        QVERIFY(ch->freq_spin->isHidden());
        QVERIFY(ch->freq_range_combo->isHidden());
        change_type(20);
        ch->view_update();
        QVERIFY(!ch->freq_range_combo->isHidden());
        QCOMPARE(ch->freq_range_combo->currentIndex(), 0);
    }

    void burst_withholds_the_last_table_rate()
    {
        ps_table_data &r = ch->worker->ps_table_record;
        r.frequency_target = 50000;
        r.burst = 1;
        change_type(7);
        ch->view_update();
        QCOMPARE(ch->freq_combo->count(), 42);
        QCOMPARE(ch->freq_combo->itemText(41), QStringLiteral("25000"));
        QCOMPARE(ch->rr_max_label->text(), QStringLiteral("25 MHz"));
        QVERIFY(ch->pulse_gated_spin->isEnabled());
        r.burst = 0;
        ch->view_update();
        QCOMPARE(ch->freq_combo->count(), 43);
        QCOMPARE(ch->freq_combo->itemText(42), QStringLiteral("50000"));
        QCOMPARE(ch->rr_max_label->text(), QStringLiteral("50 MHz"));
        QCOMPARE(r.frequency_target, 50000);
    }

    void width_limit_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("frequency"); // kHz for type 6, Hz for 21
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("pd_max");
        QTest::newRow("6: 2 % duty") << 6 << 100 << 0 << "200";
        QTest::newRow("6: under 1 ns is 1") << 6 << 50000 << 0 << "1";
        QTest::newRow("6: pulse on demand") << 6 << 100 << 4 << "6500";
        QTest::newRow("6: 0 kHz") << 6 << 0 << 0 << "N/A";
        QTest::newRow("6: Hz beyond 32 bits") << 6 << 3000000 << 0 << "N/A";
        QTest::newRow("21: rounded") << 21 << 300000 << 0 << "67";
        QTest::newRow("21: at most 100") << 21 << 1000 << 0 << "100";
        QTest::newRow("21: pulse on demand") << 21 << 300000 << 4 << "100";
        QTest::newRow("21: below 0 Hz") << 21 << -1 << 0 << "N/A";
    }

    void width_limit()
    {
        QFETCH(int, type);
        QFETCH(int, frequency);
        QFETCH(int, mode);
        QFETCH(QString, pd_max);
        ns_table_data &t = ch->worker->ns_table_record;
        ns_data &n = ch->worker->ns_record;
        t.frequency = n.frequency = frequency;
        t.mode = n.mode = mode;
        t.pulse_width_max = n.pulse_width_max = 777.0f;
        change_type(type);
        ch->view_update();
        QCOMPARE(ch->pd_max_label->text(), pd_max);
        const float held = type == 21 ? n.pulse_width_max : t.pulse_width_max;
        QCOMPARE(held, pd_max == "N/A" ? 777.0f : pd_max.toFloat());
    }

    void reachable_rate_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<float>("width");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("rr_max");
        QTest::addColumn<QString>("rr_min");
        QTest::addColumn<double>("spin_max"); // 555: left as it was
        QTest::newRow("6: highest item within") << 6 << 1.5f << 0 << "12500" << "1" << 555.0;
        QTest::newRow("6: below the second item") << 6 << 20000.0f << 0 << "kept" << "kept" << 555.0;
        QTest::newRow("6: no width") << 6 << 0.0f << 0 << "N/A" << "kept" << 555.0;
        QTest::newRow("21: MHz, other unit") << 21 << 1.0f << 0 << "20.0MHz" << "0.1  MHz" << 1000.0;
        QTest::newRow("21: MHz, own unit") << 21 << 1.0f << 2 << "20.0MHz" << "0.1  MHz" << 20.0;
        QTest::newRow("21: 1 MHz is kHz") << 21 << 20.0f << 2 << "1000 kHz" << "1  kHz" << 1000.0;
        QTest::newRow("21: kHz, own unit") << 21 << 100.0f << 1 << "200 kHz" << "1  kHz" << 200.0;
        QTest::newRow("21: Hz, own unit") << 21 << 25000.0f << 0 << "800  Hz" << "1  Hz" << 800.0;
        QTest::newRow("21: Hz, other unit") << 21 << 25000.0f << 1 << "800  Hz" << "1  Hz" << 555.0;
        QTest::newRow("21: no width") << 21 << -1.0f << 0 << "N/A" << "kept" << 555.0;
        QTest::newRow("21: beyond 32 bits") << 21 << 1e-9f << 0 << "N/A" << "kept" << 555.0;
    }

    void reachable_rate()
    {
        QFETCH(int, type);
        QFETCH(float, width);
        QFETCH(int, unit);
        QFETCH(QString, rr_max);
        QFETCH(QString, rr_min);
        QFETCH(double, spin_max);
        ch->rr_max_label->setText(QStringLiteral("kept"));
        ch->rr_min_label->setText(QStringLiteral("kept"));
        ch->freq_spin->setValue(1.0);
        ch->freq_spin->setMaximum(555.0);
        ch->freq_range_combo->setCurrentIndex(unit);
        ch->worker->ns_table_record.pulse_width = ch->worker->ns_record.pulse_width = width;
        ch->worker->device_type = type;
        ch->worker->type_changed = type != 21; // the table needs its items; the unit must stay
        ch->view_update();
        QCOMPARE(ch->rr_max_label->text(), rr_max);
        QCOMPARE(ch->rr_min_label->text(), rr_min);
        QCOMPARE(ch->freq_spin->maximum(), spin_max);
    }

    // Each type-21 page keeps its own last rate: a second page whose rate
    // equals the first's still builds its labels.
    void last_rate_is_per_channel()
    {
        channel_fixture::controller other = channel_fixture::make(channel_fixture::page(form, 1));
        for (laser_object *c : {ch.get(), other.get()}) {
            c->worker->device_type = 21;
            c->view_update();
        }
        QCOMPARE(other->rr_max_label->text(), QStringLiteral("20.0MHz"));
    }

    void free_rate_texts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bar"); // type 20: over 30 MHz from 1 Hz
        QTest::newRow("Hz") << 21 << 999 << 0 << "999 Hz" << -1;
        QTest::newRow("kHz rounded") << 21 << 1700 << 0 << "2 kHz" << -1;
        QTest::newRow("kHz below 1 MHz") << 20 << 999999 << 0 << "1000 kHz" << 3;
        QTest::newRow("MHz") << 20 << 15000000 << 0 << "15.0 MHz" << 49;
        QTest::newRow("pulse on demand") << 20 << 30000000 << 4 << "N/A Hz" << 100;
    }

    void free_rate_texts()
    {
        QFETCH(int, type);
        QFETCH(int, frequency);
        QFETCH(int, mode);
        QFETCH(QString, text);
        QFETCH(int, bar);
        ch->worker->ps_record.frequency = ch->worker->ns_record.frequency = frequency;
        ch->worker->ps_record.mode = ch->worker->ns_record.mode = mode;
        change_type(type);
        ch->view_update();
        QCOMPARE(ch->freq_label->text(), text);
        QCOMPARE(ch->freq_spin->isEnabled(), mode != 4);
        if (bar >= 0)
            QCOMPARE(ch->freq_indicator->value(), bar);
    }

    // A mode outside the table selects nothing.
    void first_mode_outside_the_table()
    {
        change_type(6);
        ch->view_update();
        ch->mode_combo->setCurrentIndex(2);
        ch->worker->ns_table_record.mode = 9;
        ch->first_read_mode = 2;
        ch->view_update();
        QCOMPARE(ch->mode_combo->currentIndex(), 2);
        QCOMPARE(ch->first_read_mode, 0);
        QCOMPARE(ch->mode_label->text(), QString());
    }
};

QTEST_MAIN(tst_view_pulsed_pages)
#include "tst_view_pulsed_pages.moc"
