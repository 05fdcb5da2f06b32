// The Power DC/DC page (types 11, 16) and the power-driver page (18): the
// warning word and the current limit the DC/DC page computes, the failure
// and warning display, the first ticks of types 16 and 18, and the fault box
// each channel opens once per fault episode of its own.

#include <QSignalSpy>

#include "support/view_fixture.h"

class tst_view_dcdc_power : public QObject, public view_fixture
{
    Q_OBJECT

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void warnings_limit_and_display_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<float>("vout");
        QTest::addColumn<float>("vin");
        QTest::addColumn<int>("faults");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<float>("current_max");
        QTest::addColumn<QString>("title"); // empty: no failure display

        QTest::newRow("exactly 80 %") << true << 24.0f << 30.0f << 0 << 0 << 14.0f << "";
        QTest::newRow("above 80 %") << true << 24.1f << 30.0f << 0 << 0x100 << 14.0f << "WARNING!";
        QTest::newRow("above 80 %, output off") << false << 24.1f << 30.0f << 0 << 0 << 14.0f << "";
        QTest::newRow("no input under an output") << true << 5.0f << 0.0f << 0 << 0x100 << 14.0f << "WARNING!";
        QTest::newRow("both voltages 0") << true << 0.0f << 0.0f << 0 << 0 << 14.0f << "";
        QTest::newRow("exactly 30 V") << true << 30.0f << 100.0f << 0 << 0 << 14.0f << "";
        QTest::newRow("35 V, output off") << false << 35.0f << 0.0f << 0 << 0x200 << 12.0f << "WARNING!";
        QTest::newRow("35 V on 40 V") << true << 35.0f << 40.0f << 0 << 0x300 << 12.0f << "WARNING!";
        QTest::newRow("fault") << false << 10.0f << 12.0f << 1 << 0 << 14.0f << "!!!FAILURE!!!";
        QTest::newRow("fault and warning") << false << 35.0f << 40.0f << 1 << 0x200 << 12.0f << "WARNING!";
    }

    void warnings_limit_and_display()
    {
        QFETCH(bool, on);
        QFETCH(float, vout);
        QFETCH(float, vin);
        QFETCH(int, faults);
        QFETCH(int, warnings);
        QFETCH(float, current_max);
        QFETCH(QString, title);
        dcdc_data &r = ch->worker->dcdc_record;
        r.output_on = on ? 1 : 0;
        r.output_voltage = vout;
        r.input_voltage = vin;
        r.faults = uint16_t(faults);
        r.current = 7.0f;
        change_type(11);
        ch->dcdc_input_voltage_read = true; // the board has reported its input
        ch->view_update();
        QCOMPARE(int(r.warnings), warnings);
        QCOMPARE(r.current_max, current_max);
        QCOMPARE(ch->curr_spin->maximum(), double(current_max));
        QCOMPARE(ch->curr_indicator->value(), 50); // against the limit before this tick
        QCOMPARE(ch->fail_title->isVisible() ? ch->fail_title->text() : QString(), title);
        QCOMPARE(ch->fail_butt->isVisible(), !title.isEmpty());
        QCOMPARE(ch->err_clr_butt->isVisible(), faults != 0);
        QCOMPARE(ch->curr_label->styleSheet().contains(QStringLiteral("red")), warnings != 0);
    }

    // A board that is on when the link comes up reports its output voltage
    // before its input voltage: a tick between the two replies must not take
    // the input's 0 V start value for a reading and warn.
    void no_warning_before_the_input_is_read()
    {
        using channel_fixture::feed;
        feed(*ch, 0xD0, 11);
        feed(*ch, 0x90, 1);
        feed(*ch, 0xA6, 240); // 24.0 V out
        ch->view_update();
        QCOMPARE(int(ch->worker->dcdc_record.warnings), 0);
        feed(*ch, 0x94, 0); // the board does report 0 V in
        ch->view_update();
        QCOMPARE(int(ch->worker->dcdc_record.warnings), 0x100);
        feed(*ch, 0xD0, 16); // a new type: its input is unread again
        ch->view_update();
        QCOMPARE(int(ch->worker->dcdc_record.warnings), 0);
    }

    // Once lowered, the limit stays for the run; bit 9 goes with the voltage.
    void lowered_limit_is_kept()
    {
        dcdc_data &r = ch->worker->dcdc_record;
        r.output_voltage = 35.0f;
        change_type(11);
        ch->view_update();
        r.output_voltage = 20.0f;
        ch->view_update();
        QCOMPARE(int(r.warnings), 0);
        expect({"curr_max_label.text=12.0 A", "curr_spin.maximum=12"});
    }

    // Every first reading in: four markers taken in one tick, from the
    // latest readings, reaching the set points through the inputs.
    void first_tick_of_type_16_in_qcw_mode()
    {
        dcdc_data &r = ch->worker->dcdc_record;
        r.mode = 1;
        r.frequency = 120;
        r.pulse_width = 500;
        r.current_target = 3.5f;
        ch->first_read_mode = ch->first_read_frequency = ch->first_read_width = ch->first_read_current = 2;
        change_type(16);
        ch->view_update();
        expect({"cw_mode_combo.count=6", "cw_mode_combo.currentText=QCW-mode", "cw_mode_label.text=QCW-mode",
                "cw_freq_label.text=120 Hz", "cw_width_label.text=500 us", "cw_freq_widget.enabled=false",
                "cw_mode_combo.enabled=true", "curr_spin.decimals=1", "curr_spin.value=3.5",
                "step_size_combo.count=2", "temp_spin.visible=false"});
        QCOMPARE(r.frequency_set, 120);
        QCOMPARE(r.pulse_width_set, 500);
        r.output_on = 1;
        r.mode = 3;
        ch->view_update();
        expect({"qcw_header_widget.visible=false", "cw_mode_combo.enabled=false", "config_button.enabled=false"});
    }

    void first_tick_of_type_18()
    {
        power_data &r = ch->worker->power_record;
        r.current = 7.0f;
        r.current_target = 6.5f;
        r.temperature = 35.0f;
        r.mode = 2;
        r.first_read_mode = r.first_read_current = 2;
        change_type(18);
        ch->view_update();
        ch->view_update();
        expect({"laser_name_label.text=Power Torvex-1000", "cw_mode_combo.count=3",
                "cw_mode_combo.currentText=External Analog", "curr_spin.enabled=false", "curr_spin.decimals=2",
                "curr_spin.value=6.5", "curr_indicator.value=49", "curr_label.text=7.00 A",
                "curr_min_label.text=0.10 A", "curr_spin.maximum=14"});
        QCOMPARE(ch->laser_tab_button->text(),
                 QString::fromUtf8("Bench 1 (Power Torvex-1000 6.50/7.00 A  35.0 \xC2\xB0" "C )"));
        // A DC/DC board takes over the page: the current is free again.
        change_type(11);
        ch->view_update();
        expect({"curr_spin.enabled=true", "cw_mode_widget.visible=false"});
    }

    // Two channels of one family tick in turn; per round, which of them
    // reports a fault, and how often each one's box opened.
    void fault_box_once_per_episode_per_channel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("first_boxes");
        QTest::addColumn<int>("second_boxes");

        for (int type : {11, 16, 18}) {
            const QByteArray t = QByteArray::number(type);
            QTest::newRow(t + " faulty next to a clear channel") << type << "1111" << "0000" << 1 << 0;
            QTest::newRow(t + " both faulty") << type << "1111" << "1111" << 1 << 1;
            QTest::newRow(t + " a new episode opens it again") << type << "1101" << "0011" << 2 << 1;
        }
    }

    void fault_box_once_per_episode_per_channel()
    {
        QFETCH(int, type);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, first_boxes);
        QFETCH(int, second_boxes);
        channel_fixture::controller b = channel_fixture::make(channel_fixture::page(form, 1), 2);
        QSignalSpy a_clicks(ch->fail_butt, SIGNAL(clicked()));
        QSignalSpy b_clicks(b->fail_butt, SIGNAL(clicked()));
        box_titles.clear();
        for (int round = 0; round < first.size(); ++round) {
            for (laser_object *c : {ch.get(), b.get()}) {
                const bool fault = (c == ch.get() ? first : second)[round] == QLatin1Char('1');
                c->worker->device_type = type;
                (type == 18 ? c->worker->power_record.faults : c->worker->dcdc_record.faults) = fault ? 0x04 : 0;
                c->view_update();
            }
        }
        // The boxes open once the ticks have returned, not inside them.
        QCOMPARE(a_clicks.count() + b_clicks.count(), 0);
        QTRY_COMPARE(a_clicks.count(), first_boxes);
        QTRY_COMPARE(b_clicks.count(), second_boxes);
        QTRY_COMPARE(box_titles.filter(QStringLiteral("WARNING")).size(), first_boxes + second_boxes);
    }
};

QTEST_MAIN(tst_view_dcdc_power)
#include "tst_view_dcdc_power.moc"
