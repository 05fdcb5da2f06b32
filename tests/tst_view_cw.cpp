// The CW page (types 8, 10, 14, 15) on a real channel page: the tab text
// that lags one tick, decimals and step sizes per type, the red current, the
// mode and fault display, one first reading per tick, and a page that
// changes family keeping nothing of the previous one.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "support/view_fixture.h"

namespace {

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

} // namespace

class tst_view_cw : public QObject, public view_fixture
{
    Q_OBJECT

    // Feeds a script of replies and ticks: "T" a view tick, "91:1000" reply
    // 0x91 with the value 1000 in d4..d7.
    void play(const QString &script)
    {
        for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("T")) {
                ch->view_update();
                continue;
            }
            const QStringList parts = step.split(QLatin1Char(':'));
            serial_message_struct m;
            m.data[0] = parts[0].toUInt(nullptr, 16);
            m.data[1] = 5;
            const uint32_t v = parts[1].toUInt();
            for (int i = 0; i < 4; ++i)
                m.data[4 + i] = (v >> (24 - 8 * i)) & 0xFF;
            ch->handle_rx_can_message(&m);
        }
    }

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void first_ticks_of_a_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<double>("single_step");

        QTest::newRow("8") << 8 << QString::fromUtf8("Bench 1 (CW Driver 100.0/99.8 mA  25.0/24.9 \xC2\xB0" "C )") << 1
                           << QStringList{"0.1", "1", "10"} << 0.1;
        QTest::newRow("10") << 10
                            << QString::fromUtf8("Bench 1 (Precision CW Driver 100.00/99.80 mA  25.00/24.90 \xC2\xB0" "C )")
                            << 2 << QStringList{"0.01", "0.1", "1", "10"} << 0.01;
    }

    void first_ticks_of_a_type()
    {
        QFETCH(int, type);
        QFETCH(QString, tab);
        QFETCH(int, decimals);
        QFETCH(QStringList, steps);
        QFETCH(double, single_step);

        cw_data &r = ch->worker->cw_record;
        r.current_target = 100.0f;
        r.temperature_target = 25.0f;
        r.current = 99.8f;
        r.temperature = 24.9f;
        change_type(type);
        ch->view_update();
        QVERIFY(!ch->worker->type_changed.load());
        QCOMPARE(items(ch->step_size_combo), steps);
        QCOMPARE(ch->curr_spin->decimals(), decimals);
        QCOMPARE(ch->temp_spin->decimals(), decimals);
        QCOMPARE(ch->curr_spin->singleStep(), single_step);

        // The measured halves of the tab text are the labels of the last tick.
        r.current = 90.0f;
        r.temperature = 20.0f;
        ch->view_update();
        QCOMPARE(ch->laser_tab_button->text(), tab);
        QVERIFY(ch->curr_label->text().startsWith(QStringLiteral("90.0")));
    }

    void current_turns_red_below_its_set_point_data()
    {
        QTest::addColumn<float>("current");
        QTest::addColumn<bool>("red");
        QTest::newRow("more than 0.5 below") << 99.4f << true;
        QTest::newRow("exactly 0.5 below") << 99.5f << false;
        QTest::newRow("above") << 101.0f << false;
    }

    void current_turns_red_below_its_set_point()
    {
        QFETCH(float, current);
        QFETCH(bool, red);
        ch->worker->cw_record.current_target = 100.0f;
        ch->worker->cw_record.current = current;
        change_type(8);
        ch->view_update();
        QCOMPARE(ch->curr_label->styleSheet().contains(QStringLiteral("red")), red);
    }

    void temperature_input_needs_a_tec_data()
    {
        QTest::addColumn<float>("tec_current_max");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0.1 A") << 0.1f << false;
        QTest::newRow("0.15 A") << 0.15f << true;
        QTest::newRow("0.2 A") << 0.2f << true;
    }

    void temperature_input_needs_a_tec()
    {
        QFETCH(float, tec_current_max);
        QFETCH(bool, shown);
        ch->worker->cw_record.tec_current_max = tec_current_max;
        change_type(8);
        ch->view_update();
        QCOMPARE(!ch->temp_spin->isHidden(), shown);
    }

    void mode_and_faults_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("faults");
        QTest::addColumn<QString>("mode_text");
        QTest::addColumn<bool>("current_enabled");
        QTest::addColumn<bool>("failure_shown");

        QTest::newRow("15 analog locks the current") << 15 << 1 << 0 << "ANALOG" << false << false;
        QTest::newRow("15 TTL") << 15 << 2 << 0 << "TTL" << true << false;
        QTest::newRow("14 fault") << 14 << 0 << 4 << "CW" << true << true;
        QTest::newRow("14 mode out of range") << 14 << 7 << 0 << "" << true << false;
        QTest::newRow("8 has no fault display") << 8 << 1 << 4 << "" << true << false;
    }

    void mode_and_faults()
    {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, faults);
        QFETCH(QString, mode_text);
        QFETCH(bool, current_enabled);
        QFETCH(bool, failure_shown);

        ch->worker->cw_record.mode = mode;
        ch->worker->cw_record.faults = faults;
        change_type(type);
        ch->view_update();
        if (type != 8)
            QCOMPARE(ch->cw_mode_label->text(), mode_text);
        QCOMPARE(ch->cw_mode_widget->isHidden(), type == 8);
        QCOMPARE(ch->curr_spin->isEnabled(), current_enabled);
        QCOMPARE(!ch->fail_butt->isHidden(), failure_shown);
        QCOMPARE(!ch->fail_title->isHidden(), failure_shown);
        if (failure_shown)
            QCOMPARE(ch->fail_title->text(), QStringLiteral("!!!FAILURE!!!"));
        QVERIFY(ch->err_clr_butt->isHidden());
    }

    void output_state()
    {
        change_type(14);
        for (bool on : {true, false}) {
            ch->worker->cw_record.output_on = on ? 1 : 0;
            ch->view_update();
            QCOMPARE(ch->config_button->isEnabled(), !on);
            QCOMPARE(ch->cw_on_off_button->isChecked(), on);
            QCOMPARE(ch->start_stop_button_alt->isChecked(), on);
            QCOMPARE(ch->power_state_label->text(), on ? QStringLiteral("ON") : QStringLiteral("OFF"));
            QCOMPARE(ch->cw_mode_widget->isEnabled(), !on);
        }
    }

    void one_first_reading_per_tick()
    {
        cw_data &r = ch->worker->cw_record;
        r.current_target = 55.5f;
        r.temperature_target = 27.5f;
        r.mode = 2;
        ch->first_read_current = ch->first_read_temperature = ch->first_read_mode = 2;
        change_type(15);

        ch->view_update();
        QCOMPARE(ch->curr_spin->value(), 55.5);
        QVERIFY(ch->temp_spin->value() != 27.5);
        QCOMPARE(ch->first_read_temperature, 2);
        ch->view_update();
        QCOMPARE(ch->temp_spin->value(), 27.5);
        QVERIFY(ch->cw_mode_combo->currentIndex() != 2);
        ch->view_update();
        QCOMPARE(ch->cw_mode_combo->currentIndex(), 2);
        QCOMPARE(ch->first_read_current + ch->first_read_temperature + ch->first_read_mode, 0);
    }

    // A new-firmware board of type 8 or 14 sends its current limits in tenths
    // of a mA, but the limits of the first pass after a change of type are
    // decoded as hundredths (ten times too low) until its temperature-limit
    // replies prove the new units. Ticks that fall in between must not clamp
    // the board's current, loaded as the set point, to that limit.
    void first_current_survives_limits_in_unproven_units_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("script");
        QTest::addColumn<double>("set_point");
        QTest::addColumn<double>("maximum");

        const QString pass1 = QStringLiteral("91:1000 A5:1500 A6:100 B7:350 B6:150 ");
        const QString pass2 = QStringLiteral("91:1000 A5:1500 A6:100 B7:350 B6:150 T");
        QTest::newRow("loaded before the wrong limit arrives")
            << 8 << "91:1000 T A5:1500 A6:100 T B7:350 B6:150 T " + pass2 << 100.0 << 150.0;
        QTest::newRow("loaded after the wrong limit arrived")
            << 8 << "91:1000 A5:1500 A6:100 T B7:350 T " + pass2 << 100.0 << 150.0;
        QTest::newRow("a tick between every reply")
            << 14 << "91:1000 T A5:1500 T A6:100 T B7:350 T B6:150 T 91:1000 T A5:1500 T" << 100.0 << 150.0;
        QTest::newRow("no tick until the limits are right") << 8 << pass1 + pass2 << 100.0 << 150.0;
        // An old board never answers the temperature limits: hundredths are right.
        QTest::newRow("old units") << 8 << "91:100 A5:1500 A6:100 T 91:100 A5:1500 A6:100 T T" << 10.0 << 15.0;
    }

    void first_current_survives_limits_in_unproven_units()
    {
        QFETCH(int, type);
        QFETCH(QString, script);
        QFETCH(double, set_point);
        QFETCH(double, maximum);

        ch->curr_spin->setMaximum(2000.0);
        play(QStringLiteral("D0:%1 ").arg(type) + script);
        QCOMPARE(ch->curr_spin->value(), set_point);
        QCOMPARE(double(ch->worker->cw_record.current_set), set_point);
        QCOMPARE(ch->curr_spin->maximum(), maximum);
    }

    // A limit lowered for real later on still bounds the input.
    void proven_limit_bounds_the_current_again()
    {
        play(QStringLiteral("D0:8 91:1000 T A5:1500 B7:350 T A5:1500 T A5:800 T"));
        QCOMPARE(ch->curr_spin->maximum(), 80.0);
        QCOMPARE(ch->curr_spin->value(), 80.0);
    }

    // Another family's drawing must not survive a change to a CW type.
    void nothing_left_from_the_previous_family()
    {
        // Type 14 in "ANALOG" locked the current, a DC/DC page with its
        // output on disabled the mode combo and turned the current red.
        change_type(14);
        ch->worker->cw_record.mode = 1;
        ch->view_update();
        QVERIFY(!ch->curr_spin->isEnabled());
        change_type(16);
        ch->worker->dcdc_record.output_on = 1;
        ch->worker->dcdc_record.mode = 1;
        ch->worker->dcdc_record.output_voltage = 35.0f;
        ch->worker->dcdc_record.input_voltage = 36.0f;
        ch->dcdc_fail_latch = 1;
        ch->view_update();
        QVERIFY(!ch->cw_mode_combo->isEnabled());
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("red")));

        change_type(14);
        ch->worker->cw_record.mode = 0;
        ch->worker->cw_record.current_target = 10.0f;
        ch->worker->cw_record.current = 10.0f;
        ch->view_update();
        QVERIFY(ch->cw_mode_combo->isEnabled());
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("black")));
        QCOMPARE(ch->cw_mode_label->text(), QStringLiteral("CW"));
        QVERIFY(ch->qcw_header_widget->isHidden());
        QVERIFY(ch->input_volt_label->isHidden());
        QCOMPARE(ch->power_title->text(), QStringLiteral("Power:"));

        ch->worker->cw_record.mode = 1;
        ch->view_update();
        QVERIFY(!ch->curr_spin->isEnabled());
        change_type(8);
        ch->view_update();
        QVERIFY(ch->curr_spin->isEnabled());
        QVERIFY(ch->cw_mode_widget->isHidden());
    }
};

QTEST_MAIN(tst_view_cw)
#include "tst_view_cw.moc"
