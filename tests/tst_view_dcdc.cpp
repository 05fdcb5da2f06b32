// The Power DC/DC page (types 11, 16) on a real channel page: the warning
// word and the lowered current limit it computes, the failure and warning
// display, the QCW rows of type 16 and its first tick after a change.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "support/view_fixture.h"

class tst_view_dcdc : public QObject, public view_fixture
{
    Q_OBJECT

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void warnings_and_current_limit_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<float>("vout");
        QTest::addColumn<float>("vin");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<float>("current_max");

        QTest::newRow("exactly 80 %") << true << 24.0f << 30.0f << 0 << 14.0f;
        QTest::newRow("above 80 %") << true << 24.1f << 30.0f << 0x100 << 14.0f;
        QTest::newRow("above 80 %, output off") << false << 24.1f << 30.0f << 0 << 14.0f;
        QTest::newRow("no input under an output") << true << 5.0f << 0.0f << 0x100 << 14.0f;
        QTest::newRow("both voltages 0") << true << 0.0f << 0.0f << 0 << 14.0f;
        QTest::newRow("exactly 30 V") << true << 30.0f << 100.0f << 0 << 14.0f;
        QTest::newRow("35 V lowers the limit") << true << 35.0f << 100.0f << 0x200 << 12.0f;
        QTest::newRow("35 V, output off") << false << 35.0f << 0.0f << 0x200 << 12.0f;
        QTest::newRow("35 V on 40 V") << true << 35.0f << 40.0f << 0x300 << 12.0f;
    }

    void warnings_and_current_limit()
    {
        QFETCH(bool, on);
        QFETCH(float, vout);
        QFETCH(float, vin);
        QFETCH(int, warnings);
        QFETCH(float, current_max);

        dcdc_data &r = ch->worker->dcdc_record;
        r.output_on = on ? 1 : 0;
        r.output_voltage = vout;
        r.input_voltage = vin;
        change_type(11);
        ch->view_update();
        QCOMPARE(int(r.warnings), warnings);
        QCOMPARE(r.current_max, current_max);
        QCOMPARE(ch->curr_spin->maximum(), double(current_max));
    }

    // The limit stays lowered for the run; the bar of the lowering tick
    // still measures against the previous limit.
    void lowered_limit_is_kept()
    {
        dcdc_data &r = ch->worker->dcdc_record;
        r.current = 7.0f;
        r.output_voltage = 35.0f;
        change_type(11);
        ch->view_update();
        QCOMPARE(ch->curr_indicator->value(), 50);
        QCOMPARE(ch->curr_max_label->text(), QStringLiteral("12.0 A"));

        r.output_voltage = 20.0f;
        ch->view_update();
        QCOMPARE(int(r.warnings), 0);
        QCOMPARE(r.current_max, 12.0f);
        QCOMPARE(ch->curr_indicator->value(), 58);
    }

    void failure_and_warning_display_data()
    {
        QTest::addColumn<int>("faults");
        QTest::addColumn<float>("vout");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("clear_shown");
        QTest::addColumn<bool>("red");

        QTest::newRow("clear") << 0 << 10.0f << "" << false << false;
        QTest::newRow("fault") << 1 << 10.0f << "!!!FAILURE!!!" << true << false;
        QTest::newRow("warning") << 0 << 35.0f << "WARNING!" << false << true;
        QTest::newRow("fault and warning") << 1 << 35.0f << "WARNING!" << true << true;
    }

    void failure_and_warning_display()
    {
        QFETCH(int, faults);
        QFETCH(float, vout);
        QFETCH(QString, title);
        QFETCH(bool, clear_shown);
        QFETCH(bool, red);

        ch->worker->dcdc_record.faults = uint16_t(faults);
        ch->worker->dcdc_record.output_voltage = vout;
        change_type(11);
        ch->view_update();
        QCOMPARE(ch->fail_title->isHidden(), title.isEmpty());
        QCOMPARE(ch->fail_butt->isHidden(), title.isEmpty());
        if (!title.isEmpty())
            QCOMPARE(ch->fail_title->text(), title);
        QCOMPARE(!ch->err_clr_butt->isHidden(), clear_shown);
        QCOMPARE(ch->curr_label->styleSheet().contains(QStringLiteral("red")), red);
    }

    void qcw_rows_of_type_16_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("rows_shown");

        QTest::newRow("16 QCW, off") << 16 << 1 << false << true;
        QTest::newRow("16 QCW, on") << 16 << 1 << true << true;
        QTest::newRow("16 external TTL") << 16 << 3 << false << false;
        QTest::newRow("11 whatever its mode") << 11 << 1 << false << false;
    }

    void qcw_rows_of_type_16()
    {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(bool, on);
        QFETCH(bool, rows_shown);

        dcdc_data &r = ch->worker->dcdc_record;
        r.mode = mode;
        r.output_on = on ? 1 : 0;
        r.frequency = 250;
        r.pulse_width = 400;
        change_type(type);
        ch->view_update();
        for (QWidget *w : {static_cast<QWidget *>(ch->qcw_header_widget), ch->cw_freq_widget, ch->cw_width_widget,
                           static_cast<QWidget *>(ch->cw_freq_label), static_cast<QWidget *>(ch->cw_width_title)})
            QCOMPARE(!w->isHidden(), rows_shown);
        QCOMPARE(ch->cw_mode_widget->isHidden(), type == 11);
        if (rows_shown) {
            QCOMPARE(ch->cw_freq_label->text(), QStringLiteral("250 Hz"));
            QCOMPARE(ch->cw_width_label->text(), QStringLiteral("400 us"));
            QCOMPARE(ch->cw_freq_widget->isEnabled(), on);
            QCOMPARE(ch->cw_width_widget->isEnabled(), on);
            QCOMPARE(ch->cw_mode_combo->isEnabled(), !on);
            QCOMPARE(ch->config_button->isEnabled(), !on);
        }
    }

    // All first readings in: the mode, frequency, width and current markers
    // are taken in one tick, from the latest readings.
    void first_tick_of_type_16()
    {
        dcdc_data &r = ch->worker->dcdc_record;
        r.mode = 1;
        r.mode_target = 0;
        r.frequency = 120;
        r.pulse_width = 500;
        r.current_target = 3.5f;
        ch->first_read_mode = ch->first_read_frequency = ch->first_read_width = ch->first_read_current = 2;
        ch->first_read_temperature = 2;
        change_type(16);
        ch->view_update();

        QCOMPARE(ch->cw_mode_combo->count(), 6);
        QCOMPARE(ch->cw_mode_combo->currentText(), QStringLiteral("QCW-mode"));
        QCOMPARE(ch->cw_mode_label->text(), QStringLiteral("QCW-mode"));
        QCOMPARE(ch->cw_freq_spin->value(), 120.0);
        QCOMPARE(ch->cw_width_spin->value(), 500.0);
        QCOMPARE(r.frequency_set, 120);
        QCOMPARE(r.pulse_width_set, 500);
        QCOMPARE(r.current_set, 3.5f);
        QCOMPARE(ch->curr_spin->decimals(), 1);
        QCOMPARE(ch->curr_spin->value(), 3.5);
        QCOMPARE(ch->step_size_combo->count(), 2);
        QCOMPARE(ch->first_read_mode + ch->first_read_frequency + ch->first_read_width + ch->first_read_current, 0);
        QCOMPARE(ch->first_read_temperature, 2); // no temperature input here
        QVERIFY(ch->temp_spin->isHidden());
        QVERIFY(ch->laser_tab_button->text().startsWith(QStringLiteral("Bench 1 (Power DCDC Driver 3.50/")));
    }
};

QTEST_MAIN(tst_view_dcdc)
#include "tst_view_dcdc.moc"
