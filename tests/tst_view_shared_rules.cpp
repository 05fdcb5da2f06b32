// The view tick's dispatch by driver type and the rules every family view
// shares, on a real channel page: "No device" for any type without a view,
// and the bar that keeps its value when no sound percentage comes out.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include <limits>

#include "support/view_fixture.h"

class tst_view_shared_rules : public QObject, public view_fixture
{
    Q_OBJECT

    void tick(int32_t type)
    {
        ch->worker->device_type = type;
        ch->view_update();
    }

private slots:
    void initTestCase() { build_form(); }
    void init() { new_channel(); }
    void cleanup() { ch.reset(); }

    void dispatch_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("no_device");
        QTest::addColumn<QString>("name");

        QTest::newRow("0 nothing reported yet") << 0 << true << "";
        QTest::newRow("-1 heartbeat lost") << -1 << true << "";
        QTest::newRow("9 unknown") << 9 << true << "";
        QTest::newRow("12 unknown") << 12 << true << "";
        QTest::newRow("40 shifts past the CW mask") << 40 << true << "";
        QTest::newRow("-24 negative") << -24 << true << "";
        QTest::newRow("8 CW") << 8 << false << "CW Driver";
        QTest::newRow("14 CW") << 14 << false << "CW Driver";
        QTest::newRow("10 precision CW") << 10 << false << "Precision CW Driver";
        QTest::newRow("15 precision CW") << 15 << false << "Precision CW Driver";
        QTest::newRow("11 DC/DC") << 11 << false << "Power DCDC Driver";
        QTest::newRow("16 DC/DC") << 16 << false << "Power DCDC Driver";
        QTest::newRow("18 power") << 18 << false << "Power Torvex-1000";
        // The pulsed views draw their own labels; here only that they are not "No device".
        for (int pulsed : {6, 7, 13, 20, 21})
            QTest::newRow(qPrintable(QStringLiteral("%1 pulsed").arg(pulsed))) << pulsed << false << "";
    }

    void dispatch()
    {
        QFETCH(int, type);
        QFETCH(bool, no_device);
        QFETCH(QString, name);

        tick(type);
        if (no_device) {
            QCOMPARE(ch->laser_name_label->text(), QStringLiteral("No device"));
            QCOMPARE(ch->laser_tab_button->text(), QStringLiteral("Bench 1"));
            QVERIFY(ch->cw_widget->isHidden());
            QVERIFY(ch->ps_ns_widget->isHidden());
            QVERIFY(ch->config_button->isHidden());
            QVERIFY(ch->alt_but_widget->isHidden());
        } else {
            QVERIFY(ch->laser_name_label->text() != QStringLiteral("No device"));
            if (!name.isEmpty()) {
                QCOMPARE(ch->laser_name_label->text(), name);
                QVERIFY(!ch->cw_widget->isHidden());
                QVERIFY(ch->ps_ns_widget->isHidden());
                QVERIFY(!ch->config_button->isHidden());
                QVERIFY(!ch->alt_but_widget->isHidden());
            }
        }
    }

    // The board falls silent: the page says so and keeps everything else,
    // including a pending refill, for when the board comes back.
    void no_device_page_keeps_the_last_drawing()
    {
        ch->worker->cw_record.current = 42.0f;
        tick(8);
        ch->worker->type_changed = true;
        ch->first_read_current = 2;
        tick(-1);
        QCOMPARE(ch->curr_label->text(), QStringLiteral("42.0 mA"));
        QVERIFY(ch->worker->type_changed.load());
        QCOMPARE(ch->first_read_current, 2);
    }

    void bar_percentage_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<float>("min");
        QTest::addColumn<float>("max");
        QTest::addColumn<int>("shown"); // -1: the bar keeps its value (50)

        const float nan = std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("a quarter") << 37.5f << 0.0f << 150.0f << 25;
        QTest::newRow("truncated, not rounded") << 149.9f << 0.0f << 150.0f << 99;
        QTest::newRow("at the maximum") << 150.0f << 0.0f << 150.0f << 100;
        QTest::newRow("just below the minimum truncates to 0") << -0.5f << 0.0f << 150.0f << 0;
        QTest::newRow("below the bar") << -2.0f << 0.0f << 150.0f << -1;
        QTest::newRow("above the bar") << 153.0f << 0.0f << 150.0f << -1;
        QTest::newRow("from a raised minimum") << 20.0f << 10.0f << 30.0f << 50;
        QTest::newRow("equal limits") << 5.0f << 5.0f << 5.0f << -1;
        QTest::newRow("equal limits, value off") << 6.0f << 5.0f << 5.0f << -1;
        QTest::newRow("past the int range") << 3.0e30f << 0.0f << 1.0f << -1;
        QTest::newRow("not a number") << nan << 0.0f << 150.0f << -1;
    }

    void bar_percentage()
    {
        QFETCH(float, value);
        QFETCH(float, min);
        QFETCH(float, max);
        QFETCH(int, shown);

        cw_data &r = ch->worker->cw_record;
        r.current_min = 0.0f;
        r.current_max = 150.0f;
        r.current = 75.0f;
        tick(8);
        QCOMPARE(ch->curr_indicator->value(), 50);

        r.current = value;
        r.current_min = min;
        r.current_max = max;
        tick(8);
        QCOMPARE(ch->curr_indicator->value(), shown < 0 ? 50 : shown);
    }
};

QTEST_MAIN(tst_view_shared_rules)
#include "tst_view_shared_rules.moc"
