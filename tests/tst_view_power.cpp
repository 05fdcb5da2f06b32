// The type-18 power-driver page on a real channel page: model label, mode
// items from the record, the mode that locks the current, the record's own
// first-read markers, and a change to a DC/DC board that keeps nothing.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "support/view_fixture.h"

class tst_view_power : public QObject, public view_fixture
{
    Q_OBJECT

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void first_ticks()
    {
        power_data &r = ch->worker->power_record;
        r.current = 7.0f;
        r.current_target = 6.5f;
        r.temperature = 35.0f;
        r.output_voltage = 12.5f;
        r.input_voltage = 48.0f;
        r.mode = 1;
        r.first_read_mode = r.first_read_current = 2;
        change_type(18);
        ch->view_update();

        QCOMPARE(ch->laser_name_label->text(), QStringLiteral("Power Torvex-1000"));
        QCOMPARE(ch->cw_mode_combo->count(), 3);
        QCOMPARE(ch->cw_mode_combo->currentText(), QStringLiteral("External TTL"));
        QCOMPARE(ch->curr_spin->decimals(), 2);
        QCOMPARE(ch->curr_spin->value(), 6.5);
        QCOMPARE(r.first_read_mode + r.first_read_current, 0);
        QCOMPARE(ch->step_size_combo->count(), 2);
        QCOMPARE(ch->curr_indicator->value(), 49);
        QCOMPARE(ch->curr_label->text(), QStringLiteral("7.00 A"));
        QCOMPARE(ch->curr_min_label->text(), QStringLiteral("0.10 A"));
        QCOMPARE(ch->curr_max_label->text(), QStringLiteral("14.00 A"));
        QCOMPARE(ch->curr_spin->maximum(), 14.0);
        QCOMPARE(ch->min_current, double(0.1f));
        QCOMPARE(ch->temp_indicator->value(), 50);
        QCOMPARE(ch->power_title->text(), QStringLiteral("Output voltage:"));
        QCOMPARE(ch->power_label->text(), QStringLiteral("12.5 V"));
        QCOMPARE(ch->input_volt_label->text(), QStringLiteral("48.0 V"));
        QVERIFY(ch->temp_spin->isHidden());

        ch->view_update();
        QCOMPARE(ch->laser_tab_button->text(),
                 QString::fromUtf8("Bench 1 (Power Torvex-1000 6.50/7.00 A  35.0 \xC2\xB0" "C )"));
    }

    void mode_and_output_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("current_enabled");

        QTest::newRow("analog, off") << 2 << false << false;
        QTest::newRow("analog, on") << 2 << true << false;
        QTest::newRow("CW, on") << 0 << true << true;
        QTest::newRow("TTL, off") << 1 << false << true;
        QTest::newRow("out of the list") << 5 << false << true;
    }

    void mode_and_output()
    {
        QFETCH(int, mode);
        QFETCH(bool, on);
        QFETCH(bool, current_enabled);

        ch->worker->power_record.mode = mode;
        ch->worker->power_record.output_on = on ? 1 : 0;
        change_type(18);
        ch->view_update();
        QCOMPARE(ch->curr_spin->isEnabled(), current_enabled);
        QCOMPARE(ch->cw_mode_combo->isEnabled(), !on);
        QCOMPARE(ch->config_button->isEnabled(), !on);
        QCOMPARE(ch->cw_mode_label->text(), ch->worker->power_record.mode_names.value(mode));
    }

    // Type 18 in its analog mode locked the current; a DC/DC warning page
    // turned it red and showed its QCW rows.
    void nothing_left_from_the_previous_family()
    {
        change_type(16);
        ch->worker->dcdc_record.mode = 1;
        ch->worker->dcdc_record.output_voltage = 35.0f;
        ch->view_update();
        QVERIFY(!ch->qcw_header_widget->isHidden());
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("red")));

        change_type(18);
        ch->worker->power_record.mode = 2;
        ch->view_update();
        QVERIFY(ch->qcw_header_widget->isHidden());
        QVERIFY(ch->cw_freq_label->isHidden());
        QVERIFY(ch->curr_label->styleSheet().contains(QStringLiteral("black")));
        QVERIFY(!ch->curr_spin->isEnabled());

        change_type(11);
        ch->view_update();
        QVERIFY(ch->curr_spin->isEnabled());
        QVERIFY(ch->cw_mode_widget->isHidden());
    }
};

QTEST_MAIN(tst_view_power)
#include "tst_view_power.moc"
