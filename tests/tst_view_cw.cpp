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

#include "app/resources.h"
#include "support/channel_fixture.h"

namespace {

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

} // namespace

class tst_view_cw : public QObject
{
    Q_OBJECT

    form_fixture::built_form form;
    channel_fixture::controller ch;

    // As the reply decoder leaves a change of driver type.
    void change_type(int32_t type)
    {
        ch->worker->device_type = type;
        ch->worker->type_changed = true;
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
        ch->channel_name = QStringLiteral("Bench 1");
    }

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
