// The CW page (types 8, 10, 14, 15): the tab text that lags one tick,
// decimals and step sizes per type, the red current, one first reading per
// tick, a change of family that keeps nothing, and a new-firmware board's
// first current against limits decoded before its units were proven.

#include "support/view_fixture.h"

class tst_view_cw : public QObject, public view_fixture
{
    Q_OBJECT

    // A script of replies and ticks: "T" a view tick, "91:1000" reply 0x91
    // carrying 1000 in d4..d7.
    void play(const QString &script)
    {
        for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("T")) {
                ch->view_update();
                continue;
            }
            serial_message_struct m;
            m.data[0] = step.section(QLatin1Char(':'), 0, 0).toUInt(nullptr, 16);
            const uint32_t v = step.section(QLatin1Char(':'), 1).toUInt();
            for (int i = 0; i < 4; ++i)
                m.data[4 + i] = (v >> (24 - 8 * i)) & 0xFF;
            ch->handle_rx_can_message(&m);
        }
    }

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void two_ticks_of_a_type_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("steps"); // decimals, single step, step items
        QTest::newRow("8") << 8 << QString::fromUtf8("Bench 1 (CW Driver 100.0/99.8 mA  25.0/24.9 \xC2\xB0" "C )")
                           << "1 0.1 3";
        QTest::newRow("10") << 10
                            << QString::fromUtf8("Bench 1 (Precision CW Driver 100.00/99.80 mA  25.00/24.90 \xC2\xB0" "C )")
                            << "2 0.01 4";
    }

    void two_ticks_of_a_type()
    {
        QFETCH(int, type);
        QFETCH(QString, tab);
        QFETCH(QString, steps);
        cw_data &r = ch->worker->cw_record;
        r.current_target = 100.0f;
        r.temperature_target = 25.0f;
        r.current = 99.8f;
        r.temperature = 24.9f;
        change_type(type);
        ch->view_update();
        r.current = 99.4f; // more than 0.5 below the set point: red
        ch->view_update();
        QCOMPARE(ch->laser_tab_button->text(), tab);
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("red")));
        QCOMPARE(QString::number(ch->curr_spin->decimals()) + QLatin1Char(' ') +
                     QString::number(ch->curr_spin->singleStep()) + QLatin1Char(' ') +
                     QString::number(ch->step_size_combo->count()),
                 steps);
        r.current = 99.5f; // exactly 0.5 below: black
        ch->view_update();
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("black")));
    }

    void one_first_reading_per_tick()
    {
        cw_data &r = ch->worker->cw_record;
        r.current_target = 55.5f;
        r.temperature_target = 27.5f;
        r.mode = 2;
        ch->first_read_current = ch->first_read_temperature = ch->first_read_mode = 2;
        change_type(15);
        for (const char *markers : {"0 2 2", "0 0 2", "0 0 0"}) {
            ch->view_update();
            QCOMPARE(QStringLiteral("%1 %2 %3").arg(ch->first_read_current).arg(ch->first_read_temperature)
                         .arg(ch->first_read_mode),
                     QLatin1String(markers));
        }
        expect({"curr_spin.value=55.5", "temp_spin.value=27.5", "cw_mode_combo.currentIndex=2"});
    }

    // Type 14 in "ANALOG" locked the current; a DC/DC page with a warning and
    // its output on disabled the mode combo, turned the current red and
    // showed its QCW rows and mode "QCW-mode".
    void nothing_left_from_the_previous_family()
    {
        change_type(14);
        ch->worker->cw_record.mode = 1;
        ch->view_update();
        expect({"curr_spin.enabled=false", "cw_mode_label.text=ANALOG"});
        change_type(8);
        ch->view_update();
        expect({"curr_spin.enabled=true", "cw_mode_widget.visible=false"});

        change_type(16);
        dcdc_data &d = ch->worker->dcdc_record;
        d.output_on = 1;
        d.mode = 1;
        d.output_voltage = 35.0f;
        d.input_voltage = 36.0f;
        ch->view_update();
        expect({"cw_mode_combo.enabled=false", "qcw_header_widget.visible=true"});
        change_type(14);
        ch->worker->cw_record.mode = 0;
        ch->worker->cw_record.current = ch->worker->cw_record.current_target;
        ch->view_update();
        expect({"cw_mode_combo.enabled=true", "cw_mode_label.text=CW", "qcw_header_widget.visible=false",
                "input_volt_label.visible=false", "power_title.text=Power:",
                "curr_label.styleSheet=QLabel { color : black; }"});
    }

    // Replies of a new-firmware board after it reported its type: the
    // current limits of pass one are decoded in hundredths of a mA (ten times
    // too low) until 0xB7/0xB6 prove the tenths that pass two is read in.
    void first_current_survives_limits_in_unproven_units_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<double>("set_point");
        QTest::addColumn<double>("maximum");

        const QString pass2 = QStringLiteral(" 91:1000 A5:1500 A6:100 B7:350 B6:150 T");
        QTest::newRow("loaded before the wrong limit")
            << "D0:8 91:1000 T A5:1500 A6:100 T B7:350 B6:150 T" + pass2 << 100.0 << 150.0;
        QTest::newRow("loaded after the wrong limit") << "D0:8 91:1000 A5:1500 A6:100 T B7:350 T" + pass2 << 100.0 << 150.0;
        QTest::newRow("14, a tick after every reply")
            << "D0:14 91:1000 T A5:1500 T A6:100 T B7:350 T B6:150 T 91:1000 T A5:1500 T" << 100.0 << 150.0;
        // An old board never answers 0xB7/0xB6: hundredths are its units.
        QTest::newRow("old units") << "D0:8 91:100 A5:1500 A6:100 T 91:100 A5:1500 T T" << 10.0 << 15.0;
        QTest::newRow("a proven limit still bounds it") << "D0:8 91:1000 T A5:1500 B7:350 T A5:1500 T A5:800 T"
                                                        << 80.0 << 80.0;
    }

    void first_current_survives_limits_in_unproven_units()
    {
        QFETCH(QString, script);
        QFETCH(double, set_point);
        QFETCH(double, maximum);
        play(script);
        QCOMPARE(ch->curr_spin->value(), set_point);
        QCOMPARE(double(ch->worker->cw_record.current_set), set_point);
        QCOMPARE(ch->curr_spin->maximum(), maximum);
    }
};

QTEST_MAIN(tst_view_cw)
#include "tst_view_cw.moc"
